#include "runtime/units/unit_host.h"

namespace rc {

namespace {

class NoFrame : public UnitHost {
 public:
  void RaiseFocusEvent(const UnitObject*, bool) override {}
  bool RaiseCommonEvents(uint32_t, uint32_t, MSG*) override { return false; }
  HCURSOR UnitCursor(uint32_t, uint32_t) override { return nullptr; }
  UnitObject* FindLiveObject(uint32_t, uint32_t) override { return nullptr; }
  UnitObject* FindUnitByHwnd(uint32_t, HWND) override { return nullptr; }
  const DataTypeDescriptor* UnitType(uint32_t, uint32_t) override { return nullptr; }
  void* UnitOperation(uint32_t, uint32_t, int32_t) override { return nullptr; }
  std::vector<uint32_t> LiveWindowIds() override { return {}; }
  void EnableWindowsDisabledFor(uint32_t) override {}
};

NotifyFn g_runtime_notify = nullptr;
UnitHost* g_host = nullptr;

}  // namespace

UnitHost& Host() {
  static NoFrame none;
  return g_host != nullptr ? *g_host : none;
}

int64_t NotifyRuntime(int32_t code, uintptr_t v1, uintptr_t v2) {
  return g_runtime_notify != nullptr ? g_runtime_notify(code, v1, v2) : 0;
}

bool RaiseUnitEvent(EventRecord* record) {
  return NotifyRuntime(kNotifyRaiseEvent, reinterpret_cast<uintptr_t>(record)) != 0;
}

void ReportUnitDestroyed(uint32_t window_id, uint32_t unit_id) {
  NotifyRuntime(kNotifyWindowDestroyed, window_id, unit_id);
}

void ConnectRuntime(NotifyFn notify) {
  g_runtime_notify = notify;
  if (notify == nullptr) return;
  if (auto* host =
          reinterpret_cast<UnitHost*>(static_cast<uintptr_t>(notify(kNotifyUnitHost, 0, 0)))) {
    g_host = host;
  }
}

void DisconnectRuntime() {
  g_runtime_notify = nullptr;
}

}  // namespace rc
