// The frame's notify function: what an outside library asks of the runtime by code (notify.h).
#include "runtime/notify.h"

#include "base/values.h"
#include "runtime/error_report.h"
#include "runtime/events.h"
#include "runtime/message_loop.h"
#include "runtime/program_end.h"
#include "runtime/state.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"

namespace rc {

int64_t FrameNotify(int32_t code, uintptr_t v1, uintptr_t v2) {
  Runtime& rt = TheRuntime();
  switch (code) {
    case kNotifyWindowDestroyed:
      OnWindowDestroyed(static_cast<uint32_t>(v1), static_cast<uint32_t>(v2));
      return 0;
    case kNotifyProgramDir:
      return int64_t(reinterpret_cast<uintptr_t>(rt.program_dir.c_str()));
    case kNotifyProgramFile:
      return int64_t(reinterpret_cast<uintptr_t>(rt.program_file.c_str()));
    case kNotifyLoadWindow: {
      const auto* req = reinterpret_cast<const LoadWindowRequest*>(v1);
      if (req == nullptr) return -1;
      return OpenWindow(req->window_id, req->parent, req->modal != 0) ? 0 : -1;
    }
    case kNotifyFindObject:
      return int64_t(reinterpret_cast<uintptr_t>(
          FindLiveObject(static_cast<uint32_t>(v1), static_cast<uint32_t>(v2))));
    case kNotifyGetObject: {
      UnitObject* obj = FindLiveObject(static_cast<uint32_t>(v1), static_cast<uint32_t>(v2));
      if (obj == nullptr) ReportError("指定窗口或窗口组件不存在或尚未载入", 0);
      return int64_t(reinterpret_cast<uintptr_t>(obj));
    }
    case kNotifyRaiseEvent:
      return RaiseEvent(reinterpret_cast<EventRecord*>(v1)) ? 1 : 0;
    case kNotifyRaiseTypedEvent:
      return RaiseTypedEvent(reinterpret_cast<TypedEventRecord*>(v1)) ? 1 : 0;
    case kNotifyFreeArray:
      FreeArrayValue(static_cast<uint32_t>(v1), reinterpret_cast<void*>(v2));
      return 0;
    case kNotifyAlloc:
      return int64_t(reinterpret_cast<uintptr_t>(AllocMemForLibrary(v1, v2 != 0)));
    case kNotifyFree:
      FreeMem(reinterpret_cast<void*>(v1));
      return 0;
    case kNotifyRealloc:
      return int64_t(reinterpret_cast<uintptr_t>(ReallocMem(reinterpret_cast<void*>(v1), v2)));
    case kNotifyReportError:
      ReportError(reinterpret_cast<const char*>(v1), 0);
    case kNotifyExit:
      ExitProgram(static_cast<int32_t>(v1));
    case kNotifyBuildKind:
      return rt.build_kind;
    case kNotifyAddIdleTask: {
      const auto* task = reinterpret_cast<const IdleTask*>(v1);
      return task != nullptr && AddIdleTask(*task) ? 1 : 0;
    }
    case kNotifyRemoveIdleTask:
      RemoveIdleTask(reinterpret_cast<HWND>(v1));
      return 0;
    default:
      return 0;
  }
}

}  // namespace rc
