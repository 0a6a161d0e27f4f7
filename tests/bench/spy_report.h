// What the spy DLL (paint_spy.cpp), hooked into the running program by the benchmark driver,
// hands back: tick counts of the program's timers, the area each banner step repaints, and
// object counts taken from inside the process on request. It lives in a named file mapping per
// process id, which the driver opens after the hook is set.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace bench {

// Posted to any window of the hooked thread: wParam 1 starts the banner and tick recording
// afresh, 2 counts the GDI objects in use. The hook answers by bumping `answered`.
constexpr UINT kSpyRequest = WM_APP + 0x3E1;
constexpr WPARAM kSpyStartRecording = 1;
constexpr WPARAM kSpyCountObjects = 2;

constexpr int kSpyTimers = 16;

struct SpyTimer {
  int32_t x, y;  // the timer window's place in its parent: which timer of the form it is
  int32_t ticks;
};

struct SpyReport {
  volatile LONG ready;     // the hook found the banner and hooked the windows
  volatile LONG answered;  // requests carried out
  int32_t windows_hooked;
  // Banner steps: each from one tick of the banner timer to the next.
  int32_t steps;
  int32_t steps_outside;  // steps that painted outside the allowed area
  int64_t touched_area;   // pixels painted, summed over the steps
  int64_t max_touched;    // the largest one step painted
  int64_t allowed_area;   // old and new rectangle cut by the container, summed
  int64_t outside_area;   // pixels painted outside that, summed
  int64_t label_area;     // the label's old and new rectangles uncut, summed
  int32_t other_paints;   // paints of the clock label and the tab, not counted above
  double step_micros;     // time inside the banner timer's handler, summed
  SpyTimer timers[kSpyTimers];
  int32_t timer_count;
  // Object counts: GDI objects in use (the free-slot method: objects made until the system
  // refuses), -1 when it never refused; the handle count the system reports for the process.
  int32_t gdi_free_slots;
  int32_t gdi_slot_limit;
  int32_t handle_count;
  // Every timer message the thread took while recording, whatever window it was for.
  int32_t timer_messages;
};

inline void SpyMappingName(DWORD pid, char (&name)[64]) {
  std::snprintf(name, sizeof name, "Local\\rollcall_bench_spy_%lu",
                static_cast<unsigned long>(pid));
}

}  // namespace bench
