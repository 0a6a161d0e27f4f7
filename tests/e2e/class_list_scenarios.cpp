// The class list file dede.ini on the real program: created with its default contents after a
// warning, the first-run notice once, a file of an older version, names in files of other
// encodings and under a Western code page; and the bottom strip that reads the file too, the
// banner, with the clock beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kNotice[] =
    "点名器6.0版本_人数增加至50人\r\n请将原先的‘dede.ini’中信息备份并将其删除\r\n"
    "使其生成新的文件‘dede.ini’后再将信息导入其中";
constexpr char kBanner[] = "欢迎使用岚川软件！www.example.com";  // the test build's address
constexpr char kMarker[] = "[Running State]\r\nFirst run=no\r\n";

// The file the first start writes, with the first-run marker's value.
std::string DefaultFile(const std::string& first_run) {
  std::string ini =
      "[■提示：]\r\n"
      "提示信息=人名与人名之间不能有空缺。‘如：1=张三/2= /3=李四’李四就不会被点到名\r\n"
      "[全班人名：]\r\n";
  for (int k = 1; k <= 50; ++k) ini += std::to_string(k) + "=\r\n";
  // The separator's key line reads back as a section line, so its second write adds it again.
  const std::string separator_key = "[" + std::string(63, '=') + "]\r\n";
  ini += "[" + std::string(63, '-') + "]\r\n" + separator_key + separator_key;
  ini += std::string("[广告：]\r\n内容=") + kBanner + "\r\n";
  ini += "[Running State]\r\nFirst run=" + first_run + "\r\n";
  ini += "[警告！]\r\n请勿随意删改内容！=警告！\r\n";
  return ini;
}

std::wstring Wide(const std::string& gbk, UINT code_page = 936) {
  std::wstring w(gbk.size(), L'\0');
  w.resize(
      size_t(MultiByteToWideChar(code_page, 0, gbk.data(), int(gbk.size()), &w[0], int(w.size()))));
  return w;
}

std::string Utf8(const std::string& gbk) {
  const std::wstring w = Wide(gbk);
  std::string out(w.size() * 3, '\0');
  out.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), &out[0],
                                        int(out.size()), nullptr, nullptr)));
  return out;
}

std::string Utf16(const std::string& gbk) {
  const std::wstring w = Wide(gbk);
  return std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2);
}

// The box the program shows next, answered with OK: "caption | text", or "(none)".
std::string NextBox(const Process& proc, DWORD timeout = 20000) {
  MessageBoxInfo box = proc.WaitMessageBox(timeout);
  if (!box) return "(none)";
  Answer(box, IDOK);
  WaitUntil([&] { return !IsWindow(box.hwnd); });
  return box.caption + " | " + box.text +
         (box.buttons == std::vector<int>{IDOK} ? "" : " (not OK alone)");
}

bool Ends(const Process& proc, HWND window) {
  Close(window);
  DWORD code = 1;
  return proc.WaitExit(10000, &code) && code == 0;
}

HWND Banner(HWND window) {
  return FindChild(FindChildAt(window, "Button", 80, 336), "TransLabel");
}

// The date-time text of a local time: trailing zero parts of the time left out.
std::string ClockText(const SYSTEMTIME& t) {
  char text[64];
  int n = snprintf(text, sizeof text, "%d年%d月%d日", t.wYear, t.wMonth, t.wDay);
  if (t.wSecond != 0) {
    snprintf(text + n, sizeof text - n, "%d时%d分%d秒", t.wHour, t.wMinute, t.wSecond);
  } else if (t.wMinute != 0) {
    snprintf(text + n, sizeof text - n, "%d时%d分", t.wHour, t.wMinute);
  } else if (t.wHour != 0) {
    snprintf(text + n, sizeof text - n, "%d时", t.wHour);
  }
  return text;
}

// The names the display shows while they cycle, until `want` of them were seen (3 s at most).
std::set<std::string> NamesShown(HWND window, size_t want) {
  HWND display = FindChildAt(FindChildAt(window, "Button", 8, 8), "TransLabel", 8, 16);
  Click(FindChildAt(window, "Button", 8, 168));
  std::set<std::string> seen;
  WaitUntil(
      [&] {
        const std::string name = ChangingText(display);
        if (name != "→ _ ←") seen.insert(name);
        return seen.size() >= want;
      },
      3000);
  return seen;
}

TEST(ClassListScenario, TheFirstStartWritesTheDefaultFileAndAsksOnce) {
  TempDir dir;
  {
    Process proc(dir, "rollcall.exe");
    MessageBoxInfo warning = proc.WaitMessageBox(20000);
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning.caption, "外部数据缺失！");
    EXPECT_EQ(warning.text, "没有发现‘dede.ini’文件！即将新建文件。");
    EXPECT_EQ(warning.buttons, std::vector<int>{IDOK});
    EXPECT_FALSE(dir.Exists("dede.ini")) << "written once the warning is closed";
    EXPECT_EQ(proc.WaitWindow(kTitle, 0), nullptr) << "the window comes after the boxes";
    Answer(warning, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(warning.hwnd); }));

    MessageBoxInfo notice = proc.WaitMessageBox();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice.caption, "V6.0使用须知（首次运行）");
    EXPECT_EQ(notice.text, kNotice);
    EXPECT_EQ(notice.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(dir.Read("dede.ini"), DefaultFile("")) << "the notice is still due";
    Answer(notice, IDOK);

    HWND window = proc.WaitWindow(kTitle);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(dir.Read("dede.ini"), DefaultFile("no"));
    // The banner's first tick came while the warning was open and found no text: it waits 15 s
    // between ticks for the rest of this run.
    EXPECT_EQ(WindowText(Banner(window)), "");
    EXPECT_TRUE(Ends(proc, window));
  }

  Process proc(dir, "rollcall.exe");
  HWND window = proc.WaitWindow(kTitle);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(proc.HasMessageBox()) << "neither box at the second start";
  EXPECT_EQ(dir.Read("dede.ini"), DefaultFile("no"));

  // The banner shows the file's text as it is now, moving a pixel a tick.
  HWND banner = Banner(window);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(banner) == kBanner; }));
  const int left = LeftInParent(banner);
  EXPECT_TRUE(WaitUntil([&] { return LeftInParent(banner) != left; }));
  const std::string file = DefaultFile("no");
  const size_t text_at = file.find(kBanner);
  std::string edited = file;
  edited.replace(text_at, strlen(kBanner), "新学期新气象");
  dir.Write("dede.ini", edited);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(banner) == "新学期新气象"; }, 3000));
  // Emptied, it stops and is read only every 15 s, even once it is filled in again.
  edited.replace(text_at, strlen("新学期新气象"), "");
  dir.Write("dede.ini", edited);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(banner).empty(); }, 3000));
  const int stopped_at = LeftInParent(banner);
  dir.Write("dede.ini", file);
  harness::Sleep(800);
  EXPECT_EQ(WindowText(banner), "");
  EXPECT_EQ(LeftInParent(banner), stopped_at);

  // The clock shows the date-time text of now.
  HWND clock = FindChildAt(FindChildAt(window, "Button", 336, 336), "Label", 2, 8);
  EXPECT_TRUE(WaitUntil([&] {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return WindowText(clock) == ClockText(now);
  })) << WindowText(clock);
  EXPECT_TRUE(Ends(proc, window));
}

// An older file, and a file a teacher emptied and saved with only its byte-order mark left: the
// notice at the first start only, the marker at the end in the file's own encoding and mark.
TEST(ClassListScenario, AnOlderFileGetsTheNoticeOnceAndTheMarkerAtItsEnd) {
  const std::string older =
      "[■提示：]\r\n提示信息=人名与人名之间不能有空缺。\r\n"
      "[全班人名：]\r\n1=张三\r\n2=李四\r\n3=\r\n"
      "[广告：]\r\n内容=欢迎\r\n";
  const struct {
    const char* name;
    std::string file, after;
  } files[] = {
      {"older GBK file", older, older + kMarker},
      {"UTF-8 mark alone", "\xEF\xBB\xBF", "\xEF\xBB\xBF" + Utf8(kMarker)},
      {"UTF-16 mark alone", "\xFF\xFE", "\xFF\xFE" + Utf16(kMarker)},
  };
  for (const auto& f : files) {
    TempDir dir;
    dir.Write("dede.ini", f.file);
    for (int start = 1; start <= 2; ++start) {
      Process proc(dir, "rollcall.exe");
      if (start == 1) {
        EXPECT_EQ(NextBox(proc), std::string("V6.0使用须知（首次运行） | ") + kNotice) << f.name;
      }
      HWND window = proc.WaitWindow(kTitle, 20000);
      ASSERT_NE(window, nullptr) << f.name;
      EXPECT_FALSE(proc.HasMessageBox()) << f.name << ", start " << start;
      EXPECT_EQ(dir.Read("dede.ini"), f.after) << f.name << ", start " << start;
      EXPECT_TRUE(Ends(proc, window));
    }
  }
}

// The same class list and banner in GBK, UTF-8 with and without a mark, and UTF-16 with its
// mark: the program shows the same names and text from each, and adds its marker in the file's
// own encoding.
TEST(ClassListScenario, NamesInUnicodeFilesShowAsFromGbk) {
  const std::string text =
      "[全班人名：]\r\n1=张三\r\n2=欧阳·娜娜\r\n3=Li Lei\r\n4=\r\n[广告：]\r\n内容=今天你值日\r\n";
  struct Encoding {
    const char* name;
    std::string (*encode)(const std::string&);
    const char* mark;
  } encodings[] = {
      {"GBK", [](const std::string& s) { return s; }, ""},
      {"UTF-8", Utf8, ""},
      {"UTF-8 with mark", Utf8, "\xEF\xBB\xBF"},
      {"UTF-16", Utf16, "\xFF\xFE"},
  };
  for (const Encoding& e : encodings) {
    TempDir dir;
    const std::string file = e.mark + e.encode(text);
    dir.Write("dede.ini", file);
    Process proc(dir, "rollcall.exe");
    EXPECT_EQ(NextBox(proc), std::string("V6.0使用须知（首次运行） | ") + kNotice) << e.name;
    HWND window = proc.WaitWindow(kTitle, 20000);
    ASSERT_NE(window, nullptr) << e.name;
    EXPECT_TRUE(WaitUntil([&] { return WindowText(Banner(window)) == "今天你值日"; })) << e.name;
    EXPECT_EQ(NamesShown(window, 3), (std::set<std::string>{"张三", "欧阳·娜娜", "Li Lei"}))
        << e.name;
    EXPECT_TRUE(Ends(proc, window));
    EXPECT_EQ(dir.Read("dede.ini"), file + e.encode(kMarker)) << e.name;
  }
}

// Under a Western ANSI code page (1252), from a folder named in Chinese: the same file as under
// code page 936, and the names it is then given cycle.
TEST(ClassListScenario, AWesternCodePageAndAChineseFolderWriteTheSameFile) {
  TempDir dir;
  const std::string folder = dir.path() + "三年二班 点名\\";
  ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
  ASSERT_TRUE(dir.CopyIn(BinDir() + "rollcall.exe", "三年二班 点名\\rollcall.exe"));
  const DWORD id = StartUnderLocale(folder + "rollcall.exe", "en_US.UTF-8");
  if (id == 0) GTEST_SKIP() << "needs Wine with env(1) to start a program in another locale";
  Process proc(id);
  ASSERT_TRUE(proc.started());
  MessageBoxInfo warning = proc.WaitMessageBox(20000);
  ASSERT_TRUE(warning);
  EXPECT_EQ(WindowText(GetDlgItem(warning.hwnd, IDOK)), "OK") << "a Western program";
  EXPECT_EQ(NextBox(proc), "外部数据缺失！ | 没有发现‘dede.ini’文件！即将新建文件。");
  EXPECT_EQ(NextBox(proc), std::string("V6.0使用须知（首次运行） | ") + kNotice);
  HWND window = proc.WaitWindow(kTitle);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(dir.Read("三年二班 点名\\dede.ini"), DefaultFile("no"));
  EXPECT_FALSE(dir.Exists("dede.ini")) << "nowhere else";

  dir.Write("三年二班 点名\\dede.ini", "[全班人名：]\r\n1=张三\r\n2=李四\r\n");
  EXPECT_EQ(NamesShown(window, 2), (std::set<std::string>{"张三", "李四"}));
  EXPECT_TRUE(Ends(proc, window));
}

}  // namespace

// The clock turns with the wall clock's second, each second once and within 100 ms of its
// change; the banner rests while nobody can see the window (minimised, hidden, wholly covered)
// and goes on from where it stood once it is seen again, the clock right the moment it shows.
TEST(ClassListScenario, TheClockTurnsWithTheSecondAndTheBannerRestsWhileUnseen) {
  TempDir dir;
  dir.Write("dede.ini", DefaultFile("no"));
  Process proc(dir, "rollcall.exe");
  HWND window = proc.WaitWindow(kTitle, 20000);
  ASSERT_NE(window, nullptr);
  HWND clock = FindChildAt(FindChildAt(window, "Button", 336, 336), "Label", 2, 8);
  ASSERT_TRUE(WaitUntil([&] { return !ChangingText(clock).empty(); }));

  auto seconds = [](const SYSTEMTIME& t) {
    FILETIME f;
    SystemTimeToFileTime(&t, &f);
    return int64_t((uint64_t(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 10000000);
  };
  std::string last = ChangingText(clock);
  int64_t last_second = 0;
  int turns = 0;
  for (const DWORD end = GetTickCount() + 10000; GetTickCount() < end; ::Sleep(2)) {
    const std::string text = ChangingText(clock);
    SYSTEMTIME seen;
    GetLocalTime(&seen);
    if (text == last) continue;
    ++turns;
    EXPECT_EQ(text, ClockText(seen)) << "shows the second it is, never one early or late";
    EXPECT_LE(seen.wMilliseconds, 100) << text << ": within 100 ms of the second's change";
    if (last_second != 0) {
      EXPECT_EQ(seconds(seen) - last_second, 1) << text << ": none skipped";
    }
    last = text;
    last_second = seconds(seen);
  }
  EXPECT_GE(turns, 9) << "every second of the 10 s";

  HWND banner = Banner(window);
  RECT r;
  GetWindowRect(window, &r);
  HWND cover = nullptr;
  struct Unseen {
    const char* how;
    std::function<void()> hide, show;
  } const unseen[] = {
      {"minimised", [&] { ShowWindow(window, SW_MINIMIZE); },
       [&] { ShowWindow(window, SW_RESTORE); }},
      {"hidden", [&] { ShowWindow(window, SW_HIDE); }, [&] { ShowWindow(window, SW_SHOW); }},
      {"covered",
       [&] {
         cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP,
                                 r.left - 5, r.top - 5, r.right - r.left + 10,
                                 r.bottom - r.top + 10, nullptr, nullptr, nullptr, nullptr);
         ShowWindow(cover, SW_SHOWNOACTIVATE);
       },
       [&] { DestroyWindow(cover); }},
  };
  for (const Unseen& u : unseen) {
    u.hide();
    harness::Sleep(1500);  // noticed within a second
    const int stood = LeftInParent(banner);
    harness::Sleep(700);
    EXPECT_EQ(LeftInParent(banner), stood) << u.how << ": the banner rests";
    u.show();
    EXPECT_TRUE(WaitUntil(
        [&] {
          SYSTEMTIME now;
          GetLocalTime(&now);
          return ChangingText(clock) == ClockText(now);
        },
        150))
        << u.how << ": the clock is right at once";
    EXPECT_TRUE(WaitUntil([&] { return LeftInParent(banner) != stood; }, 2000)) << u.how;
    // One pass of the banner is 691 places, from 270 to -420.
    const int moved = (stood - LeftInParent(banner) + 691) % 691;
    EXPECT_TRUE(moved >= 1 && moved <= 30) << u.how << ": goes on from where it stood, " << moved;
  }
  EXPECT_TRUE(Ends(proc, window));
}
