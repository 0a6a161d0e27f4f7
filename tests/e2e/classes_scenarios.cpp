// Several classes in one class list file on the real program: the class in use ("点名设置："/
// "当前班级") is the one the names cycle through, up to 500 names in a class of its own section
// and 50 in the original one, and its name stands in the name group box's caption. The cycle's
// ticks are sent as its own timer messages, so a few hundred names take a moment.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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

std::string Section(const std::string& name, const std::string& prefix, int count) {
  std::string ini = "[全班人名：" + name + "]\r\n";
  for (int k = 1; k <= count; ++k)
    ini += std::to_string(k) + "=" + prefix + std::to_string(k) + "\r\n";
  return ini;
}

// The original class of `original` names, classes 高一(3)班 of 60 and 初二 of 5, and the class
// in use.
std::string ClassFile(int original, const std::string& in_use) {
  std::string ini = Section("", "原", original) + Section("高一(3)班", "高", 60) +
                    "[广告：]\r\n内容=欢迎\r\n[Running State]\r\nFirst run=no\r\n" +
                    Section("初二", "初", 5);
  return ini + "[点名设置：]\r\n当前班级=" + in_use + "\r\n";
}

void Tick(HWND timer) {
  DWORD_PTR done = 0;
  SendMessageTimeoutW(timer, WM_TIMER, 1, 0, SMTO_ABORTIFHUNG, 2000, &done);
}

struct Classes {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND window = nullptr, group = nullptr, display = nullptr, button = nullptr, cycle = nullptr;

  void Start() {
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    window = proc->WaitWindow(kTitle, 20000);
    if (window == nullptr) return;
    group = FindChildAt(window, "Button", 8, 8);
    display = FindChildAt(group, "TransLabel", 8, 16);
    cycle = FindChildAt(group, "RollcallTimer", 520, 8);
    button = FindChildAt(window, "Button", 8, 168);
  }
  bool found() const { return group && display && button && cycle; }
  void Stop() {
    Close(window);
    DWORD code = 1;
    proc->WaitExit(10000, &code);
  }

  // A roll call started by a click, `ticks` names of the cycle, and the stop: the names shown.
  std::set<std::string> Cycle(int ticks) {
    std::set<std::string> shown;
    Click(button);
    if (!WaitUntil([&] { return WindowText(button) == kStop; })) return {"(not started)"};
    for (int i = 0; i < ticks; ++i) {
      Tick(cycle);
      shown.insert(ChangingText(display));
    }
    WaitUntil([&] { return IsWindowEnabled(button) != 0; });
    Click(button);
    WaitUntil([&] { return WindowText(button) == kStart; });
    WaitUntil([&] { return IsWindowEnabled(button) != 0; });
    return shown;
  }
};

// Names of the form prefix + number: whether all are of that prefix within 1..max, and whether
// one above `above` came up.
struct Seen {
  bool within = true, above = false;
};
Seen Look(const std::set<std::string>& shown, const std::string& prefix, int max, int above) {
  Seen s;
  for (const std::string& name : shown) {
    const int n =
        name.compare(0, prefix.size(), prefix) == 0 ? atoi(name.c_str() + prefix.size()) : 0;
    s.within = s.within && n >= 1 && n <= max;
    s.above = s.above || n > above;
  }
  return s;
}

// --- The import of a list copied from a spreadsheet -------------------------------------------

// Puts UTF-16 text on the clipboard, as a spreadsheet's copy does (empty: a clipboard emptied).
bool SetClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool ok = true;
  if (!text.empty()) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* p = static_cast<wchar_t*>(GlobalLock(h));
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = L'\0';
    GlobalUnlock(h);
    ok = SetClipboardData(CF_UNICODETEXT, h) != nullptr;
  }
  CloseClipboard();
  return ok;
}

std::wstring W(const std::string& gbk) {
  std::wstring w(gbk.size(), L'\0');
  w.resize(size_t(MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), &w[0], int(w.size()))));
  return w;
}

// The file's bytes of a text in an encoding: "gbk" (with "?" for what it cannot hold, a
// surrogate pair as one), "utf8" or "utf16" (with its mark).
std::string Encode(const std::wstring& text, const std::string& encoding) {
  if (encoding == "utf16") {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  }
  std::wstring t = text;
  const UINT cp = encoding == "gbk" ? 936 : CP_UTF8;
  if (cp == 936) {
    std::wstring single;
    for (size_t i = 0; i < t.size(); ++i) {
      const bool pair = t[i] >= 0xD800 && t[i] <= 0xDBFF && i + 1 < t.size();
      single.push_back(pair ? L'?' : t[i]);
      i += pair ? 1 : 0;
    }
    t = single;
  }
  std::string out(t.size() * 4, '\0');
  out.resize(size_t(WideCharToMultiByte(cp, 0, t.data(), int(t.size()), &out[0], int(out.size()),
                                        nullptr, nullptr)));
  return out;
}

// A register of 45 rows and 3 columns as Excel puts it on the clipboard: a title row, the
// register numbers, two blank cells, two repeated names, and one name with a character outside
// GBK ("𠮷", a surrogate pair); and the names it gives, in reading order.
struct Register {
  std::wstring clipboard;
  std::vector<std::wstring> names;
};
Register MakeRegister() {
  Register r;
  r.clipboard = W("学号\t姓名\t姓名\r\n");
  for (int row = 1; row <= 44; ++row) {
    std::wstring a = W("张" + std::to_string(row)), b = W("李" + std::to_string(row));
    if (row == 5 || row == 17) b.clear();  // blank cells
    if (row == 30) b = W("张3");           // repeats of earlier names
    if (row == 40) a = W("李7");
    if (row == 44) b = L"\xD842\xDFB7" + W("田");  // 𠮷田
    r.clipboard += std::to_wstring(20230100 + row) + L"\t" + a + L"\t " + b + L" \r\n";
    for (const std::wstring& n : {a, b}) {
      if (!n.empty() && std::find(r.names.begin(), r.names.end(), n) == r.names.end()) {
        r.names.push_back(n);
      }
    }
  }
  return r;
}

struct Import : Classes {
  // Opens the name display's menu from the keyboard and chooses by access keys.
  void Choose(std::initializer_list<WORD> keys) {
    SetForegroundWindow(window);
    PostMessageW(window, WM_CONTEXTMENU, WPARAM(window), MAKELPARAM(-1, -1));
    WaitUntil([] { return FindWindowW(L"#32768", nullptr) != nullptr; });
    for (WORD key : keys) {
      INPUT in[2] = {};
      in[0].type = in[1].type = INPUT_KEYBOARD;
      in[0].ki.wVk = in[1].ki.wVk = key;
      in[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, in, sizeof(INPUT));
      harness::Sleep(150);
    }
  }
  // The box that comes next, answered with `button`: its text.
  std::string Box(int button) {
    MessageBoxInfo box = proc->WaitMessageBox();
    if (!box) return "(no box)";
    harness::Answer(box, button);
    return box.text;
  }
  // The class name window: the name proposed, `name` typed over it and 确定 touched.
  std::string NameClass(const std::string& name) {
    HWND w = proc->WaitWindow("新班级的名称");
    if (w == nullptr) return "(no window)";
    HWND edit = FindChild(w, "Edit");
    const std::string proposed = WindowText(edit);
    TypeText(edit, name);
    Click(FindChildByText(w, "确定"));
    return proposed;
  }
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ClassesScenario, TheMenuSwitchesClassesAndTheRollCallFollows) {
  Import app;
  ASSERT_TRUE(app.dir.Write("dede.ini", ClassFile(3, "")));
  app.Start();
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());
  const auto caption_is = [&](const std::string& caption) {
    return WaitUntil([&] { return WindowText(app.group) == caption; }, 3000);
  };
  EXPECT_TRUE(caption_is("被点人名")) << "the original class, as ever";

  // The menu lists the classes in file order after the original one: the third is 初二.
  app.Choose({'C', '3'});
  EXPECT_TRUE(caption_is("被点人名：初二")) << "the class's name in the caption";
  EXPECT_TRUE(Look(app.Cycle(100), "初", 5, 0).within) << "only names of 初二";

  // A running cycle stops first; 高一(3)班 of 60 cycles names 51 to 60 among its own.
  Click(app.button);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(app.button) == kStop; }));
  WaitUntil([&] { return IsWindowEnabled(app.button) != 0; });
  app.Choose({'C', '2'});
  EXPECT_TRUE(WaitUntil([&] { return WindowText(app.button) == kStart; }))
      << "the cycle stopped as a touch would";
  EXPECT_TRUE(caption_is("被点人名：高一(3)班"));
  Seen seen = Look(app.Cycle(300), "高", 60, 50);
  EXPECT_TRUE(seen.within) << "only names of the class in use";
  EXPECT_TRUE(seen.above) << "names 51 to 60 of a class larger than 50 come up";

  // The class in use is kept in the file over a restart.
  app.Stop();
  EXPECT_NE(app.dir.Read("dede.ini").find("当前班级=高一(3)班"), std::string::npos);
  app.Start();
  ASSERT_TRUE(app.found());
  EXPECT_TRUE(caption_is("被点人名：高一(3)班")) << "after a restart";

  // Back to the original class: its three names, and its 50 (more names written by hand).
  app.Choose({'C', '1'});
  EXPECT_TRUE(caption_is("被点人名"));
  EXPECT_TRUE(Look(app.Cycle(60), "原", 3, 0).within) << "the original three";
  ASSERT_TRUE(app.dir.Write("dede.ini", ClassFile(55, "")));
  seen = Look(app.Cycle(300), "原", 50, 40);
  EXPECT_TRUE(seen.within) << "the original class, names 1 to 50 only";
  EXPECT_TRUE(seen.above) << "up to name 50";
  app.Stop();
}

TEST(ClassesScenario, AListPastedFromASpreadsheetBecomesTheClassInUse) {
  const Register reg = MakeRegister();
  ASSERT_EQ(reg.names.size(), 84u) << "88 cells with a name, two of them repeats";
  const std::wstring old_text =
      W("[全班人名：]\r\n1=原1\r\n2=原2\r\n3=原3\r\n[广告：]\r\n内容=欢迎\r\n"
        "[Running State]\r\nFirst run=no");  // the last line without its line end
  const std::string marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE"};
  const std::string encodings[] = {"gbk", "utf8", "utf16"};
  for (int e = 0; e < 3; ++e) {
    const std::string& enc = encodings[e];
    Import app;
    const std::string old = marks[e] + Encode(old_text, enc);
    ASSERT_TRUE(app.dir.Write("dede.ini", old));
    app.Start();
    ASSERT_NE(app.window, nullptr) << enc;
    ASSERT_TRUE(SetClipboard(reg.clipboard));
    app.Choose({'I'});
    const std::string preview = app.Box(IDYES);
    EXPECT_TRUE(Has(preview, "剪贴板里有 84 个人名")) << enc << ": the count\n" << preview;
    EXPECT_TRUE(Has(preview, "张1、李1、张2、李2、张3 …… ")) << enc << ": the first names";
    EXPECT_TRUE(Has(preview, "重复的人名只算一次：张3、李7")) << enc << ": the repeats";
    EXPECT_TRUE(Has(preview, "已略去表头 3 格、学号（纯数字）44 格")) << enc;
    EXPECT_EQ(Has(preview, "生僻字会写成“?”"), enc == "gbk")
        << enc << ": only a GBK file changes a rare character";
    EXPECT_EQ(app.NameClass("高一(3)班"), "新班级1") << enc << ": the proposed name";
    EXPECT_TRUE(Has(app.Box(IDOK), "已新建班级“高一(3)班”，共 84 人")) << enc;

    std::wstring added = L"\r\n" + W("[全班人名：高一(3)班]\r\n");
    for (size_t k = 0; k < reg.names.size(); ++k) {
      added += std::to_wstring(k + 1) + L"=" + reg.names[k] + L"\r\n";
    }
    added += W("[点名设置：]\r\n当前班级=高一(3)班\r\n");
    EXPECT_EQ(app.dir.Read("dede.ini.bak"), old) << enc << ": the old bytes kept aside";
    EXPECT_EQ(app.dir.Read("dede.ini"), old + Encode(added, enc))
        << enc << ": every old byte kept, the new class after them in the file's encoding";
    EXPECT_EQ(WindowText(app.group), "被点人名：高一(3)班") << enc;
    app.Stop();
  }
}

TEST(ClassesScenario, NothingIsWrittenWithoutTextOrIntoAReadOnlyFile) {
  const std::string old = "[全班人名：]\r\n1=甲\r\n2=乙\r\n[Running State]\r\nFirst run=no\r\n";
  Import app;
  ASSERT_TRUE(app.dir.Write("dede.ini", old));
  app.Start();
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(SetClipboard(L""));
  app.Choose({'I'});
  EXPECT_TRUE(Has(app.Box(IDOK), "剪贴板里没有文字")) << "a clear box for a clipboard without text";
  EXPECT_FALSE(app.dir.Exists("dede.ini.bak")) << "nothing written";

  const std::string path = app.dir.path() + "dede.ini";
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetClipboard(W("丙\r\n丁\r\n")));
  app.Choose({'I'});
  EXPECT_TRUE(Has(app.Box(IDYES), "剪贴板里有 2 个人名"));
  EXPECT_EQ(app.NameClass("二班"), "新班级1");
  EXPECT_TRUE(Has(app.Box(IDOK), "无法写入 dede.ini")) << "a clear box for a read-only file";
  EXPECT_EQ(app.dir.Read("dede.ini"), old) << "nothing lost";
  EXPECT_EQ(WindowText(app.group), "被点人名") << "the class in use stays";
  app.Stop();
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
