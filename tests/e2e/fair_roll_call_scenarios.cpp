// The fair roll call on the real program: switched on in the class list file, nobody is called
// twice in a round, a finished round or an edited class list begins a new one, and the file is
// never written; switched off, pupils come up twice as before. The stopped name is read from
// the display. The first round waits for the touch guard and the name cycle in real time; the
// later ones send the guard's and the cycle's own timer messages, so a roll call takes a
// fraction of the guard's second.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kStart[] = "轻触开始点名";
constexpr char kStop[] = "轻触停止点名";

using Names = std::vector<std::string>;
using Shown = std::set<std::string>;

// A class list as a teacher writes it, with the fair mode's key when `no_repeat` is given.
std::string ClassList(const Names& names, const std::string& no_repeat) {
  std::string ini = "[全班人名：]\r\n";
  for (size_t k = 0; k < names.size(); ++k) {
    ini += std::to_string(k + 1) + "=" + names[k] + "\r\n";
  }
  ini += "[广告：]\r\n内容=欢迎使用岚川软件！www.example.com\r\n";
  ini += "[Running State]\r\nFirst run=no\r\n";
  if (!no_repeat.empty()) ini += "[点名设置：]\r\n不重复=" + no_repeat + "\r\n";
  return ini;
}

// The files of a folder.
std::set<std::string> FilesIn(const TempDir& dir) {
  std::set<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((dir.path() + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.insert(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return files;
}

// A popup menu is open: a visible window of the menu class (closed ones may stay, hidden).
bool MenuShown() {
  for (HWND m = FindWindowExA(nullptr, nullptr, "#32768", nullptr); m != nullptr;
       m = FindWindowExA(nullptr, m, "#32768", nullptr)) {
    if (IsWindowVisible(m)) return true;
  }
  return false;
}

void Tick(HWND timer) {
  DWORD_PTR done = 0;
  SendMessageTimeoutW(timer, WM_TIMER, 1, 0, SMTO_ABORTIFHUNG, 2000, &done);
}

// The program in a fresh folder with a class list, and the units of the roll call.
struct FairRollCall {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND window = nullptr;
  HWND display = nullptr, number = nullptr, button = nullptr;  // 透明标签1, 标签_随机, 按钮1
  HWND cycle = nullptr, guard = nullptr;                       // 时钟1, 时钟_限制快速点击
  int touches = 0;

  explicit FairRollCall(const std::string& ini) {
    dir.Write("dede.ini", ini);
    Start();
  }
  // The program started (again) in the folder, `days` after today as the class record sees it.
  void Start(int days = 0) {
    SetEnvironmentVariableA("ROLLCALL_TEST_DAYS", std::to_string(days).c_str());
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    SetEnvironmentVariableA("ROLLCALL_TEST_DAYS", nullptr);
    window = proc->WaitWindow(kTitle, 20000);
    if (window == nullptr) return;
    HWND names = FindChildAt(window, "Button", 8, 8);
    display = FindChildAt(names, "TransLabel", 8, 16);
    number = FindChildAt(names, "Label", 472, 104);
    cycle = FindChildAt(names, "RollcallTimer", 520, 8);
    button = FindChildAt(window, "Button", 8, 168);
    guard = FindChildAt(window, "RollcallTimer", 480, 216);
  }
  bool found() const { return display && number && button && cycle && guard; }

  std::string Name() const { return ChangingText(display); }

  // A real mouse touch on the big button, each at another spot of it: two at one spot within
  // the double-click time would make a double click.
  void Touch() {
    SetForegroundWindow(window);
    RECT r;
    GetWindowRect(button, &r);
    SetCursorPos((r.left + r.right) / 2 + (touches++ % 5 - 2) * 40, (r.top + r.bottom) / 2);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
  }

  // One roll call: a start, the names cycling, a stop; the name the display stopped on. The
  // names the cycle shows go to `shown`, from the first that differs from the one shown before
  // the start. Hurried, the cycle's ticks and the guard's are sent at once.
  std::string Call(Shown* shown, bool hurry) {
    const std::string before = Name();
    bool cycling = false;
    auto watch = [&] {
      const std::string name = Name();
      cycling = cycling || name != before;
      if (cycling) shown->insert(name);
    };
    WaitUntil([&] { return IsWindowEnabled(button) != 0 && !MenuShown(); });
    Touch();
    // A touch right after a menu closed can be lost while the menu still holds the mouse; a
    // second one cannot stop the names, since the guard locks the button after a start.
    if (!WaitUntil([&] { return WindowText(button) == kStop; }, 2000)) Touch();
    if (!WaitUntil([&] { return WindowText(button) == kStop; })) return "(not started)";
    if (hurry) {
      for (int i = 0; i < 12; ++i) {
        Tick(cycle);
        watch();
      }
      Tick(guard);
    }
    const bool touchable = WaitUntil(
        [&] {
          watch();
          return IsWindowEnabled(button) != 0;
        },
        5000);
    if (!touchable) return "(locked)";
    Touch();
    if (!WaitUntil([&] { return WindowText(button) == kStart; })) return "(not stopped)";
    if (hurry) Tick(guard);
    if (!WaitUntil([&] { return IsWindowEnabled(button) != 0; })) return "(locked)";
    return Name();
  }

  // The pupil's number the hidden label holds for the name shown.
  std::string Number() const { return WindowText(number); }

  // The name display's menu, opened by a right click on the display or by Shift+F10, and an
  // item chosen by its access key. False when no menu came up.
  bool Menu(bool by_keyboard, WORD access_key) {
    SetForegroundWindow(window);
    std::vector<INPUT> in;
    auto key = [&](WORD vk, bool up) {
      INPUT k = {};
      k.type = INPUT_KEYBOARD;
      k.ki.wVk = vk;
      k.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      in.push_back(k);
    };
    if (by_keyboard) {
      key(VK_SHIFT, false);
      key(VK_F10, false);
      key(VK_F10, true);
      key(VK_SHIFT, true);
    } else {
      RECT r;
      GetWindowRect(display, &r);
      SetCursorPos((r.left + r.right) / 2, r.top + 10);
      INPUT m[2] = {};
      m[0].type = m[1].type = INPUT_MOUSE;
      m[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
      m[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
      in.assign(m, m + 2);
    }
    // A click may be lost while the program is still busy with the last choice: tried again.
    auto menu_shown = [] { return MenuShown(); };
    bool shown = false;
    for (int tries = 0; tries < 3 && !shown; ++tries) {
      SetForegroundWindow(window);
      SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
      shown = WaitUntil(menu_shown, 2000);
    }
    if (!shown) return false;
    in.clear();
    key(access_key, false);
    key(access_key, true);
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
    return WaitUntil([&] { return !menu_shown(); }, 5000);
  }

  bool Ends() const {
    Close(window);
    DWORD code = 1;
    return proc->WaitExit(10000, &code) && code == 0;
  }
};

std::string NumberOf(const Names& names, const std::string& name) {
  auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? "?" : std::to_string(it - names.begin() + 1);
}

bool Within(const Shown& shown, const Names& names) {
  for (const std::string& name : shown) {
    if (std::find(names.begin(), names.end(), name) == names.end()) return false;
  }
  return true;
}

TEST(FairRollCallScenario, NobodyTwiceInARoundAndANewRoundForAnEditedList) {
  Names names = {"张三", "李四", "王五", "赵六", "孙七"};
  std::string ini = ClassList(names, "1");
  FairRollCall app(ini);
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());

  // The first round in real time: each cycle flickers among the pupils not called yet, and
  // with one left shows only that one.
  Names called;
  for (int i = 0; i < 5; ++i) {
    Shown shown;
    const DWORD start = GetTickCount();
    const std::string name = app.Call(&shown, false);
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 950u) << "the guard's 750 and 250 ms";
    EXPECT_LE(took, 3000u);
    Names left;
    for (const std::string& n : names) {
      if (std::find(called.begin(), called.end(), n) == called.end()) left.push_back(n);
    }
    EXPECT_TRUE(Within(shown, left)) << "stop " << i + 1 << ": one already called came up";
    if (left.size() >= 3) {
      EXPECT_GE(shown.size(), 2u) << "stop " << i + 1 << ": it flickers";
    }
    if (left.size() == 1) {
      EXPECT_EQ(shown, Shown{left[0]}) << "the one left";
    }
    EXPECT_EQ(app.Number(), NumberOf(names, name)) << name;
    called.push_back(name);
  }
  EXPECT_EQ(Shown(called.begin(), called.end()), Shown(names.begin(), names.end()));

  // Everybody called: the next start draws among all again. Four stops call four pupils.
  called.clear();
  for (int i = 0; i < 4; ++i) {
    Shown shown;
    called.push_back(app.Call(&shown, true));
    EXPECT_TRUE(Within(shown, names));
    if (i == 0) {
      EXPECT_GE(shown.size(), 2u) << "a new round: the whole class again";
    }
    EXPECT_EQ(app.Number(), NumberOf(names, called.back())) << called.back();
  }
  EXPECT_EQ(Shown(called.begin(), called.end()).size(), 4u) << "four different pupils";

  // One pupil left, and the teacher corrects a name (and writes "是" for "1"): the round is
  // kept for the names that stayed, and the corrected name is due as a new pupil.
  std::string left;
  for (const std::string& n : names) {
    if (std::find(called.begin(), called.end(), n) == called.end()) left = n;
  }
  Shown due = {"李思"};
  if (left != "李四") due.insert(left);
  names[1] = "李思";
  ini = ClassList(names, "是");
  ASSERT_TRUE(app.dir.Write("dede.ini", ini));
  called.clear();
  for (size_t i = 0; i < due.size(); ++i) {
    Shown shown;
    called.push_back(app.Call(&shown, true));
    std::string seen;
    for (const std::string& n : shown) seen += n + " ";
    EXPECT_TRUE(Within(shown, Names(due.begin(), due.end())))
        << "only those still due (" << left << "), not " << seen;
  }
  EXPECT_EQ(Shown(called.begin(), called.end()), due);

  EXPECT_TRUE(app.Ends());
  EXPECT_EQ(app.dir.Read("dede.ini"), ini) << "the class list is never written";
  EXPECT_EQ(FilesIn(app.dir),
            (std::set<std::string>{"SkinH_EL.dll", "dede.ini", "rollcall.exe", "点名记录.csv"}));
}

// The class record's lines as GBK "name,event" after a check that the file is UTF-8 behind a
// byte-order mark; the dates apart.
struct RecordLines {
  std::vector<std::string> events, dates;
  bool utf8 = false;
};
RecordLines ReadRecord(const TempDir& dir) {
  RecordLines r;
  const std::string file = dir.Read("点名记录.csv");
  if (file.compare(0, 3, "\xEF\xBB\xBF") != 0) return r;
  const std::string body = file.substr(3);
  const int n =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, body.data(), int(body.size()), nullptr, 0);
  if (n <= 0) return r;
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, body.data(), int(body.size()), &wide[0], n);
  std::string gbk(wide.size() * 2 + 1, '\0');
  gbk.resize(size_t(WideCharToMultiByte(936, 0, wide.data(), int(wide.size()), &gbk[0],
                                        int(gbk.size()), nullptr, nullptr)));
  r.utf8 = true;
  size_t at = 0;
  while (at < gbk.size()) {
    size_t end = gbk.find("\r\n", at);
    if (end == std::string::npos) end = gbk.size();
    const std::string line = gbk.substr(at, end - at);
    at = end + 2;
    if (line.size() < 20 || line[19] != ',') continue;  // the titles
    r.dates.push_back(line.substr(0, 10));
    r.events.push_back(line.substr(20));
  }
  return r;
}

TEST(FairRollCallScenario, TheRecordKeepsTheRoundAcrossStartsAndDaysWithAbsencesAndTakenBack) {
  const Names names = {"张三", "李四", "王五", "赵六", "孙七"};
  FairRollCall app(ClassList(names, "1"));
  ASSERT_TRUE(app.found());
  std::vector<std::string> expected;  // the record's lines as they should be
  Names called;
  auto due = [&](const Names& out) {
    Names d;
    for (const std::string& n : names) {
      if (std::find(out.begin(), out.end(), n) == out.end()) d.push_back(n);
    }
    return d;
  };

  // Three stops, then a restart: the round goes on from the record.
  for (int i = 0; i < 3; ++i) {
    Shown shown;
    called.push_back(app.Call(&shown, true));
    expected.push_back(called.back() + ",点名");
  }
  ASSERT_TRUE(app.Ends());
  app.Start();
  ASSERT_TRUE(app.found());
  const Names left = due(called);
  ASSERT_EQ(left.size(), 2u);

  // A stop among the two left, taken back from the menu: that pupil is due again.
  Shown shown;
  const std::string mistaken = app.Call(&shown, true);
  EXPECT_TRUE(Within(shown, left)) << "the round survived the restart";
  expected.push_back(mistaken + ",点名");
  ASSERT_TRUE(app.Menu(false, 'U'));
  EXPECT_EQ(app.Name(), "→ _ ←");
  expected.push_back(mistaken + ",撤销");
  shown.clear();
  const std::string absent = app.Call(&shown, true);
  EXPECT_EQ(shown, Shown(left.begin(), left.end())) << "the pupil taken back is drawn again";
  expected.push_back(absent + ",点名");

  // Not here today (Shift+F10): the call goes, and the other one is the last of the round.
  ASSERT_TRUE(app.Menu(true, 'A'));
  expected.push_back(absent + ",撤销");
  expected.push_back(absent + ",缺席");
  shown.clear();
  const std::string last = app.Call(&shown, true);
  EXPECT_EQ(shown, Shown{last});
  EXPECT_NE(last, absent);
  expected.push_back(last + ",点名");
  // The round is complete without the absent pupil; the next one leaves them out too.
  Names round;
  for (int i = 0; i < 4; ++i) {
    shown.clear();
    round.push_back(app.Call(&shown, true));
    EXPECT_TRUE(Within(shown, due({absent}))) << "an absent pupil is never drawn";
    expected.push_back(round.back() + ",点名");
  }
  const Names present = due({absent});
  EXPECT_EQ(Shown(round.begin(), round.end()), Shown(present.begin(), present.end()));
  ASSERT_TRUE(app.Ends());

  // The next day: the pupil absent yesterday is the one still due.
  app.Start(1);
  ASSERT_TRUE(app.found());
  shown.clear();
  EXPECT_EQ(app.Call(&shown, true), absent);
  EXPECT_EQ(shown, Shown{absent});
  expected.push_back(absent + ",点名");
  ASSERT_TRUE(app.Ends());

  const RecordLines record = ReadRecord(app.dir);
  EXPECT_TRUE(record.utf8) << "UTF-8 behind a byte-order mark";
  EXPECT_EQ(record.events, expected);
  ASSERT_EQ(record.dates.size(), expected.size());
  EXPECT_EQ(std::count(record.dates.begin(), record.dates.end(), record.dates.back()), 1)
      << "the last call on the next day";
}

TEST(FairRollCallScenario, SwitchedOffPupilsComeUpTwiceAsBefore) {
  const Names names = {"甲", "乙", "丙", "丁", "戊"};
  const std::string ini = ClassList(names, "否");  // any value but "1" or "是" is off
  FairRollCall app(ini);
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());
  // Five groups of five stops each all different would come once in ten million runs.
  int groups_with_a_repeat = 0;
  for (int group = 0; group < 5; ++group) {
    Shown called;
    for (int i = 0; i < 5; ++i) {
      Shown shown;
      const std::string name = app.Call(&shown, true);
      EXPECT_TRUE(Within(shown, names));
      EXPECT_EQ(app.Number(), NumberOf(names, name)) << name;
      called.insert(name);
    }
    if (called.size() < 5) ++groups_with_a_repeat;
  }
  EXPECT_GE(groups_with_a_repeat, 1);
  EXPECT_TRUE(app.Ends());
  EXPECT_EQ(app.dir.Read("dede.ini"), ini);
  EXPECT_FALSE(app.dir.Exists("点名记录.csv")) << "no record without the fair mode or an absence";
}

}  // namespace

namespace {

// A record whose last line is cut at every byte, with a line spoiled by hand in the middle: the
// program starts, reads every whole line (the round follows them), leaves the bytes it found
// as they were and appends its own line on a line of its own.
TEST(FairRollCallScenario, ACutOrSpoiledRecordKeepsEveryWholeLine) {
  const Names names = {"甲", "乙", "丙", "丁", "戊"};
  const std::string head = u8"\xEF\xBB\xBF时间,姓名,事件\r\n";
  const std::string kept = head + u8"2026-01-05 08:00:00,甲,点名\r\n" +
                           u8"2026-01-05 08:01:00,乙,点名\r\n" + u8"2026-01-05 8:02,丙,点\r\n" +
                           u8"2026-01-05 08:02:00,丙,点名\r\n";
  const std::string last = u8"2026-01-05 08:03:00,丁,点名\r\n";
  for (size_t cut = 0; cut <= last.size(); ++cut) {
    const std::string found = kept + last.substr(0, cut);
    FairRollCall app(ClassList(names, "1"));
    ASSERT_TRUE(app.dir.Write("点名记录.csv", found));
    ASSERT_TRUE(app.found()) << cut;
    Shown shown;
    const std::string name = app.Call(&shown, true);
    ASSERT_TRUE(app.Ends());
    const bool whole = cut >= last.size() - 2;
    EXPECT_EQ(shown, whole ? Shown{"戊"} : (Shown{"丁", "戊"})) << "cut at " << cut;
    const std::string after = app.dir.Read("点名记录.csv");
    ASSERT_EQ(after.compare(0, found.size(), found), 0) << "the bytes found stay: cut at " << cut;
    const std::string added = after.substr(found.size());
    const std::string line = added.substr(found.back() == '\n' ? 0 : 2);
    EXPECT_EQ(added.size() - line.size(), found.back() == '\n' ? 0u : 2u) << cut;
    EXPECT_EQ(line.size(), 32u) << "one line added: cut at " << cut;
    EXPECT_EQ(line.substr(19), (name == "戊" ? u8",戊,点名\r\n" : u8",丁,点名\r\n")) << cut;
  }
}

}  // namespace

namespace {

// A spreadsheet holding the record open keeps the program from appending to it: the call goes
// to the user's folder, and the next start reads both files, so the round does not lose it.
TEST(FairRollCallScenario, ACallMadeWhileASpreadsheetHoldsTheRecordStaysInTheRound) {
  wchar_t base[MAX_PATH];
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base)));
  const std::wstring elsewhere = std::wstring(base) + L"\\rollcall\\\u70b9\u540d\u8bb0\u5f55.csv";
  DeleteFileW(elsewhere.c_str());
  const Names names = {"甲", "乙", "丙", "丁", "戊"};
  FairRollCall app(ClassList(names, "1"));
  ASSERT_TRUE(app.dir.Write("点名记录.csv",
                            u8"\xEF\xBB\xBF时间,姓名,事件\r\n2026-01-05 08:00:00,甲,点名\r\n"
                            u8"2026-01-05 08:01:00,乙,点名\r\n"));
  ASSERT_TRUE(app.found());
  Shown shown;
  Names called = {"甲", "乙", app.Call(&shown, true)};
  // Opened for writing and shared for reading only, as spreadsheet programs open a file.
  HANDLE held = CreateFileA((app.dir.path() + "点名记录.csv").c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  called.push_back(app.Call(&shown, true));
  CloseHandle(held);
  ASSERT_TRUE(app.Ends());
  EXPECT_NE(GetFileAttributesW(elsewhere.c_str()), INVALID_FILE_ATTRIBUTES)
      << "the held record's call went to the user's folder";
  app.Start();
  ASSERT_TRUE(app.found());
  shown.clear();
  const std::string last = app.Call(&shown, true);
  ASSERT_TRUE(app.Ends());
  DeleteFileW(elsewhere.c_str());
  EXPECT_EQ(shown, Shown{last}) << "only the one pupil not called is due";
  EXPECT_EQ(std::count(called.begin(), called.end(), last), 0) << last;
}

}  // namespace

namespace {

// The record window against a record: the class with the calls not taken back, fewest first,
// the last call and today's absences, opened from the menu by its access key.
TEST(FairRollCallScenario, TheRecordWindowListsTheClassFromTheRecord) {
  const Names names = {"张三", "李四", "王五"};
  FairRollCall app(ClassList(names, ""));
  ASSERT_TRUE(app.found());
  ASSERT_TRUE(app.dir.Write(
      "点名记录.csv", std::string(u8"\xEF\xBB\xBF时间,姓名,事件\r\n") +
                          u8"2026-01-05 08:00:00,张三,点名\r\n2026-01-05 08:01:00,张三,超时\r\n" +
                          u8"2026-01-06 09:00:00,张三,点名\r\n2026-01-06 09:02:00,李四,点名\r\n" +
                          u8"2026-01-06 09:03:00,李四,撤销\r\n2026-01-06 09:04:00,王五,点名\r\n"));
  // A pupil shown and marked absent today: the menu writes it, the window shows it.
  Shown shown;
  const std::string absent = app.Call(&shown, true);
  ASSERT_TRUE(app.Menu(true, 'A'));
  ASSERT_TRUE(app.Menu(false, 'R'));
  HWND list_window = app.proc->WaitWindow("点名记录", 5000);
  ASSERT_NE(list_window, nullptr);
  HWND list = FindChild(list_window, "Edit");
  ASSERT_NE(list, nullptr);
  std::map<std::string, std::string> rows;
  std::vector<std::string> order;
  const std::string text = WindowText(list);
  for (size_t at = text.find("\r\n") + 2; at < text.size();) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    const std::string row = text.substr(at, end - at);
    at = end + 2;
    order.push_back(row.substr(0, row.find('\t')));
    rows[order.back()] = row;
  }
  EXPECT_EQ(order, (std::vector<std::string>{"李四", "王五", "张三"}))
      << "fewest calls first, a call taken back not counted:\n"
      << text;
  EXPECT_EQ(rows["张三"],
            "张三\t\t2\t2026-01-06 09:00\t" + std::string(absent == "张三" ? "缺席" : ""));
  EXPECT_EQ(rows["李四"], "李四\t\t0\t还没点过\t\t" + std::string(absent == "李四" ? "缺席" : ""));
  EXPECT_EQ(rows["王五"],
            "王五\t\t1\t2026-01-06 09:04\t" + std::string(absent == "王五" ? "缺席" : ""));
  if (!HasFailure()) SaveForReadme(Screenshot(list_window), "record_window.png");
  Close(list_window);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(list_window); }));

  // The menu itself, for the guide: over the name display after a stop.
  shown.clear();
  app.Call(&shown, true);
  SetForegroundWindow(app.window);
  RECT r;
  GetWindowRect(app.display, &r);
  SetCursorPos((r.left + r.right) / 2 - 120, r.top + 20);
  INPUT m[2] = {};
  m[0].type = m[1].type = INPUT_MOUSE;
  m[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  m[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  for (int tries = 0; tries < 3 && !MenuShown(); ++tries) {
    SendInput(2, m, sizeof(INPUT));
    WaitUntil(MenuShown, 2000);
  }
  ASSERT_TRUE(MenuShown());
  harness::Sleep(300);
  // The whole screen (bringing the window up would close the menu), cut to the main window.
  const Image screen = Screenshot();
  RECT w;
  GetWindowRect(app.window, &w);
  Image shot;
  shot.width = std::min<int>(w.right, screen.width) - std::max<int>(w.left, 0);
  shot.height = std::min<int>(w.bottom, screen.height) - std::max<int>(w.top, 0);
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      shot.data.push_back(screen.at(std::max<int>(w.left, 0) + x, std::max<int>(w.top, 0) + y));
    }
  }
  if (!HasFailure()) SaveForReadme(shot, "name_menu.png");
  INPUT esc[2] = {};
  esc[0].type = esc[1].type = INPUT_KEYBOARD;
  esc[0].ki.wVk = esc[1].ki.wVk = VK_ESCAPE;
  esc[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, esc, sizeof(INPUT));
  EXPECT_TRUE(WaitUntil([] { return !MenuShown(); }));
  EXPECT_TRUE(app.Ends());
  EXPECT_EQ(app.dir.Read("dede.ini"), ClassList(names, "")) << "the menu writes no class list";
}

}  // namespace
