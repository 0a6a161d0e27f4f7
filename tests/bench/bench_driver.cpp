// The benchmark driver: starts the roll-call program and its references (bench_reference.exe)
// in fresh folders, under the same wineserver, and measures them side by side. scripts/bench.sh
// runs it step by step and turns what it prints into docs/benchmarks.md.
//
//   bench_driver prime PROGRAM SEED_DIR
//       a first start of the program in a fresh folder (its two boxes answered), so that the
//       class list file and the skin library it writes can seed warm starts; 40 names are put
//       into the class list, and a copy with an empty banner text is kept as dede_nobanner.ini
//   bench_driver startup PROGRAM REFERENCE SEED_DIR RUNS LABEL
//       process start to the main window shown and idle, program and bare reference in turns
//   bench_driver idle PROGRAM REFERENCE SEED_DIR RUNS SECONDS SPY_DLL [BEFORE BEFORE_SEED]
//       CPU time over SECONDS of both, idle and with the name cycle running, each also with the
//       banner stopped, and the program minimised and covered; then the timer messages the
//       program's thread takes, counted by a hook; with BEFORE, a build of the program from
//       before a change in the same rounds; the subjects of one round run at the same time
//   bench_driver memory PROGRAM REFERENCE SEED_DIR SPY_DLL INSTANCES SECONDS
//       memory and object counts after start and after SECONDS of cycling, banner, clock and
//       panel slides, INSTANCES of each side by side
//   bench_driver repaint PROGRAM SEED_DIR SPY_DLL SECONDS
//       the program's timer ticks and what each banner step repaints, from a hook inside it
//   bench_driver ab PROGRAM_A SEED_A PROGRAM_B SEED_B RUNS SECONDS
//       CPU time of two builds of the program side by side, idle and cycling: the before and
//       after of a change
//   bench_driver dpi PROGRAM SEED_DIR RUNS SECONDS
//       the program at 96 and at 192 DPI in turns: start-up (nothing listening), then idle
//       rounds with both at once; the display's DPI is the prefix's LogPixels, set before a
//       192-DPI start and deleted again once its window shows
//
// Every figure is a line "R<TAB>figure<TAB>subject<TAB>run<TAB>value<TAB>unit"; notes are lines
// "N<TAB>text". Timings are printed, never judged.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/bench/spy_report.h"
#include "tests/harness/driver.h"

namespace {

using harness::TempDir;

constexpr int kMainWidth = 617;
constexpr int kMainHeight = 407;          // with its frame, as the width
constexpr UINT kQueryTicks = WM_APP + 1;  // bench_reference.exe: ticks of a timer so far

void Figure(const char* figure, const std::string& subject, int run, double value,
            const char* unit) {
  std::printf("R\t%s\t%s\t%d\t%.6g\t%s\n", figure, subject.c_str(), run, value, unit);
  std::fflush(stdout);
}

void Note(const std::string& text) {
  std::printf("N\t%s\n", text.c_str());
  std::fflush(stdout);
}

[[noreturn]] void Fail(const std::string& why) {
  std::printf("E\t%s\n", why.c_str());
  std::fflush(stdout);
  std::exit(1);
}

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(f.QuadPart);
}

std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), &w[0], n);
  return w;
}

std::string BaseName(const std::string& path) {
  const size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok =
      WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr) && put == bytes.size();
  CloseHandle(h);
  return ok;
}

// ---- Processes -------------------------------------------------------------------------

// What a subject needs in its folder besides its program.
struct Subject {
  std::string name;                                        // as the report names it
  std::string exe;                                         // full path
  std::string args;                                        // command line arguments
  std::vector<std::pair<std::string, std::string>> files;  // (source path, name in folder)
  bool program = true;  // the roll-call program (else the reference)
  int dpi = 0;          // the prefix's LogPixels at its start (0: none, which is 96)
};

// The display's DPI as Wine hands it to a program at its start: the prefix's LogPixels, or 96
// when there is none. Wine tells a LogPixels of 96 from none, so 0 deletes the value.
void SetLogPixels(int dpi) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    Fail("cannot open the display settings");
  }
  const DWORD value = DWORD(dpi);
  const LONG rc = dpi != 0 ? RegSetValueExW(key, L"LogPixels", 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&value), sizeof value)
                           : RegDeleteValueW(key, L"LogPixels");
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS && !(dpi == 0 && rc == ERROR_FILE_NOT_FOUND)) {
    Fail("cannot set the display's DPI");
  }
}

// A started subject in a folder of its own; ended (closed, or killed) on destruction.
class Running {
 public:
  explicit Running(const Subject& subject) : subject_(subject) {
    for (const auto& [from, name] : subject.files) dir_.CopyIn(from, name);
    dir_.CopyIn(subject.exe, BaseName(subject.exe));
    exe_ = dir_.path() + BaseName(subject.exe);
  }
  ~Running() { End(); }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;

  // Starts the program; returns the seconds from process start to its main window shown and
  // idle: the process waits for input, the window is visible, and what it had to paint is
  // painted (a paint pass sent to it, and a message round trip).
  double Start() {
    std::wstring command = L"\"" + Wide(exe_) + L"\" " + Wide(subject_.args);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (subject_.dpi != 0) SetLogPixels(subject_.dpi);
    const double t0 = Now();
    if (!CreateProcessW(Wide(exe_).c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        Wide(dir_.path()).c_str(), &si, &info_)) {
      Fail("cannot start " + exe_);
    }
    WaitForInputIdle(info_.hProcess, 30000);
    if (!harness::WaitUntil([&] { return (window_ = FindMain()) != nullptr; }, 30000)) {
      Fail(subject_.name + ": no main window");
    }
    // Read by now: the window was laid out at it.
    if (subject_.dpi != 0) SetLogPixels(0);
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
    return Now() - t0;
  }

  void End() {
    if (info_.hProcess == nullptr) return;
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, 5000) != WAIT_OBJECT_0) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
    window_ = nullptr;
  }

  HWND window() const { return window_; }
  HANDLE process() const { return info_.hProcess; }
  DWORD pid() const { return info_.dwProcessId; }
  DWORD thread() const { return info_.dwThreadId; }
  const Subject& subject() const { return subject_; }
  const TempDir& dir() const { return dir_; }

  // The Unix process that runs it: the one whose command line names the copy of the program
  // in this folder (folders are unique).
  int UnixPid() {
    if (unix_pid_ == 0) unix_pid_ = FindUnixPid(exe_);
    return unix_pid_;
  }

  // CPU seconds (user and system, all threads) the process has used, from the kernel's
  // account of the Unix process: Wine's GetProcessTimes does not follow another process.
  double CpuSeconds() {
    const std::string stat = ReadFileBytes("Z:\\proc\\" + std::to_string(UnixPid()) + "\\stat");
    return StatCpuSeconds(stat);
  }

  static double StatCpuSeconds(const std::string& stat) {
    // Fields after the command name in parentheses: state is field 3; utime 14, stime 15.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    const char* p = stat.c_str() + close + 2;
    unsigned long long values[13] = {};
    for (int field = 3; field <= 15; ++field) {
      while (*p == ' ') ++p;
      if (field >= 14) values[field - 3] = std::strtoull(p, nullptr, 10);
      while (*p != '\0' && *p != ' ') ++p;
    }
    return double(values[11] + values[12]) / 100.0;  // USER_HZ
  }

  HWND Child(const std::string& text) const { return harness::FindChildByText(window_, text); }

 private:
  struct MainQuery {
    DWORD pid;
    int dpi;
    HWND found;
  };
  static BOOL CALLBACK IsMain(HWND hwnd, LPARAM lp) {
    auto* q = reinterpret_cast<MainQuery*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != q->pid || !IsWindowVisible(hwnd)) return TRUE;
    RECT r;
    GetWindowRect(hwnd, &r);
    // The program lays itself out at the display's DPI, the reference in fixed pixels.
    const int width = r.right - r.left;
    if (width != kMainWidth && width != MulDiv(kMainWidth, q->dpi, 96)) return TRUE;
    q->found = hwnd;
    return FALSE;
  }
  HWND FindMain() const {
    int dpi = subject_.dpi;
    if (dpi == 0) {
      HDC screen = GetDC(nullptr);
      dpi = GetDeviceCaps(screen, LOGPIXELSX);
      ReleaseDC(nullptr, screen);
    }
    MainQuery q{info_.dwProcessId, dpi, nullptr};
    EnumWindows(IsMain, reinterpret_cast<LPARAM>(&q));
    return q.found;
  }

  static int FindUnixPid(const std::string& exe) {
    std::string want = exe;
    std::transform(want.begin(), want.end(), want.begin(), ::tolower);
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &fd);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    do {
      if (fd.cFileName[0] < '0' || fd.cFileName[0] > '9') continue;
      std::string cmdline = ReadFileBytes(std::string("Z:\\proc\\") + fd.cFileName + "\\cmdline");
      cmdline = cmdline.substr(0, cmdline.find('\0'));
      std::transform(cmdline.begin(), cmdline.end(), cmdline.begin(), ::tolower);
      if (cmdline.find(want) != std::string::npos) found = std::atoi(fd.cFileName);
    } while (found == 0 && FindNextFileA(find, &fd));
    FindClose(find);
    return found;
  }

  Subject subject_;
  TempDir dir_;
  std::string exe_;
  PROCESS_INFORMATION info_{};
  HWND window_ = nullptr;
  int unix_pid_ = 0;
};

// ---- Seeding warm starts ---------------------------------------------------------------

constexpr char kStartCaption[] = "轻触开始点名";
constexpr char kStopCaption[] = "轻触停止点名";
constexpr char kTabCaptionStart[] = "》》";

// Puts names after the keys 1 to `count` of the class list ("\n1=" ... in the file).
std::string WithNames(std::string ini, int count) {
  for (int k = 1; k <= count; ++k) {
    const std::string key = "\n" + std::to_string(k) + "=";
    const size_t at = ini.find(key);
    if (at != std::string::npos) ini.insert(at + key.size(), "学生" + std::to_string(k));
  }
  return ini;
}

// The banner's text emptied: the program then slows the banner to one step in 15 seconds.
std::string WithoutBanner(std::string ini) {
  const std::string key = "内容=";
  const size_t at = ini.find(key);
  if (at == std::string::npos) return ini;
  const size_t end = ini.find_first_of("\r\n", at);
  ini.erase(at + key.size(), end == std::string::npos ? std::string::npos : end - at - key.size());
  return ini;
}

void Prime(const std::string& program, const std::string& seed) {
  TempDir dir;
  harness::Process p(dir, program);
  // The missing-file warning and the first-run notice.
  for (int i = 0; i < 4; ++i) {
    harness::MessageBoxInfo box = p.WaitMessageBox(i < 2 ? 20000 : 1500);
    if (!box) break;
    harness::Answer(box, IDOK);
  }
  HWND window = p.WaitWindow("", 20000);
  if (window == nullptr) Fail("prime: the program shows no window");
  harness::Close(window);
  DWORD code = 0;
  if (!p.WaitExit(10000, &code)) Fail("prime: the program does not end");
  const std::string ini = dir.Read("dede.ini");
  if (ini.empty() || !dir.Exists("SkinH_EL.dll")) Fail("prime: no class list or skin library");
  CreateDirectoryA(seed.c_str(), nullptr);
  if (!WriteFileBytes(seed + "\\dede.ini", WithNames(ini, 40)) ||
      !WriteFileBytes(seed + "\\dede_nobanner.ini", WithoutBanner(WithNames(ini, 40))) ||
      !CopyFileA((dir.path() + "SkinH_EL.dll").c_str(), (seed + "\\SkinH_EL.dll").c_str(), FALSE)) {
    Fail("prime: cannot write the seed folder " + seed);
  }
  Note("seeded " + seed + " with the class list (40 names) and the skin library");
}

Subject ProgramSubject(const std::string& name, const std::string& program, const std::string& seed,
                       bool banner = true) {
  return {name,
          program,
          "",
          {{seed + (banner ? "\\dede.ini" : "\\dede_nobanner.ini"), "dede.ini"},
           {seed + "\\SkinH_EL.dll", "SkinH_EL.dll"}},
          true};
}

Subject ReferenceSubject(const std::string& name, const std::string& reference,
                         const std::string& seed, const std::string& args = "",
                         bool banner = true) {
  return {name,
          reference,
          args,
          {{seed + (banner ? "\\dede.ini" : "\\dede_nobanner.ini"), "dede.ini"}},
          false};
}

// ---- Start-up ----------------------------------------------------------------------------

void StartupRuns(const std::string& program, const std::string& reference, const std::string& seed,
                 int runs, const std::string& label) {
  const Subject subjects[] = {ProgramSubject("program", program, seed),
                              ReferenceSubject("reference", reference, seed, "--bare")};
  // One unmeasured start of each first: the page cache and the server's state as in the runs.
  for (const Subject& s : subjects) Running(s).Start();
  for (int run = 1; run <= runs; ++run) {
    for (const Subject& s : subjects) {
      Running r(s);
      const double seconds = r.Start();
      Figure(("startup_" + label).c_str(), s.name, run, seconds * 1000, "ms");
      // The processor time the start took: what a busy machine does not stretch.
      Figure(("startup_cpu_" + label).c_str(), s.name, run, r.CpuSeconds() * 1000, "ms");
    }
  }
}

// ---- CPU ---------------------------------------------------------------------------------

// Clicks a button of a subject by caption and waits until its caption becomes `then`.
bool ClickAndWait(const Running& r, const std::string& caption, const std::string& then) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    HWND button = r.Child(caption);
    if (button == nullptr) button = r.Child(then);
    if (button == nullptr) return false;
    if (harness::WindowText(button) == then) return true;
    harness::Click(button);
    if (harness::WaitUntil([&] { return harness::WindowText(button) == then; }, 2000)) return true;
  }
  return false;
}

// The banner label of a subject laid out at `dpi`: the 563-pixel-wide child of the bottom strip.
HWND BannerOf(HWND window, int dpi) {
  for (const harness::Control& c : harness::Children(window)) {
    if (c.rect.right - c.rect.left == MulDiv(563, dpi, 96) &&
        c.rect.bottom - c.rect.top == MulDiv(16, dpi, 96)) {
      return c.hwnd;
    }
  }
  return nullptr;
}

// Counts the banner's one-pixel steps from its position: it runs from 270 down to -420 and
// starts again at 270, a cycle of 691 places (design pixels; at `dpi` each is scaled).
class BannerCounter {
 public:
  BannerCounter(HWND label, int dpi) : label_(label), dpi_(dpi), last_(Left()) {}
  void Poll() {
    const int now = Left();
    // The shorter way round the cycle: a reading a pixel behind the one before (the label
    // read while it moves) is a step back, not a whole pass forward.
    const int ahead = ((last_ - now) % 691 + 691) % 691;
    steps_ += ahead > 345 ? ahead - 691 : ahead;
    last_ = now;
  }
  int steps() const { return steps_; }

 private:
  int Left() const {
    RECT r;
    GetWindowRect(label_, &r);
    MapWindowPoints(nullptr, GetParent(label_), reinterpret_cast<POINT*>(&r), 1);
    return MulDiv(r.left, 96, dpi_);
  }
  HWND label_;
  int dpi_;
  int last_;
  int steps_ = 0;
};

// ---- Hook inside the program -----------------------------------------------------------

// The spy DLL set as a message hook on a subject's user-interface thread, and its report.
class Spy {
 public:
  // The hook procedure: SpyGetMessage records everything, SpyCountTimers timer messages only.
  Spy(const std::string& dll, const Running& r, const std::string& hook = "SpyGetMessage") {
    module_ = LoadLibraryA(dll.c_str());
    if (module_ == nullptr) Fail("cannot load " + dll);
    void* address = reinterpret_cast<void*>(GetProcAddress(module_, (hook + "@12").c_str()));
    if (address == nullptr)
      address = reinterpret_cast<void*>(GetProcAddress(module_, hook.c_str()));
    if (address == nullptr) Fail(dll + " has no hook procedure");
    auto proc = reinterpret_cast<HOOKPROC>(address);
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, proc, module_, r.thread());
    if (hook_ == nullptr) Fail("cannot hook the program's thread");
    window_ = r.window();
    char name[64];
    bench::SpyMappingName(r.pid(), name);
    // The hook makes the mapping when the program's thread first calls it.
    harness::WaitUntil(
        [&] {
          PostMessageW(window_, WM_NULL, 0, 0);
          mapping_ = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
          return mapping_ != nullptr;
        },
        10000);
    if (mapping_ == nullptr) Fail("the hook did not reach the program");
    report_ = static_cast<const bench::SpyReport*>(
        MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, sizeof(bench::SpyReport)));
    if (report_ == nullptr || !harness::WaitUntil([&] { return report_->ready != 0; }, 10000)) {
      Fail("the hook did not get ready");
    }
  }
  ~Spy() {
    if (report_ != nullptr) UnmapViewOfFile(report_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Spy(const Spy&) = delete;
  Spy& operator=(const Spy&) = delete;

  // Posts a request and waits until the hook has carried it out.
  bool Request(WPARAM what) {
    const LONG before = report_->answered;
    PostMessageW(window_, bench::kSpyRequest, what, 0);
    return harness::WaitUntil([&] { return report_->answered != before; }, 20000);
  }
  const bench::SpyReport& report() const { return *report_; }

 private:
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
  HANDLE mapping_ = nullptr;
  const bench::SpyReport* report_ = nullptr;
  HWND window_ = nullptr;
};

// The program's timers by their place in the form.
const char* TimerName(int x, int y) {
  struct Place {
    int x, y;
    const char* name;
  };
  static const Place kPlaces[] = {
      {520, 8, "cycle_50ms"},  {144, -16, "clock_1ms"},   {176, 0, "banner_5ms"},
      {136, 40, "keeper_1ms"}, {584, 8, "blinker_500ms"}, {792, 8, "tab_1ms"},
      {792, 48, "widen_1ms"},  {792, 88, "narrow_1ms"},   {480, 216, "guard"},
      {112, 72, "countdown"},
  };
  for (const Place& p : kPlaces) {
    if (p.x == x && p.y == y) return p.name;
  }
  return nullptr;
}

// Where a subject's main window is while it is measured: shown (a corner of it at least
// uncovered), minimised, or wholly covered by a window of the driver's.
enum class Seen { kShown, kMinimised, kCovered };

struct TimedSubject {
  std::unique_ptr<Running> running;
  bool cycle = false;
  Seen seen = Seen::kShown;
  POINT at = {-1, -1};
  HWND cover = nullptr;
  std::unique_ptr<Spy> spy;
  double cpu0 = 0;
  LONG ticks0[8] = {};
  std::unique_ptr<BannerCounter> banner;
};

constexpr int kReferenceTimers[] = {1, 2, 3, 5, 6, 7};
constexpr const char* kTimerNames[] = {"cycle_50ms", "clock_1ms",     "banner_5ms",
                                       "keeper_1ms", "blinker_500ms", "tab_1ms"};

LONG ReferenceTicks(HWND window, int timer) {
  DWORD_PTR ticks = 0;
  SendMessageTimeoutW(window, kQueryTicks, WPARAM(timer), 0, SMTO_NORMAL, 5000, &ticks);
  return LONG(ticks);
}

struct RoundSubject {
  Subject subject;
  bool cycle;  // the name cycle runs
  Seen seen;
  POINT at = {-1, -1};  // where its window goes instead of the fan, above those before it
};
using Round = std::vector<RoundSubject>;

// The windows of a round all start at the screen's centre; they are fanned out from the top
// left corner, each a step beyond the one before and above it, so that a corner of every one
// shows: a program that rests what nobody sees would otherwise rest under its neighbours.
void FanOut(std::vector<TimedSubject>& round) {
  constexpr int kStep = 24;
  int place = 0;
  for (TimedSubject& t : round) {
    const bool placed = t.at.x >= 0;
    SetWindowPos(t.running->window(), HWND_TOP, placed ? t.at.x : place * kStep,
                 placed ? t.at.y : place * kStep, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    place += placed ? 0 : 1;
  }
  for (TimedSubject& t : round) {
    if (t.seen == Seen::kMinimised) ShowWindow(t.running->window(), SW_MINIMIZE);
    if (t.seen != Seen::kCovered) continue;
    RECT r;
    GetWindowRect(t.running->window(), &r);
    t.cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP,
                              r.left - 2, r.top - 2, r.right - r.left + 4, r.bottom - r.top + 4,
                              nullptr, nullptr, nullptr, nullptr);
    ShowWindow(t.cover, SW_SHOWNOACTIVATE);
  }
}

void TimedRounds(const std::function<Round()>& make_round, int runs, int seconds,
                 const std::string& spy_dll) {
  for (int run = 1; run <= runs; ++run) {
    std::vector<TimedSubject> round;
    for (const RoundSubject& rs : make_round()) {
      TimedSubject t;
      t.running = std::make_unique<Running>(rs.subject);
      t.cycle = rs.cycle;
      t.seen = rs.seen;
      t.at = rs.at;
      round.push_back(std::move(t));
    }
    for (TimedSubject& t : round) t.running->Start();
    for (TimedSubject& t : round) {
      if (t.cycle && !ClickAndWait(*t.running, kStartCaption, kStopCaption)) {
        Fail(t.running->subject().name + ": the name cycle does not start");
      }
      if (t.running->UnixPid() == 0) Fail(t.running->subject().name + ": no Unix process");
      // For a profiler watching the round.
      Note("unix pid " + std::to_string(t.running->UnixPid()) + " " + t.running->subject().name);
    }
    FanOut(round);
    ::Sleep(2000);  // start-up work done, the banner settled, what is unseen noticed
    for (TimedSubject& t : round) {
      const int dpi = t.running->subject().dpi != 0 ? t.running->subject().dpi : 96;
      HWND banner = BannerOf(t.running->window(), dpi);
      if (banner != nullptr) t.banner = std::make_unique<BannerCounter>(banner, dpi);
      if (!t.running->subject().program) {
        for (int i = 0; i < 6; ++i) {
          t.ticks0[i] = ReferenceTicks(t.running->window(), kReferenceTimers[i]);
        }
      }
      t.cpu0 = t.running->CpuSeconds();
    }
    const double t0 = Now();
    while (Now() - t0 < seconds) {
      ::Sleep(40);
      for (TimedSubject& t : round) {
        if (t.banner) t.banner->Poll();
      }
    }
    const double wall = Now() - t0;
    for (TimedSubject& t : round) {
      const double cpu = t.running->CpuSeconds() - t.cpu0;
      const std::string& name = t.running->subject().name;
      Figure("cpu", name, run, cpu * 1000 / wall, "ms/s");
      if (t.banner) Figure("banner_steps", name, run, t.banner->steps() / wall, "/s");
      if (!t.running->subject().program) {
        for (int i = 0; i < 6; ++i) {
          const LONG ticks = ReferenceTicks(t.running->window(), kReferenceTimers[i]) - t.ticks0[i];
          Figure((std::string("ticks_") + kTimerNames[i]).c_str(), name, run, ticks / wall, "/s");
        }
      }
    }
    // The program's timer messages, counted by a hook inside it after the CPU time was taken,
    // so that the hook's own work is not in that figure.
    if (spy_dll.empty()) continue;
    for (TimedSubject& t : round) {
      if (!t.running->subject().program) continue;
      t.spy = std::make_unique<Spy>(spy_dll, *t.running, "SpyCountTimers");
      if (!t.spy->Request(bench::kSpyStartRecording)) Fail("the counting hook does not answer");
    }
    const double c0 = Now();
    ::Sleep(DWORD(std::min(seconds, 10)) * 1000);
    const double counted = Now() - c0;
    for (TimedSubject& t : round) {
      if (!t.spy) continue;
      const bench::SpyReport& rep = t.spy->report();
      Figure("timer_messages", t.running->subject().name, run, rep.timer_messages / counted, "/s");
      // Which timers they were: those of the form by name, any other window's as "other".
      for (int i = 0; i < rep.timer_count; ++i) {
        const char* name = TimerName(rep.timers[i].x, rep.timers[i].y);
        Figure((std::string("counted_ticks_") + (name != nullptr ? name : "other")).c_str(),
               t.running->subject().name, run, rep.timers[i].ticks / counted, "/s");
      }
    }
    for (TimedSubject& t : round) {
      if (t.cover != nullptr) DestroyWindow(t.cover);
    }
  }
}

// With a program built before a change (BEFORE, its own seed folder), its subjects run in the
// same rounds as the program's, beside the same reference: "before_program" and so on.
void IdleRuns(const std::string& program, const std::string& reference, const std::string& seed,
              int runs, int seconds, const std::string& spy_dll, const std::string& before,
              const std::string& before_seed) {
  TimedRounds(
      [&] {
        Round round;
        auto programs = [&](const std::string& prefix, const std::string& exe,
                            const std::string& folder) {
          round.push_back({ProgramSubject(prefix + "program", exe, folder), false, Seen::kShown});
          round.push_back(
              {ProgramSubject(prefix + "program_cycle", exe, folder), true, Seen::kShown});
          round.push_back({ProgramSubject(prefix + "program_nobanner", exe, folder, false), false,
                           Seen::kShown});
          round.push_back({ProgramSubject(prefix + "program_nobanner_cycle", exe, folder, false),
                           true, Seen::kShown});
          round.push_back(
              {ProgramSubject(prefix + "program_minimised", exe, folder), false, Seen::kMinimised});
          round.push_back(
              {ProgramSubject(prefix + "program_covered", exe, folder), false, Seen::kCovered});
        };
        programs("", program, seed);
        if (!before.empty()) programs("before_", before, before_seed);
        round.push_back({ReferenceSubject("reference", reference, seed), false, Seen::kShown});
        round.push_back({ReferenceSubject("reference_cycle", reference, seed), true, Seen::kShown});
        round.push_back({ReferenceSubject("reference_nobanner", reference, seed, "", false), false,
                         Seen::kShown});
        round.push_back({ReferenceSubject("reference_nobanner_cycle", reference, seed, "", false),
                         true, Seen::kShown});
        return round;
      },
      runs, seconds, spy_dll);
}

void AbRuns(const std::string& a, const std::string& seed_a, const std::string& b,
            const std::string& seed_b, int runs, int seconds) {
  TimedRounds(
      [&] {
        return Round{{ProgramSubject("a", a, seed_a), false, Seen::kShown},
                     {ProgramSubject("b", b, seed_b), false, Seen::kShown},
                     {ProgramSubject("a_cycle", a, seed_a), true, Seen::kShown},
                     {ProgramSubject("b_cycle", b, seed_b), true, Seen::kShown}};
      },
      runs, seconds, "");
}

// The program at 96 and at 192 DPI under the same conditions: starts in turns (96, 192, 96,
// 192 ...), then rounds in which both run at once, side by side on a screen wide enough for
// both (scripts/bench.sh makes it so), neither covering the other's banner (a wholly covered
// program rests, and what does not show is not drawn).
void DpiRuns(const std::string& program, const std::string& seed, int runs, int seconds) {
  auto at = [&](int dpi) {
    Subject s = ProgramSubject("program_" + std::to_string(dpi) + "dpi", program, seed);
    s.dpi = dpi == 96 ? 0 : dpi;
    return s;
  };
  const Subject pair[] = {at(96), at(192)};
  for (const Subject& s : pair) Running(s).Start();  // unmeasured: caches as in the runs
  for (int run = 1; run <= runs * 2; ++run) {
    for (int i = 0; i < 2; ++i) {
      const Subject& s = pair[(run + i) % 2 == 1 ? 0 : 1];
      Running r(s);
      Figure("dpi_startup", s.name, run, r.Start() * 1000, "ms");
      Figure("dpi_startup_cpu", s.name, run, r.CpuSeconds() * 1000, "ms");
      Note("unix pid " + std::to_string(r.UnixPid()) + " " + s.name + " start");
    }
  }
  if (GetSystemMetrics(SM_CXSCREEN) < MulDiv(kMainWidth, 192 + 96, 96) ||
      GetSystemMetrics(SM_CYSCREEN) < MulDiv(kMainHeight, 192, 96)) {
    Note("the screen (" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
         std::to_string(GetSystemMetrics(SM_CYSCREEN)) +
         ") is too small for both windows side by side: the measurement is not fair");
  }
  TimedRounds(
      [&] {
        return Round{{at(192), false, Seen::kShown, {0, 0}},
                     {at(96), false, Seen::kShown, {MulDiv(kMainWidth, 192, 96) + 8, 0}}};
      },
      runs, seconds, "");
}

void TickFigures(const bench::SpyReport& rep, const std::string& subject, int seconds) {
  for (int i = 0; i < rep.timer_count; ++i) {
    const char* name = TimerName(rep.timers[i].x, rep.timers[i].y);
    if (name != nullptr) {
      Figure((std::string("ticks_") + name).c_str(), subject, 1,
             double(rep.timers[i].ticks) / seconds, "/s");
    }
  }
}

// Two phases of SECONDS each: idle, where only the banner, the clock and the keepers run, for
// what a banner step repaints (the name cycle repaints the name display on its own ticks); then
// with the names cycling, for the tick counts of every timer.
void RepaintRun(const std::string& program, const std::string& seed, const std::string& dll,
                int seconds) {
  Running r(ProgramSubject("program", program, seed));
  r.Start();
  ::Sleep(1000);
  Spy spy(dll, r);
  if (!spy.Request(bench::kSpyStartRecording)) Fail("the hook does not answer");
  ::Sleep(DWORD(seconds) * 1000);
  const bench::SpyReport rep = spy.report();
  Note("hook inside the program: " + std::to_string(rep.windows_hooked) + " windows subclassed");
  TickFigures(rep, "program", seconds);
  if (rep.steps <= 1) Fail("no banner steps seen");
  const double steps = rep.steps;
  Figure("banner_step_area", "program", 1, double(rep.touched_area) / steps, "px");
  Figure("banner_step_area_max", "program", 1, double(rep.max_touched), "px");
  Figure("banner_step_allowed", "program", 1, double(rep.allowed_area) / steps, "px");
  Figure("banner_step_label", "program", 1, double(rep.label_area) / steps, "px");
  Figure("banner_step_outside", "program", 1, double(rep.outside_area) / steps, "px");
  Figure("banner_steps_outside", "program", 1, rep.steps_outside, "steps");
  Figure("banner_steps_seen", "program", 1, steps, "steps");
  Figure("banner_step_time", "program", 1, rep.step_micros / steps, "us");

  if (!ClickAndWait(r, kStartCaption, kStopCaption)) Fail("the name cycle does not start");
  ::Sleep(1000);
  if (!spy.Request(bench::kSpyStartRecording)) Fail("the hook does not answer");
  ::Sleep(DWORD(seconds) * 1000);
  TickFigures(spy.report(), "program_cycle", seconds);
}

// ---- Memory ------------------------------------------------------------------------------

// Windows of a process (top-level, children, and message-only windows): the USER objects
// another process can count.
struct WindowTally {
  DWORD pid;
  int count;
};

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
  ++reinterpret_cast<WindowTally*>(lp)->count;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM lp) {
  auto* tally = reinterpret_cast<WindowTally*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != tally->pid) return TRUE;
  ++tally->count;
  EnumChildWindows(hwnd, CountChild, lp);
  return TRUE;
}

int WindowCount(DWORD pid) {
  WindowTally tally{pid, 0};
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&tally));
  for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
       w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
    CountTop(w, reinterpret_cast<LPARAM>(&tally));
  }
  return tally.count;
}

void MemoryFigures(Running& r, Spy* spy, const std::string& when, int run) {
  const std::string& name = r.subject().name;
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  if (GetProcessMemoryInfo(r.process(), &m, sizeof m)) {
    Figure(("working_set_" + when).c_str(), name, run, double(m.WorkingSetSize) / 1024, "KiB");
    // Wine fills the commit charge (private bytes) into PagefileUsage, not PrivateUsage.
    Figure(("private_" + when).c_str(), name, run, double(m.PagefileUsage) / 1024, "KiB");
  }
  Figure(("windows_" + when).c_str(), name, run, WindowCount(r.pid()), "windows");
  DWORD handles = 0;
  if (GetProcessHandleCount(r.process(), &handles)) {
    Figure(("handles_" + when).c_str(), name, run, handles, "handles");
  }
  if (spy != nullptr && spy->Request(bench::kSpyCountObjects)) {
    const bench::SpyReport& rep = spy->report();
    Figure(("gdi_free_" + when).c_str(), name, run, rep.gdi_free_slots, "slots");
    Figure(("handles_inside_" + when).c_str(), name, run, rep.handle_count, "handles");
  }
}

void MemoryRuns(const std::string& program, const std::string& reference, const std::string& seed,
                const std::string& dll, int instances, int seconds) {
  struct Instance {
    std::unique_ptr<Running> running;
    std::unique_ptr<Spy> spy;
    int run;
  };
  std::vector<Instance> all;
  for (int i = 1; i <= instances; ++i) {
    all.push_back(
        {std::make_unique<Running>(ProgramSubject("program", program, seed)), nullptr, i});
    all.push_back(
        {std::make_unique<Running>(ReferenceSubject("reference", reference, seed)), nullptr, i});
  }
  for (Instance& in : all) in.running->Start();
  ::Sleep(3000);
  for (Instance& in : all) {
    in.spy = std::make_unique<Spy>(dll, *in.running);
    MemoryFigures(*in.running, in.spy.get(), "start", in.run);
    if (!ClickAndWait(*in.running, kStartCaption, kStopCaption)) Fail("the cycle does not start");
  }
  // The lesson: the names cycle all along; the panel slides out and back every 20 seconds; a
  // stop and a new start of the roll call every minute.
  const double t0 = Now();
  int slides = 0;
  bool halfway = false;
  for (int second = 1; Now() - t0 < seconds; ++second) {
    ::Sleep(1000);
    // Halfway as well: a fall that happens once (what the first slide and the first stop make
    // and keep) is over by then, a leak goes on falling.
    if (!halfway && Now() - t0 >= seconds / 2.0) {
      halfway = true;
      for (Instance& in : all) MemoryFigures(*in.running, in.spy.get(), "half", in.run);
    }
    for (Instance& in : all) {
      if (second % 20 == 0) {
        HWND tab = nullptr;
        for (const harness::Control& c : harness::Children(in.running->window())) {
          if (c.rect.right - c.rect.left == 25 && c.rect.bottom - c.rect.top == 378) tab = c.hwnd;
        }
        if (tab != nullptr) {
          harness::Click(tab);
          if (in.run == 1 && in.running->subject().program) ++slides;
        }
      }
      if (second % 60 == 30) {
        ClickAndWait(*in.running, kStopCaption, kStartCaption);
        ::Sleep(300);
        ClickAndWait(*in.running, kStartCaption, kStopCaption);
      }
    }
  }
  ::Sleep(2000);
  for (Instance& in : all) MemoryFigures(*in.running, in.spy.get(), "end", in.run);
  Note("memory run: " + std::to_string(seconds) + " s, " + std::to_string(slides) +
       " panel slides, " + std::to_string(instances) + " instances of each side by side");
}

int Arg(char** argv, int i) {
  return std::atoi(argv[i]);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  // A hidden window of the driver's own for as long as it runs: Wine's desktop process lives
  // while some window does, and would otherwise end between two starts, so that every start
  // paid for a new desktop (hundreds of milliseconds, and the noisiest part) instead of for
  // what the program does.
  HWND keeper = CreateWindowExW(0, L"STATIC", L"bench driver", WS_POPUP, 0, 0, 1, 1, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (command == "prime" && argc == 4) {
    Prime(argv[2], argv[3]);
  } else if (command == "startup" && argc == 7) {
    StartupRuns(argv[2], argv[3], argv[4], Arg(argv, 5), argv[6]);
  } else if (command == "idle" && (argc == 8 || argc == 10)) {
    IdleRuns(argv[2], argv[3], argv[4], Arg(argv, 5), Arg(argv, 6), argv[7],
             argc == 10 ? argv[8] : "", argc == 10 ? argv[9] : "");
  } else if (command == "memory" && argc == 8) {
    MemoryRuns(argv[2], argv[3], argv[4], argv[5], Arg(argv, 6), Arg(argv, 7));
  } else if (command == "ab" && argc == 8) {
    AbRuns(argv[2], argv[3], argv[4], argv[5], Arg(argv, 6), Arg(argv, 7));
  } else if (command == "dpi" && argc == 6) {
    DpiRuns(argv[2], argv[3], Arg(argv, 4), Arg(argv, 5));
  } else if (command == "repaint" && argc == 6) {
    RepaintRun(argv[2], argv[3], argv[4], Arg(argv, 5));
  } else {
    std::fprintf(stderr, "usage: see the head of tests/bench/bench_driver.cpp\n");
    return 2;
  }
  if (keeper != nullptr) DestroyWindow(keeper);
  return 0;
}
