// What a unit type may ask of the runtime frame, and the only way it asks. The unit types sit
// below the frame and never include its headers: events and the end of a native window go
// through the runtime's notify function as for every library (library.h), the rest through the
// frame's host, which the libraries ask for with kNotifyUnitHost when the runtime initialises
// them. Before that a unit finds nothing and raises nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "runtime/library.h"

namespace rc {

// The frame's answers (runtime/frame_host.cpp implements them).
class UnitHost {
 public:
  virtual ~UnitHost() = default;

  // Focus events -7, -8 of a unit whose native window got or lost the keyboard focus.
  virtual void RaiseFocusEvent(const UnitObject* unit, bool gained) = 0;
  // The common events (mouse, keys, characters, wheel) of a message to a unit's native window:
  // true when a handler consumed the message.
  virtual bool RaiseCommonEvents(uint32_t window_id, uint32_t unit_id, MSG* msg) = 0;
  // The cursor made for a unit's record, or null.
  virtual HCURSOR UnitCursor(uint32_t window_id, uint32_t unit_id) = 0;
  // The live object of a window (unit_id 0) or of a unit inside it, or null.
  virtual UnitObject* FindLiveObject(uint32_t window_id, uint32_t unit_id) = 0;
  // The live unit of a window whose native window is `hwnd`, or null.
  virtual UnitObject* FindUnitByHwnd(uint32_t window_id, HWND hwnd) = 0;
  // The descriptor of a unit's type, or null.
  virtual const DataTypeDescriptor* UnitType(uint32_t window_id, uint32_t unit_id) = 0;
  // An operation of a unit's type, or null.
  virtual void* UnitOperation(uint32_t window_id, uint32_t unit_id, int32_t op) = 0;
  // Ids of the windows whose native window is alive.
  virtual std::vector<uint32_t> LiveWindowIds() = 0;
  // Enables again the windows disabled while this modal window was shown.
  virtual void EnableWindowsDisabledFor(uint32_t window_id) = 0;
};

// The frame's host; one that answers nothing before the libraries were initialised.
UnitHost& Host();

// Calls the runtime's notify function as the libraries received it at initialisation; 0 when
// the runtime has not initialised the libraries (yet, or any more).
int64_t NotifyRuntime(int32_t code, uintptr_t v1 = 0, uintptr_t v2 = 0);
// Raises an event through the notify function: true when a handler ran.
bool RaiseUnitEvent(EventRecord* record);
// Tells the runtime that the native window of a unit (unit_id 0: of the window) is gone.
void ReportUnitDestroyed(uint32_t window_id, uint32_t unit_id);

// The libraries' side of kLibInit and kLibShutdown: the runtime's notify function is kept from
// the one to the other; the frame's host, once handed over, stays (windows may get messages
// while the program ends).
void ConnectRuntime(NotifyFn notify);
void DisconnectRuntime();

}  // namespace rc
