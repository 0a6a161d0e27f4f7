// The multimedia library's SysVolume methods: a mixer line's volume and mute controls.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <vector>

#include "library_commands/commands.h"

namespace rc {

namespace {

constexpr char kWindowClass[] = "RollcallSysVolume";

SysVolumeLookup g_lookup = nullptr;

// Mixer line and control changes arrive here; nothing in the program reacts to them, but the
// mixer needs a window to post them to.
LRESULT CALLBACK VolumeWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = VolumeWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassA(&wc) != 0;
  }();
  (void)registered;
}

void CloseControl(SysVolumeObject::Control* control) {
  if (control->mixer != nullptr) mixerClose(control->mixer);
  *control = SysVolumeObject::Control{};
}

SysVolumeObject* FindUnit(int argc, ArgRecord* args) {
  const ArgRecord* unit = OptionalArg(argc, args, 0);
  if (unit == nullptr || g_lookup == nullptr) return nullptr;
  return g_lookup(unit->lo, unit->hi);
}

int32_t IntArg(int argc, ArgRecord* args, int i) {
  const ArgRecord* arg = OptionalArg(argc, args, i);
  return arg != nullptr ? SlotInt(*arg) : 0;
}

}  // namespace

SysVolumeObject::SysVolumeObject(HWND parent) {
  RegisterWindowClass();
  window_ = CreateWindowExA(0, kWindowClass, "", parent != nullptr ? WS_CHILD : 0, 0, 0, 0, 0,
                            parent != nullptr ? parent : HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

SysVolumeObject::~SysVolumeObject() {
  CloseControls();
  if (window_ != nullptr) DestroyWindow(window_);
}

void SysVolumeObject::CloseControls() {
  CloseControl(&volume_);
  CloseControl(&mute_);
}

bool SysVolumeObject::OpenControl(Control* control, DWORD kind, DWORD source, DWORD type,
                                  bool with_range) {
  CloseControl(control);
  if (mixerGetNumDevs() == 0) return false;
  HMIXER mixer = nullptr;
  if (mixerOpen(&mixer, 0, reinterpret_cast<DWORD_PTR>(window_), 0, CALLBACK_WINDOW) !=
      MMSYSERR_NOERROR) {
    return false;
  }
  auto fail = [mixer] {
    mixerClose(mixer);
    return false;
  };
  MIXERCAPSA caps{};
  if (mixerGetDevCapsA(reinterpret_cast<UINT_PTR>(mixer), &caps, sizeof caps) != MMSYSERR_NOERROR) {
    return fail();
  }
  const auto handle = reinterpret_cast<HMIXEROBJ>(mixer);
  MIXERLINEA line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = kind;
  if (mixerGetLineInfoA(handle, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
      MMSYSERR_NOERROR) {
    return fail();
  }
  if (source != 0) {
    const DWORD connections = line.cConnections;
    const DWORD destination = line.dwDestination;
    bool found = false;
    for (DWORD i = 0; i < connections && !found; ++i) {
      MIXERLINEA source_line{};
      source_line.cbStruct = sizeof source_line;
      source_line.dwDestination = destination;
      source_line.dwSource = i;
      if (mixerGetLineInfoA(handle, &source_line,
                            MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) == MMSYSERR_NOERROR &&
          source_line.dwComponentType == source) {
        line = source_line;
        found = true;
      }
    }
    if (!found) return fail();
  }
  MIXERCONTROLA mc{};
  mc.cbStruct = sizeof mc;
  MIXERLINECONTROLSA controls{};
  controls.cbStruct = sizeof controls;
  controls.dwLineID = line.dwLineID;
  controls.dwControlType = type;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof mc;
  controls.pamxctrl = &mc;
  if (mixerGetLineControlsA(handle, &controls,
                            MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
      MMSYSERR_NOERROR) {
    return fail();
  }
  control->mixer = mixer;
  control->id = mc.dwControlID;
  control->name = mc.szName;
  if (with_range) {
    control->channels = line.cChannels;
    control->minimum = mc.Bounds.dwMinimum;
    control->maximum = mc.Bounds.dwMaximum;
  }
  return true;
}

int SysVolumeObject::OpenBoth(DWORD kind, DWORD source) {
  const bool volume =
      OpenControl(&volume_, kind, source, MIXERCONTROL_CONTROLTYPE_VOLUME, /*with_range=*/true);
  const bool mute =
      OpenControl(&mute_, kind, source, MIXERCONTROL_CONTROLTYPE_MUTE, /*with_range=*/false);
  if (volume && mute) return 1;
  if (volume) return -2;
  if (mute) return -1;
  return 0;
}

int SysVolumeObject::OpenVolumeLine(int32_t kind) {
  const auto k = static_cast<DWORD>(kind);
  int result = OpenBoth(k, 0);
  switch (k) {
    case MIXERLINE_COMPONENTTYPE_DST_SPEAKERS:
    case MIXERLINE_COMPONENTTYPE_SRC_LINE:
    case MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE:
    case MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER:
    case MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC:
    case MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE:
    case MIXERLINE_COMPONENTTYPE_SRC_ANALOG:
      result = OpenBoth(k, 0);
      break;
    case MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT:
      // Mixers list the wave output as a source of the speakers rather than as a line of its own.
      result = OpenBoth(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
      break;
    default:
      CloseControls();
      result = 0;
      break;
  }
  return result;
}

int SysVolumeObject::SetVolume(int32_t left, int32_t right) {
  if (!volume_.open()) return 0;
  const DWORD channels = volume_.channels;
  std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(channels > 0 ? channels : 1);
  // A mixer refuses a value outside the control's range and leaves the volume where it was,
  // however quiet; the nearest end of the range is what the caller meant. The range is the
  // control's own: not every mixer counts from 0 to 65535.
  const auto in_range = [this](int32_t v) {
    const int64_t low = volume_.minimum, high = std::max(volume_.maximum, volume_.minimum);
    return static_cast<DWORD>(std::clamp<int64_t>(v, low, high));
  };
  // Lines with more than two channels give the others the right value.
  for (size_t i = 0; i < values.size(); ++i) values[i].dwValue = in_range(i == 0 ? left : right);
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = volume_.id;
  details.cChannels = channels;
  details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
  details.paDetails = values.data();
  return mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(volume_.mixer), &details,
                                MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
                 MMSYSERR_NOERROR
             ? 1
             : 0;
}

void SetSysVolumeLookup(SysVolumeLookup lookup) {
  g_lookup = lookup;
}

void OpenVolumeLine(ResultRecord* result, int argc, ArgRecord* args) {
  SysVolumeObject* unit = FindUnit(argc, args);
  SetSlotInt(result, unit != nullptr ? unit->OpenVolumeLine(IntArg(argc, args, 1)) : 0);
}

void SetVolume(ResultRecord* result, int argc, ArgRecord* args) {
  SysVolumeObject* unit = FindUnit(argc, args);
  SetSlotInt(result,
             unit != nullptr ? unit->SetVolume(IntArg(argc, args, 1), IntArg(argc, args, 2)) : 0);
}

}  // namespace rc
