// The `SysVolume` unit type (multimedia library, type 1): no properties of its own and nothing
// on screen. Its object owns the mixer access that the library commands OpenVolumeLine and
// SetVolume reach through the unit reference they are given.
#include <memory>

#include "library_commands/commands.h"
#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_host.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kSysVolumePropertyCount> kSysVolumeProperties = PropertyTable();

namespace {

constexpr wchar_t kVolumeClass[] = L"RollcallVolumeUnit";

class SysVolumeUnit : public UnitWindow {
 public:
  using UnitWindow::UnitWindow;

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t, const PropertyValue&) { return 0; }
  int Get(int32_t, PropertyValue*) { return 0; }
  forms::SysVolumeData Snapshot() const { return {}; }

  SysVolumeObject* volume() const { return volume_.get(); }

 private:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT OnDestroy(WPARAM wp, LPARAM lp);

  // The volume and mute controls of the line last opened; its notification window is a child
  // of the unit's hidden window.
  std::unique_ptr<SysVolumeObject> volume_;
};

// The commands find the unit of a reference (window id, unit id) here.
SysVolumeObject* FindVolume(uint32_t window_id, uint32_t unit_id) {
  auto* unit = dynamic_cast<SysVolumeUnit*>(Host().FindLiveObject(window_id, unit_id));
  return unit != nullptr ? unit->volume() : nullptr;
}

// The mixers are closed while the window and its child still stand.
LRESULT SysVolumeUnit::OnDestroy(WPARAM wp, LPARAM lp) {
  volume_.reset();
  return Default(WM_DESTROY, wp, lp);
}

LRESULT SysVolumeUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DESTROY:
      return OnDestroy(wp, lp);
    default:
      return Default(msg, wp, lp);
  }
}

UnitObject* SysVolumeUnit::Create(const CreateArgs& args) {
  if (!RegisterUnitClass(kVolumeClass, 0)) return nullptr;
  auto* unit = new SysVolumeUnit(args.window_id, args.unit_id);
  if (!unit->CreateOwnClass(kVolumeClass, "", 0, 0, args)) {
    delete unit;
    return nullptr;
  }
  unit->volume_ = std::make_unique<SysVolumeObject>(unit->hwnd());
  SetSysVolumeLookup(&FindVolume);
  return unit;
}

}  // namespace

void* SysVolumeInterface(int32_t op) {
  return ControlInterface<SysVolumeUnit>(op);
}

}  // namespace rc
