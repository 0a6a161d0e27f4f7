// Raising an event: a unit type or a window hands the runtime an event record (service 2008);
// the runtime finds the handler bound in the form data and calls it on the main thread.
#pragma once

#include <cstdint>

namespace rc {

struct EventRecord {
  uint32_t window_id;
  uint32_t unit_id;  // the window unit's id (or 0) for events of the window itself
  int32_t event;
  uint32_t argc;  // 0 to 5
  uint32_t args[5];
  uint32_t result_flag;  // set to 1 when the handler returned a value
  uint32_t result;
};
static_assert(sizeof(EventRecord) == 44, "event records are 11 dwords");

// Window events raised by the runtime frame itself.
enum : int32_t {
  kEventWindowCreated = 0,
  kEventWindowCloseRequested = 1,
  kEventWindowDestroyed = 2,
  kEventWindowMoved = 3,
  kEventWindowResized = 4,
  kEventWindowIdle = 7,
};

// True when a handler ran. Nothing runs while the re-creation counter is above 0.
bool RaiseEvent(EventRecord* record);

}  // namespace rc
