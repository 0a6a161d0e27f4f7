// What the parts that take windows' messages share: the layers' window properties, each
// window's state word, and the messages of each kind of window.
#pragma once

#include "skin/library/library.h"

namespace skinlib {

// ---- window properties: the procedure under each of our layers, and the window's state word

enum Slot { kSlotLower, kSlotUpper, kSlotState, kSlotCount };

uintptr_t GetLayerProp(HWND hwnd, Slot slot);
void SetLayerProp(HWND hwnd, Slot slot, uintptr_t value);
void RemoveLayerProp(HWND hwnd, Slot slot);

// State word: the kind of window in the low bits, then what the mouse does over it.
enum Kind : uintptr_t {
  kOther = 1,
  kButton,
  kEdit,
  kScroll,
  kProgress,
  kUpDown,
  kDialog,
  kDivider  // the program's divider bar, a fill of one colour
};
constexpr uintptr_t kKindMask = 0xF;
constexpr uintptr_t kInactive = 1 << 4;  // top-level window drawn inactive
constexpr uintptr_t kHover = 1 << 5;     // button, scroll bar or up-down under the mouse
constexpr int kPartShift = 8;            // caption hover part, 8 bits; or control hover part
constexpr int kPressShift = 16;          // caption pressed part; or control pressed part

inline uintptr_t StateOf(HWND hwnd) {
  return GetLayerProp(hwnd, kSlotState);
}
inline void SetState(HWND hwnd, uintptr_t state) {
  SetLayerProp(hwnd, kSlotState, state);
}
inline int Field(uintptr_t state, int shift) {
  return int((state >> shift) & 0xFF);
}
inline uintptr_t WithField(uintptr_t state, int shift, int value) {
  return (state & ~(uintptr_t(0xFF) << shift)) | (uintptr_t(value & 0xFF) << shift);
}

inline bool IsTopLevel(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) == 0;
}
// A window the skin has drawn and that still shows: one to paint over at once.
inline bool Showing(HWND hwnd) {
  return IsWindow(hwnd) && IsWindowVisible(hwnd) && GetLayerProp(hwnd, kSlotState);
}
inline void TrackLeave(HWND hwnd) {
  TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd, 0};
  TrackMouseEvent(&tme);
}

// ---- windows under the skin

// Puts a window under our layer, once; a window that has one gets a second on top when someone
// subclassed it since, and a top-level window is drawn active or not as it is now.
void Subclass(HWND hwnd);
void Dress(HWND hwnd);

// ---- the messages of each kind of window, before the window's own procedure sees them; *done
// false lets the message go on to it

LRESULT FrameMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done);
LRESULT ButtonMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done);
LRESULT EditMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done);
LRESULT ProgressMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done);
LRESULT UpDownMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done);
LRESULT ScrollMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done);

// In the plain look, a group box made while a skin was in force erases its background in its
// parent's colours; false for other buttons.
bool EraseGroupBox(HWND hwnd, HDC dc);
// The border of a child control in its non-client area (edit boxes, progress bars).
bool HasBorder(HWND hwnd);
bool PaintBorder(HWND hwnd);
// The scroll bar the mouse holds, if any, lets go (with its notifications); a scroll bar being
// destroyed is simply forgotten.
void EndScrollTracking();
void ForgetScrollTracking(HWND hwnd);

}  // namespace skinlib
