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

constexpr int32_t kLimit = 32767;

class ProcessBarUnit : public UnitWindow {
 public:
  ProcessBarUnit(const CreateArgs& args, const forms::ProcessBarData& data)
      : UnitWindow(args.window_id, args.unit_id), data_(data) {}

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out);
  forms::ProcessBarData Snapshot() const { return data_; }

 private:
  void ShowRange();
  int SetStyle(int32_t* field, int32_t value);
  void SetBorder(int32_t border);
  void SetRangeEnd(int32_t* field, int32_t value);
  void SetPosition(int32_t position);

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

// Returns 1, asking for re-creation, only when the style really changed.
int ProcessBarUnit::SetStyle(int32_t* field, int32_t value) {
  return StoreInt(field, ClampTo(value, 0, 1)) ? 1 : 0;
}

void ProcessBarUnit::SetBorder(int32_t border) {
  if (!StoreInt(&data_.border, ClampTo(border, 0, 5))) return;
  ApplyBorderFrame(hwnd_, data_.border);
}

void ProcessBarUnit::SetRangeEnd(int32_t* field, int32_t value) {
  if (!StoreInt(field, ClampTo(value, 0, kLimit))) return;
  ShowRange();
}

void ProcessBarUnit::SetPosition(int32_t position) {
  if (!StoreInt(&data_.position, ClampTo(position, 0, kLimit))) return;
  ShowRange();
}

int ProcessBarUnit::Changed(int32_t index, const PropertyValue& value) {
  switch (index) {
    case Own(prop::kBorder):
      SetBorder(value.i);
      return 0;
    case Own(prop::kVertical):
      return SetStyle(&data_.vertical, value.i);
    case Own(prop::kSmooth):
      return SetStyle(&data_.smooth, value.i);
    case Own(prop::kMinimum):
      SetRangeEnd(&data_.minimum, value.i);
      return 0;
    case Own(prop::kMaximum):
      SetRangeEnd(&data_.maximum, value.i);
      return 0;
    case Own(prop::kPosition):
      SetPosition(value.i);
      return 0;
    default:
      return 0;
  }
}

int ProcessBarUnit::Get(int32_t index, PropertyValue* out) {
  const NumberOf numbers[] = {
      {prop::kBorder, data_.border},   {prop::kVertical, data_.vertical},
      {prop::kSmooth, data_.smooth},   {prop::kMinimum, data_.minimum},
      {prop::kMaximum, data_.maximum}, {prop::kPosition, data_.position},
  };
  return NumberValue(numbers, index, out) ? 1 : 0;
}

UnitObject* ProcessBarUnit::Create(const CreateArgs& args) {
  forms::ProcessBarData data;
  if (!ReadTypeData(args, &data)) return nullptr;
  data.border = ClampTo(data.border, 0, 5);
  data.vertical = ClampTo(data.vertical, 0, 1);
  data.smooth = ClampTo(data.smooth, 0, 1);
  data.minimum = ClampTo(data.minimum, 0, kLimit);
  data.maximum = ClampTo(data.maximum, 0, kLimit);
  data.position = ClampTo(data.position, 0, kLimit);
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
