// What every unit type with a native window shares: the one HWND → object trampoline, the
// reflection of control notifications back to the control that sent them, and raising a unit's
// events.
//
// Reflection. Native controls tell their parent about clicks, changes, scrolling and drawing.
// The window unit and the container units (GroupBox, PicBox) send each such message back to the
// child that it concerns as kReflectBase + message, with the same parameters, so that each unit
// type turns its own notifications into events and nobody else needs to know its codes:
//   WM_COMMAND (lParam: the control)        → kReflectBase + WM_COMMAND
//   WM_NOTIFY (NMHDR::hwndFrom)             → kReflectBase + WM_NOTIFY
//   WM_DRAWITEM / WM_MEASUREITEM (by id)    → kReflectBase + WM_DRAWITEM / WM_MEASUREITEM
//   WM_CTLCOLOR* (lParam: the control)      → kReflectBase + WM_CTLCOLOR*
//   WM_VSCROLL / WM_HSCROLL (lParam: a bar) → kReflectBase + WM_VSCROLL / WM_HSCROLL
// A child that does not handle its reflected message returns 0 from its default processing;
// the parent then falls back to DefWindowProc for the original message (ReflectNotification
// tells it whether the child took it).
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "runtime/library.h"
#include "runtime/draw/dpi.h"

namespace rc {

constexpr UINT kReflectBase = 0x2000;

// Sends a notification the parent received back to the child it concerns. Returns true with
// `*result` set when the message was one of the reflected kinds and a unit's child took it.
bool ReflectNotification(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

// WM_SETCURSOR of a unit's native window (wp, lp as the message has them): over the client
// area, the mouse cursor of the unit's record, when it has one, is set; true then.
bool ShowRecordCursor(const UnitObject* unit, WPARAM wp, LPARAM lp);

// A unit whose native window is a standard control ("BUTTON", "EDIT", ...) or a window of a
// runtime-registered class. The object is found from its window through the runtime's table of
// unit windows, entered right after creation (standard classes) or on WM_NCCREATE (runtime
// classes); either way the window procedure is one trampoline that calls the object's Handle.
//
// What the trampoline does for every type, so that no type repeats it:
// - WM_SETFOCUS / WM_KILLFOCUS: after Handle, the unit's focus events -7 / -8 are raised
//   (types must not raise them themselves), each when FocusEventDue says so;
// - WM_SETCURSOR over the unit's client area: the mouse cursor of the unit's record, when it
//   has one, is shown instead of the class cursor (Handle does not see the message then);
// - WM_NCDESTROY: the runtime is told, OnDestroyed runs, and the object is deleted with its
//   window unless DeletedWithWindow says otherwise (Handle does not see the message).
// The mouse, key, character and wheel events (-1 ... -6, -9 ... -12) are raised by the
// window's message pre-translation before the message reaches the unit.
class UnitWindow : public UnitObject {
 public:
  using UnitObject::UnitObject;
  ~UnitWindow() override;

  // Creates a standard control and subclasses it. Returns false when the control could not be
  // made. Text is GBK and converted for the W function here. The place in `args` is in design
  // pixels, laid at the parent's DPI (as in CreateOwnClass).
  bool CreateControl(const wchar_t* cls, const char* gbk_text, DWORD style, DWORD ex_style,
                     const CreateArgs& args);
  // Creates a window of a class registered with RegisterUnitClass. When it fails the object is
  // the caller's to delete, also when the window died after it got the object.
  bool CreateOwnClass(const wchar_t* cls, const char* gbk_text, DWORD style, DWORD ex_style,
                      const CreateArgs& args);
  // The same for a top-level window: no child style, no control id, `owner` may be null; the
  // place is in the screen's pixels, laid at `dpi`.
  bool CreateTopLevel(const wchar_t* cls, const char* gbk_text, DWORD style, DWORD ex_style,
                      POINT position, SIZE size, HWND owner, int dpi = draw::kDesignDpi);
  // Registers a runtime class once (no background brush, arrow cursor, the trampoline).
  static bool RegisterUnitClass(const wchar_t* cls, UINT class_style);

  // The object behind a native window, or null.
  static UnitWindow* FromHwnd(HWND hwnd);
  // A count that moves on whenever a unit's window is made or goes, and whenever a window is
  // made in a unit's window or goes from it: what a unit found among the windows of its
  // container holds while the count stays (asking the window system is a request a window).
  static uint32_t WindowsChangeCount();

  // The DPI the unit is laid and drawn at (runtime/draw/dpi.h); a unit is made at its window's.
  int dpi() const override { return dpi_; }
  // A length of the unit's own drawing (a border, a margin) in its pixels.
  int Px(int design_pixels) const { return draw::ScaleLength(design_pixels, dpi_); }
  // Takes a new DPI: the unit makes what it draws with (fonts, pictures) anew for it. Its place
  // is the caller's.
  void SetDpi(int dpi);

  // Raises one of this unit's events with up to five 32-bit arguments. Returns true when a
  // handler ran; `*result` gets its value when it returned one (and `*returned` says so).
  bool Raise(int32_t event, std::initializer_list<uint32_t> args = {}, bool* returned = nullptr,
             uint32_t* result = nullptr);

  // Paints into `dc`, in this window's client coordinates, what the window shows behind its
  // child windows, as its own erase and paint would (the caller clips). A child without
  // background shows that through without the window repainting itself on screen: a repaint
  // is a handful of round trips to the window system, this is none. False when the window
  // cannot (the default), and nothing is painted then.
  virtual bool PaintBehindChildren(HDC /*dc*/) { return false; }

 protected:
  // Messages for this unit's window. The default forwards to the control's own procedure (or
  // DefWindowProc for runtime classes).
  virtual LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
  // Called once the native window is gone (WM_NCDESTROY), after the runtime was told.
  virtual void OnDestroyed() {}
  // After dpi() changed (also right after creation at a DPI other than 96).
  virtual void OnDpiChanged() {}
  // Whether the focus event of the WM_SETFOCUS (gained) or WM_KILLFOCUS that Handle has just
  // seen is raised. Units report every change of their focus; the window unit passes the focus
  // on to its units and reports only the focus it keeps itself.
  virtual bool FocusEventDue(bool /*gained*/) { return true; }
  // Whether the object is deleted with its native window at WM_NCDESTROY (never while
  // CreateOwnClass or CreateTopLevel is making it: the caller deletes it then). The window
  // unit's create operation deletes the object itself when the window dies while being loaded.
  virtual bool DeletedWithWindow() const { return true; }

 private:
  static LRESULT CALLBACK Trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool CreateOwnWindow(const wchar_t* cls, const char* gbk_text, DWORD style, DWORD ex_style,
                       POINT position, SIZE size, HWND parent, HMENU id, int dpi);
  WNDPROC base_proc_ = nullptr;  // the control's own procedure; null for runtime classes
  bool creating_ = false;        // inside CreateWindowEx of a runtime class
  int dpi_ = draw::kDesignDpi;
};

}  // namespace rc
