// The `Timer` unit type (core library, type 32): a hidden native window that only receives
// timer messages and raises the tick event for each of them. It is never shown.
#include <algorithm>

#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kTimerPropertyCount> kTimerProperties =
    PropertyTable(props::timer::kOwn);

namespace {

constexpr wchar_t kTimerClass[] = L"RollcallTimer";
// The one timer of the unit's window.
constexpr UINT_PTR kTimerId = 1000;

enum : int32_t {
  kEventTick = 0,
};

class TimerUnit : public UnitWindow {
 public:
  TimerUnit(const CreateArgs& args, const forms::TimerData& data)
      : UnitWindow(args.window_id, args.unit_id), data_(data) {}

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value) {
    return ChangeStored(*this, &data_, index, value);
  }
  int Get(int32_t index, PropertyValue* out) { return GetStored(data_, index, out) ? 1 : 0; }
  forms::TimerData Snapshot() const { return data_; }
  // The application keeps its timers' state in the interval alone, and writes the interval it
  // already has from tick handlers all the time: only a change restarts the schedule.
  void Show(int32_t) {
    KillTimer(hwnd_, kTimerId);
    Start();
  }

 private:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT OnTimer();
  void Start();

  forms::TimerData data_;  // interval: the running period in milliseconds, 0 while stopped
};

void TimerUnit::Start() {
  if (data_.interval > 0) SetTimer(hwnd_, kTimerId, UINT(data_.interval), nullptr);
}

LRESULT TimerUnit::OnTimer() {
  Raise(kEventTick);
  return 0;
}

LRESULT TimerUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      return OnTimer();
    default:
      return Default(msg, wp, lp);
  }
}

UnitObject* TimerUnit::Create(const CreateArgs& args) {
  forms::TimerData data;
  if (!ReadTypeData(args, &data)) return nullptr;
  forms::FitStored(&data);
  if (!RegisterUnitClass(kTimerClass, 0)) return nullptr;
  auto* unit = new TimerUnit(args, data);
  if (!unit->CreateOwnClass(kTimerClass, "", args.style & WS_DISABLED, 0, args)) {
    delete unit;
    return nullptr;
  }
  unit->Start();
  return unit;
}

}  // namespace

void* TimerInterface(int32_t op) {
  return ControlInterface<TimerUnit>(op);
}

}  // namespace rc
