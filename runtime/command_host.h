// What the core commands may ask of the runtime frame. The core commands sit above the frame;
// they include this header, and nothing else of the frame.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/library.h"

namespace rc {

class CommandHost {
 public:
  // The program's folder, GBK, without a trailing separator.
  static const std::string& ProgramDir();
  // Where a program whose own folder cannot be written keeps the libraries it carries (GBK, no
  // trailing separator), created when missing; empty when there is none.
  static std::string UserLibraryDir();
  // The live object of a window (unit_id 0) or of a unit inside it, or null.
  static UnitObject* FindObject(uint32_t window_id, uint32_t unit_id);
  // As FindObject; a missing object is the runtime error "指定窗口或窗口组件不存在或尚未载入".
  static UnitObject* RequireObject(uint32_t window_id, uint32_t unit_id);
  // Loads a window (or brings an open one forward); a modal one returns when it is closed.
  // False when the window cannot be loaded.
  static bool LoadWindow(uint32_t window_id, UnitObject* parent, bool modal);

  // A window that is to close later (DestroyUnit without "at once") is marked closing and
  // closes once the handler that asked for it has returned; at once, it closes now. Objects of
  // any other type than the window are left alone.
  static void CloseWindow(UnitObject* window, bool at_once);
  // The window is marked closing and has not closed yet.
  static bool IsWindowClosing(const UnitObject* window);
  // Clears the mark and destroys the native window now, without a close request.
  static void CloseWindowNow(UnitObject* window);
};

}  // namespace rc
