// The program started from a folder it cannot write to (a read-only mount, prepared by
// scripts/test.sh's readonly suite, which names it in ROLLCALL_READONLY_DIR): the skin library
// goes to the user's library folder instead, the class list boxes come as always, and the
// program runs in its skin with the teacher's names. A folder with less room left than the skin
// library needs (the suite's case "full") gets no cut library: every start runs, the library
// in the user's folder. Without that folder the cases skip.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kMainTitle[] = "MOX随机点名器 v6.0（课上专用）";

std::wstring Utf16(const std::string& gbk) {
  int n = MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), &w[0], n);
  return w;
}

std::string UserLibrary() {
  wchar_t base[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base))) return "";
  char out[MAX_PATH * 2];
  WideCharToMultiByte(936, 0, base, -1, out, sizeof out, nullptr, nullptr);
  return std::string(out) + "\\rollcall\\SkinH_EL.dll";
}

bool Exists(const std::string& gbk_path) {
  return GetFileAttributesW(Utf16(gbk_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The names of a folder's files, hidden ones too.
std::set<std::wstring> FilesIn(const std::string& dir) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(Utf16(dir + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

// The program started where it lies, with its folder as the current one.
struct InPlace {
  PROCESS_INFORMATION info{};

  explicit InPlace(const std::string& dir) {
    std::wstring cmd = L"\"" + Utf16(dir) + L"rollcall.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, Utf16(dir).c_str(), &si,
                   &info);
  }
  ~InPlace() {
    if (info.hProcess == nullptr) return;
    TerminateProcess(info.hProcess, 9);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }

  struct Search {
    DWORD pid;
    const char* title;  // null: a message box
    HWND found;
  };
  static BOOL CALLBACK Match(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != s->pid || !IsWindowVisible(hwnd)) return TRUE;
    if (s->title != nullptr ? WindowText(hwnd) == s->title : ClassName(hwnd) == "#32770") {
      s->found = hwnd;
      return FALSE;
    }
    return TRUE;
  }
  HWND Find(const char* title) const {
    Search s{info.dwProcessId, title, nullptr};
    EnumWindows(&Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
  // The caption of the next message box, answered with OK; empty when none comes.
  std::string AnswerBox() const {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = Find(nullptr)) != nullptr; }, 15000)) return "";
    const std::string caption = WindowText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return caption;
  }
  HWND MainWindow() const {
    HWND main = nullptr;
    WaitUntil([&] { return (main = Find(kMainTitle)) != nullptr; }, 15000);
    return main;
  }
};

// The main window's client area shows the start skin's face colour (#eaf0f7).
void ExpectStartSkin(HWND main) {
  Image shot = ClientShot(main);
  ASSERT_FALSE(shot.empty());
  EXPECT_GT(CountNear(shot, 0, 0, shot.width, shot.height, Rgb(0xEA, 0xF0, 0xF7), 6),
            shot.width * shot.height / 10)
      << "the window is drawn in skin 8";
}

class ReadOnlyFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = Env("ROLLCALL_READONLY_DIR");
    if (dir_.empty()) GTEST_SKIP() << "needs the read-only folder of the readonly suite";
    ASSERT_FALSE(CreateDirectoryW(Utf16(dir_ + "probe").c_str(), nullptr))
        << "the folder must really refuse writes";
  }

  // What the folder held before the program started; nothing may be added.
  void ExpectNothingWritten() {
    EXPECT_FALSE(Exists(dir_ + "SkinH_EL.dll")) << "nothing is written beside the program";
  }

  std::string dir_;
};

TEST_F(ReadOnlyFolder, FirstStartWritesTheLibraryToTheUserFolder) {
  if (Env("ROLLCALL_READONLY_CASE") != "first") GTEST_SKIP();
  ASSERT_FALSE(Exists(dir_ + "dede.ini"));
  DeleteFileW(Utf16(UserLibrary()).c_str());

  InPlace program(dir_);
  ASSERT_NE(program.info.hProcess, nullptr);
  EXPECT_EQ(program.AnswerBox(), "外部数据缺失！") << "the class list cannot be created: warned";
  EXPECT_EQ(program.AnswerBox(), "V6.0使用须知（首次运行）");
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr) << "the program runs instead of ending in an error";
  EXPECT_TRUE(Exists(UserLibrary())) << "the library went to the user's folder";
  ExpectStartSkin(main);
  EXPECT_FALSE(Exists(dir_ + "dede.ini"));
  ExpectNothingWritten();
}

TEST_F(ReadOnlyFolder, ATeachersClassListIsReadAsAlways) {
  if (Env("ROLLCALL_READONLY_CASE") != "teacher") GTEST_SKIP();
  ASSERT_TRUE(Exists(dir_ + "dede.ini"));

  InPlace program(dir_);
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(program.Find(nullptr)) << "no box: the file is there and its notice was seen";
  EXPECT_TRUE(Exists(UserLibrary()));
  ExpectStartSkin(main);

  HWND roll = FindChildByText(main, "轻触开始点名");
  ASSERT_NE(roll, nullptr);
  Click(roll);
  bool seen = WaitUntil([&] {
    for (const Control& c : Children(main)) {
      if (c.text == "张三" || c.text == "李四" || c.text == "王五") return true;
    }
    return false;
  });
  EXPECT_TRUE(seen) << "the names of the class list cycle in the display";
  ExpectNothingWritten();
}

// Two starts from a folder with less room than the library: the first writes it to the user's
// folder and leaves nothing cut beside the program, the second finds it there and runs too.
TEST(FullFolder, NoCutLibraryIsLeftAndEveryStartRuns) {
  const std::string dir = Env("ROLLCALL_READONLY_DIR");
  if (dir.empty() || Env("ROLLCALL_READONLY_CASE") != "full") {
    GTEST_SKIP() << "needs the full folder of the readonly suite";
  }
  ULARGE_INTEGER free_bytes{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(Utf16(dir).c_str(), &free_bytes, nullptr, nullptr));
  ASSERT_LT(free_bytes.QuadPart, 88576u) << "the folder has less room than the library";
  DeleteFileW(Utf16(UserLibrary()).c_str());

  for (int start = 1; start <= 2; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    InPlace program(dir);
    ASSERT_NE(program.info.hProcess, nullptr);
    HWND main = nullptr;
    std::vector<std::string> boxes;
    WaitUntil(
        [&] {
          if (HWND box = program.Find(nullptr)) {
            boxes.push_back(WindowText(box) + ": " + WindowText(GetDlgItem(box, 0xFFFF)));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            WaitUntil([&] { return !IsWindow(box); });
            return false;
          }
          return (main = program.Find(kMainTitle)) != nullptr;
        },
        20000);
    for (const std::string& b : boxes) {
      EXPECT_NE(b.rfind("错误", 0), 0u) << "no fatal box: " << b;
    }
    if (main == nullptr) {
      ADD_FAILURE() << "the program runs";
      continue;
    }
    if (start == 2) {
      EXPECT_TRUE(boxes.empty()) << "the second start shows no box; seen: " << boxes[0];
    }
    EXPECT_TRUE(Exists(UserLibrary())) << "the library lies in the user's folder";
    ExpectStartSkin(main);
    EXPECT_EQ(FilesIn(dir), (std::set<std::wstring>{L"dede.ini", L"rollcall.exe"}))
        << "no cut library and no temporary file beside the program";
  }
}

}  // namespace
