// The `ProcessBar` unit type (core library, type 19): a native progress bar. Its direction and
// smoothness are styles the control reads only when it is made, so changing them re-creates the
// unit; everything else is set on the live control.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kProcessBarPropertyCount> kProcessBarProperties =
    PropertyTable(props::process_bar::kOwn);

namespace {

namespace prop = props::process_bar;

class ProcessBarUnit : public UnitWindow {
 public:
  ProcessBarUnit(const CreateArgs& args, const forms::ProcessBarData& data)
      : UnitWindow(args.window_id, args.unit_id), data_(data) {}

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value) {
    return ChangeStored(*this, &data_, index, value);
  }
  int Get(int32_t index, PropertyValue* out) { return GetStored(data_, index, out) ? 1 : 0; }
  forms::ProcessBarData Snapshot() const { return data_; }
  void Show(int32_t index);

 private:
  void ShowRange();

  // Minimum, maximum and position as written, each within 0..32767: the range on screen runs
  // from the smaller to the larger end, and the position shown is clamped into it, while a read
  // gives back what was written (maximum 60, position 100: a full bar that reads 100).
  forms::ProcessBarData data_;
};

DWORD BarStyles(const forms::ProcessBarData& data) {
  return (data.vertical ? PBS_VERTICAL : 0) | (data.smooth ? PBS_SMOOTH : 0);
}

void ProcessBarUnit::ShowRange() {
  int32_t low = std::min(data_.minimum, data_.maximum);
  int32_t high = std::max(data_.minimum, data_.maximum);
  SendMessageW(hwnd_, PBM_SETRANGE32, WPARAM(low), LPARAM(high));
  SendMessageW(hwnd_, PBM_SETPOS, WPARAM(std::clamp(data_.position, low, high)), 0);
}

void ProcessBarUnit::Show(int32_t index) {
  if (index == Own(prop::kBorder)) {
    ApplyBorderFrame(hwnd_, data_.border);
  } else {
    ShowRange();
  }
}

UnitObject* ProcessBarUnit::Create(const CreateArgs& args) {
  forms::ProcessBarData data;
  if (!ReadTypeData(args, &data)) return nullptr;
  forms::FitStored(&data);
  InitControlClasses();
  auto* unit = new ProcessBarUnit(args, data);
  FrameStyles frame = BorderFrame(data.border);
  if (!unit->CreateControl(PROGRESS_CLASSW, "", args.style | frame.style | BarStyles(data),
                           frame.ex_style, args)) {
    delete unit;
    return nullptr;
  }
  unit->ShowRange();
  return unit;
}

}  // namespace

void* ProcessBarInterface(int32_t op) {
  return ControlInterface<ProcessBarUnit>(op);
}

}  // namespace rc
