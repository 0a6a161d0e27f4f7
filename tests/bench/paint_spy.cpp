// A message hook the benchmark driver sets on the program's user-interface thread: the system
// loads this DLL into the program, where it counts the ticks of every timer window, records
// what each banner step repaints (as tests/win/drawn_repaint_bench_test.cpp does for a scene:
// every window is subclassed and its erase, paint and frame messages are added up), and counts
// objects from inside on request. Results go to the shared SpyReport of spy_report.h.
//
// SpyCountTimers is the light hook: it only counts the timer messages the thread takes, with
// no window subclassed, so that the program it counts does no more work than a tick's.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/bench/spy_report.h"
#include "tests/harness/paint_area.h"

namespace {

using bench::SpyReport;

struct Spy {
  HANDLE mapping = nullptr;
  SpyReport* report = nullptr;
  std::map<HWND, WNDPROC> procs;
  HWND banner = nullptr;        // the banner label (563 x 16)
  HWND banner_timer = nullptr;  // the timer window beside it in its container
  HWND clock_label = nullptr;   // painters that are not the banner's business
  HWND tab = nullptr;
  HRGN touched = nullptr;
  RECT old_rect{};
  bool in_step = false;
  bool recording = false;
  bool light = false;  // timer messages only
  int depth = 0;       // nesting of window procedures, to time only the outermost calls
  std::map<HWND, int> timer_slot;
};
Spy* the_spy = nullptr;
bool the_spy_failed = false;

double Micros(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) * 1e6 / double(frequency.QuadPart);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64];
  const int n = GetClassNameW(hwnd, name, 64);
  return std::wstring(name, n > 0 ? n : 0);
}

RECT ScreenRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r;
}

RECT ClientOnScreen(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Record(HWND hwnd, UINT msg, WPARAM wp) {
  Spy& s = *the_spy;
  if (!s.recording || !s.in_step) return;
  if (msg != WM_PAINT && msg != WM_ERASEBKGND && msg != WM_NCPAINT) return;
  if (hwnd == s.clock_label || hwnd == s.tab) {
    ++s.report->other_paints;
    return;
  }
  harness::AddPainted(s.touched, hwnd, msg, wp);
}

LRESULT CALLBACK SpyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto it = the_spy->procs.find(hwnd);
  if (it == the_spy->procs.end()) return DefWindowProcW(hwnd, msg, wp, lp);
  Spy& s = *the_spy;
  const WNDPROC proc = it->second;
  Record(hwnd, msg, wp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    s.procs.erase(hwnd);
  }
  // The time of a banner step: its tick's handler with the paints it makes at once, and the
  // paints that follow before the next tick.
  const bool timed = s.recording && s.in_step && s.depth == 0 &&
                     ((msg == WM_TIMER && hwnd == s.banner_timer) || msg == WM_PAINT ||
                      msg == WM_NCPAINT || msg == WM_ERASEBKGND) &&
                     hwnd != s.clock_label && hwnd != s.tab;
  LARGE_INTEGER start, end;
  if (timed) QueryPerformanceCounter(&start);
  ++s.depth;
  const LRESULT result = CallWindowProcW(proc, hwnd, msg, wp, lp);
  --s.depth;
  if (timed) {
    QueryPerformanceCounter(&end);
    s.report->step_micros += Micros(start, end);
  }
  return result;
}

void Hook(HWND hwnd) {
  if (the_spy->procs.count(hwnd) != 0) return;
  the_spy->procs[hwnd] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SpyProc)));
  const std::wstring cls = ClassOf(hwnd);
  RECT r = ScreenRect(hwnd);
  if (cls == L"TransLabel" && r.right - r.left == 563 && r.bottom - r.top == 16) {
    the_spy->banner = hwnd;
  }
  if (cls == L"Button" && r.right - r.left == 25 && r.bottom - r.top == 378) the_spy->tab = hwnd;
  for (HWND w = GetWindow(hwnd, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) Hook(w);
}

BOOL CALLBACK HookTop(HWND hwnd, LPARAM) {
  Hook(hwnd);
  return TRUE;
}

// The clock label and the banner's timer sit beside it in the strips along the bottom.
void FindNeighbours() {
  Spy& s = *the_spy;
  if (s.banner == nullptr) return;
  HWND strip = GetParent(s.banner);
  for (HWND w = GetWindow(strip, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (ClassOf(w) == L"RollcallTimer") s.banner_timer = w;
  }
  for (const auto& [hwnd, proc] : s.procs) {
    RECT r = ScreenRect(hwnd);
    if (ClassOf(hwnd) == L"Label" && r.right - r.left == 205 && r.bottom - r.top == 20) {
      s.clock_label = hwnd;
    }
  }
}

void CloseStep() {
  Spy& s = *the_spy;
  if (!s.in_step) return;
  s.in_step = false;
  SpyReport& rep = *s.report;
  const RECT new_rect = ScreenRect(s.banner);
  HRGN label = CreateRectRgnIndirect(&s.old_rect);
  HRGN fresh = CreateRectRgnIndirect(&new_rect);
  CombineRgn(label, label, fresh, RGN_OR);
  const RECT container = ClientOnScreen(GetParent(s.banner));
  HRGN cut = CreateRectRgnIndirect(&container);
  HRGN allowed = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(allowed, label, cut, RGN_AND);
  HRGN outside = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(outside, s.touched, allowed, RGN_DIFF);
  const int64_t touched = harness::RegionArea(s.touched), out = harness::RegionArea(outside);
  ++rep.steps;
  rep.touched_area += touched;
  if (touched > rep.max_touched) rep.max_touched = touched;
  rep.allowed_area += harness::RegionArea(allowed);
  rep.label_area += harness::RegionArea(label);
  rep.outside_area += out;
  if (out > 0) ++rep.steps_outside;
  for (HRGN r : {label, fresh, cut, allowed, outside}) DeleteObject(r);
}

void OpenStep() {
  Spy& s = *the_spy;
  s.old_rect = ScreenRect(s.banner);
  SetRectRgn(s.touched, 0, 0, 0, 0);
  s.in_step = true;
}

void CountTick(HWND hwnd) {
  Spy& s = *the_spy;
  SpyReport& rep = *s.report;
  auto it = s.timer_slot.find(hwnd);
  if (it == s.timer_slot.end()) {
    if (rep.timer_count >= bench::kSpyTimers) return;
    RECT r = ScreenRect(hwnd);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    const int slot = rep.timer_count++;
    rep.timers[slot] = {r.left, r.top, 0};
    it = s.timer_slot.emplace(hwnd, slot).first;
  }
  ++rep.timers[it->second].ticks;
}

// Objects are made until the system refuses one, then freed: the free slots of the process's
// object table. Stops at a bound when it never refuses.
void CountObjects() {
  SpyReport& rep = *the_spy->report;
  constexpr int kBound = 70000;
  std::vector<HBRUSH> made;
  made.reserve(kBound);
  while (int(made.size()) < kBound) {
    HBRUSH b = CreateSolidBrush(RGB(made.size() & 0xFF, 1, 2));
    if (b == nullptr) break;
    made.push_back(b);
  }
  rep.gdi_free_slots = int(made.size());
  rep.gdi_slot_limit = int(made.size()) == kBound ? -1 : 0;
  for (HBRUSH b : made) DeleteObject(b);
  DWORD handles = 0;
  rep.handle_count = GetProcessHandleCount(GetCurrentProcess(), &handles) ? int32_t(handles) : -1;
}

bool Start(bool light) {
  auto* s = new Spy;
  the_spy = s;
  s->light = light;
  char name[64];
  bench::SpyMappingName(GetCurrentProcessId(), name);
  s->mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SpyReport), name);
  if (s->mapping == nullptr) return false;
  s->report = static_cast<SpyReport*>(
      MapViewOfFile(s->mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SpyReport)));
  if (s->report == nullptr) return false;
  s->touched = CreateRectRgn(0, 0, 0, 0);
  if (!light) {
    EnumThreadWindows(GetCurrentThreadId(), HookTop, 0);
    FindNeighbours();
  }
  s->report->windows_hooked = int32_t(s->procs.size());
  InterlockedExchange(&s->report->ready, 1);
  return true;
}

void OnMessage(const MSG& msg) {
  Spy& s = *the_spy;
  if (msg.message == bench::kSpyRequest) {
    if (msg.wParam == bench::kSpyStartRecording) {
      SpyReport& rep = *s.report;
      rep.steps = rep.steps_outside = rep.other_paints = rep.timer_count = 0;
      rep.touched_area = rep.max_touched = rep.allowed_area = rep.outside_area = 0;
      rep.label_area = 0;
      rep.step_micros = 0;
      rep.timer_messages = 0;
      s.timer_slot.clear();
      s.in_step = false;
      s.recording = s.light || s.banner != nullptr;
    } else if (msg.wParam == bench::kSpyCountObjects) {
      CountObjects();
    }
    InterlockedIncrement(&s.report->answered);
    return;
  }
  if (msg.message != WM_TIMER || !s.recording) return;
  ++s.report->timer_messages;
  CountTick(msg.hwnd);
  if (s.light) return;
  if (msg.hwnd == s.banner_timer) {
    CloseStep();
    OpenStep();
  }
}

LRESULT OnHook(int code, WPARAM wp, LPARAM lp, bool light) {
  if (code == HC_ACTION && wp == PM_REMOVE) {
    if (the_spy == nullptr && !the_spy_failed) the_spy_failed = !Start(light);
    if (!the_spy_failed && the_spy != nullptr) {
      OnMessage(*reinterpret_cast<const MSG*>(lp));
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK SpyGetMessage(int code, WPARAM wp, LPARAM lp) {
  return OnHook(code, wp, lp, false);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK SpyCountTimers(int code, WPARAM wp, LPARAM lp) {
  return OnHook(code, wp, lp, true);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
