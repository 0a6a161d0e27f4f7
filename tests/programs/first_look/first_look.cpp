// What a new user sees at the program's first start, for scripts/run.sh without a display: the
// program is started in the run folder named by ROLLCALL_FIRST_LOOK_DIR (rollcall.exe and
// nothing else in it), its two first-start boxes are answered, a small sample class list is put
// into the dede.ini it just made there, and a roll call is started and stopped. A screenshot of
// each step lands in that folder; the terminal is told every step in UTF-8.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kStart[] = "轻触开始点名";
constexpr char kStop[] = "轻触停止点名";
const char* const kSampleNames[] = {"王小明", "李华", "张伟", "刘洋", "陈静",
                                    "杨帆",   "赵磊", "黄丽", "周杰", "吴敏"};

std::string Utf8(const std::string& gbk) {
  const int n = MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), nullptr, 0);
  std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), &wide[0], n);
  const int m =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(m > 0 ? m : 0), '\0');
  if (m > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &out[0], m, nullptr, nullptr);
  }
  return out;
}

void Say(const std::string& gbk) {
  const std::string line = Utf8(gbk) + "\n";
  fwrite(line.data(), 1, line.size(), stdout);
  fflush(stdout);
}

int Fail(const std::string& gbk) {
  Say("first look: " + gbk);
  return 1;
}

std::string ReadWhole(const std::string& path) {
  std::string bytes;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    fclose(f);
  }
  return bytes;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

std::string OneLine(std::string text) {
  for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
  return text;
}

class FirstLook {
 public:
  explicit FirstLook(std::string dir) : dir_(std::move(dir)) {}

  // Saves a screenshot of the window (of the whole screen for null) into the run folder.
  void Shot(HWND window, const char* name) const {
    if (SavePng(Screenshot(window), dir_ + name)) Say(std::string("  screenshot ") + name);
  }

  // The next box of the program, pictured and answered with OK, and told on the terminal.
  bool AnswerBox(const Process& proc, const char* shot) const {
    const MessageBoxInfo box = proc.WaitMessageBox(30000);
    if (!box) return false;
    ::Sleep(300);  // let it paint before the picture
    Shot(nullptr, shot);
    Say("answered the first-start box \"" + box.caption + "\" (" + OneLine(box.text) + ") with OK");
    Answer(box, IDOK);
    return true;
  }

  // Fills the first keys of the class list the program made with the sample names. The file is
  // the program's own, just made in this run's folder: no teacher's list is touched.
  bool WriteSampleNames() const {
    std::string text = ReadWhole(dir_ + "dede.ini");
    int k = 0;
    for (const char* name : kSampleNames) {
      const std::string key = "\r\n" + std::to_string(++k) + "=";
      const size_t at = text.find(key + "\r\n");
      if (at == std::string::npos) return false;
      text.insert(at + key.size(), name);
    }
    return WriteWhole(dir_ + "dede.ini", text);
  }

 private:
  std::string dir_;
};

}  // namespace

int main() {
  std::string dir = EnvPath("ROLLCALL_FIRST_LOOK_DIR");
  if (dir.empty()) return Fail("ROLLCALL_FIRST_LOOK_DIR names no folder");
  if (dir.back() != '\\') dir += '\\';
  const FirstLook look(dir);

  // Started in its own folder, as a teacher starts it from where it was unpacked.
  std::wstring image, cwd;
  {
    const int n = MultiByteToWideChar(936, 0, dir.c_str(), -1, nullptr, 0);
    cwd.resize(size_t(n));
    MultiByteToWideChar(936, 0, dir.c_str(), -1, &cwd[0], n);
    cwd.pop_back();
    image = L"\"" + cwd + L"rollcall.exe\"";
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &image[0], nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si,
                      &pi)) {
    return Fail("rollcall.exe could not be started in " + dir);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  const Process proc(pi.dwProcessId);

  if (!look.AnswerBox(proc, "1-first-start-box.png")) return Fail("no first-start box came");
  if (!look.AnswerBox(proc, "2-first-run-notice.png")) return Fail("no first-run notice came");
  HWND main = proc.WaitWindow(kTitle, 20000);
  if (main == nullptr) return Fail("the main window did not show");

  if (!look.WriteSampleNames()) return Fail("the new dede.ini has no empty keys 1 to 10");
  Say("put a sample class list of 10 names into " + Env("ROLLCALL_FIRST_LOOK_DIR") + "/dede.ini");

  HWND button = FindChildByText(main, kStart);
  HWND display = FindChildAt(FindChildAt(main, "Button", 8, 8), "TransLabel", 8, 16);
  if (button == nullptr || display == nullptr) return Fail("the roll-call button is not there");
  Click(button);
  if (!WaitUntil([&] { return WindowText(button) == kStop; })) {
    return Fail("the roll call did not start");
  }
  // The names seen on the display over a while, sampled faster than the cycle changes them.
  std::set<std::string> seen;
  const DWORD started = GetTickCount();
  while (GetTickCount() - started < 700) {
    seen.insert(ChangingText(display));
    ::Sleep(5);
  }
  look.Shot(main, "3-names-cycling.png");
  Say("started a roll call: " + std::to_string(seen.size()) + " names came up in 0.7 s");

  // The button is locked for a moment after each touch, as against a double touch.
  WaitUntil([&] { return IsWindowEnabled(button) != 0; });
  Click(button);
  if (!WaitUntil([&] { return WindowText(button) == kStart; })) {
    return Fail("the roll call did not stop");
  }
  ::Sleep(300);
  look.Shot(main, "4-one-called.png");
  Say("stopped it: " + ChangingText(display) + " is called");

  Close(main);
  DWORD code = 1;
  if (!proc.WaitExit(10000, &code)) return Fail("the program did not end when closed");
  Say("closed the program (exit code " + std::to_string(code) + ")");
  return code == 0 ? 0 : 1;
}
