// What a unit type may tell or ask the runtime frame, and the only way it does. The unit types
// sit below the frame and never include its headers; the frame hands them its host when it
// initialises the libraries. Before that a unit finds nothing and raises nothing.
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

  // Raises an event of a unit or window: true when a handler ran (the record's result flag and
  // result are filled in).
  virtual bool RaiseEvent(EventRecord* record) = 0;
  // The native window of a unit (unit_id 0: of the window) is finally gone.
  virtual void UnitDestroyed(uint32_t window_id, uint32_t unit_id) = 0;

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

// Raises an event through the host while the frame is connected: true when a handler ran.
bool RaiseUnitEvent(EventRecord* record);
// Tells the frame, while it is connected, that the native window of a unit is gone.
void ReportUnitDestroyed(uint32_t window_id, uint32_t unit_id);

// The frame hands its host over when it initialises the libraries, and disconnects once it has
// shut them down: from then on no event is raised and no end reported, while the host, once
// handed over, still answers (windows may get messages while the program ends).
void ConnectFrame(UnitHost* host);
void DisconnectFrame();

}  // namespace rc
