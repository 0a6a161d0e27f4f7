// The runtime's notify function as the runtime's contract names it for outside libraries: a
// library built elsewhere receives it at kLibInit and asks the runtime by code (code, v1, v2).
// This program's own libraries do not use it (their unit types reach the frame through
// runtime/units/unit_host.h); the codes stay for the libraries of others, answered in
// notify.cpp and held by their tests. The entry table's runtime services (program.h,
// kService*) are another list.
#pragma once

#include <cstdint>

#include "runtime/library.h"

namespace rc {

enum : int32_t {
  kNotifyWindowDestroyed = 2000,  // v1 window id, v2 unit id or 0 for the window itself
  kNotifyProgramDir = 2003,       // → text owned by the runtime, no trailing separator
  kNotifyProgramFile = 2004,      // → text owned by the runtime
  kNotifyLoadWindow = 2005,       // v1 → LoadWindowRequest; → 0 or -1
  kNotifyFindObject = 2006,       // v1 window id, v2 unit id or 0; → UnitObject* or null
  kNotifyGetObject = 2007,        // as 2006; missing is a runtime error
  kNotifyRaiseEvent = 2008,       // v1 → EventRecord; → 1 if a handler ran
  kNotifyRaiseTypedEvent = 2031,  // v1 → TypedEventRecord; → 1 if a handler ran
  kNotifyFreeArray = 2023,        // v1 tag, v2 array
  kNotifyAlloc = 2024,            // v1 size, v2 non-zero: null instead of an error
  kNotifyFree = 2025,             // v1 block
  kNotifyRealloc = 2026,          // v1 block, v2 size
  kNotifyReportError = 2027,      // v1 text
  kNotifyExit = 2028,             // v1 exit code
  kNotifyBuildKind = 2030,
  kNotifyAddIdleTask = 1012,     // v1 → IdleTask
  kNotifyRemoveIdleTask = 1013,  // v1 window handle
};

struct LoadWindowRequest {
  uint32_t window_id;
  UnitObject* parent;  // parent window object or null
  uint32_t modal;
};

// The function handed to every library at kLibInit.
int64_t FrameNotify(int32_t code, uintptr_t v1, uintptr_t v2);

}  // namespace rc
