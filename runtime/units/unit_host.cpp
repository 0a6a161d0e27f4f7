#include "runtime/units/unit_host.h"

namespace rc {

namespace {

class NoFrame : public UnitHost {
 public:
  bool RaiseEvent(EventRecord*) override { return false; }
  void UnitDestroyed(uint32_t, uint32_t) override {}
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

UnitHost* g_host = nullptr;
bool g_connected = false;

}  // namespace

UnitHost& Host() {
  static NoFrame none;
  return g_host != nullptr ? *g_host : none;
}

bool RaiseUnitEvent(EventRecord* record) {
  return g_connected && Host().RaiseEvent(record);
}

void ReportUnitDestroyed(uint32_t window_id, uint32_t unit_id) {
  if (g_connected) Host().UnitDestroyed(window_id, unit_id);
}

void ConnectFrame(UnitHost* host) {
  if (host == nullptr) return;
  g_host = host;
  g_connected = true;
}

void DisconnectFrame() {
  g_connected = false;
}

}  // namespace rc
