// OpenVolumeLine and SetVolume on a SysVolume object, with whatever mixer the machine has. The
// expected results come from probing the mixer independently; each test records which case ran.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/values.h"
#include "library_commands/commands.h"

namespace rc {
namespace {

// What the first mixer offers for a line, found without the code under test.
struct Probe {
  bool volume = false;
  bool mute = false;
  DWORD channels = 0;
};

bool ProbeControl(HMIXEROBJ mixer, DWORD line_id, DWORD type) {
  MIXERCONTROLA mc{};
  mc.cbStruct = sizeof mc;
  MIXERLINECONTROLSA lc{};
  lc.cbStruct = sizeof lc;
  lc.dwLineID = line_id;
  lc.dwControlType = type;
  lc.cControls = 1;
  lc.cbmxctrl = sizeof mc;
  lc.pamxctrl = &mc;
  return mixerGetLineControlsA(mixer, &lc,
                               MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
         MMSYSERR_NOERROR;
}

Probe ProbeLine(DWORD kind, DWORD source) {
  Probe p;
  if (mixerGetNumDevs() == 0) return p;
  HMIXER mixer = nullptr;
  if (mixerOpen(&mixer, 0, 0, 0, 0) != MMSYSERR_NOERROR) return p;
  const auto h = reinterpret_cast<HMIXEROBJ>(mixer);
  MIXERLINEA line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = kind;
  if (mixerGetLineInfoA(h, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) ==
      MMSYSERR_NOERROR) {
    bool found = source == 0;
    for (DWORD i = 0; source != 0 && i < line.cConnections && !found; ++i) {
      MIXERLINEA s{};
      s.cbStruct = sizeof s;
      s.dwDestination = line.dwDestination;
      s.dwSource = i;
      if (mixerGetLineInfoA(h, &s, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) ==
              MMSYSERR_NOERROR &&
          s.dwComponentType == source) {
        line = s;
        found = true;
      }
    }
    if (found) {
      p.volume = ProbeControl(h, line.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME);
      p.mute = ProbeControl(h, line.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE);
      p.channels = line.cChannels;
    }
  }
  mixerClose(mixer);
  return p;
}

int Expected(const Probe& p) {
  return p.volume && p.mute ? 1 : p.volume ? -2 : p.mute ? -1 : 0;
}

std::vector<DWORD> ReadVolume(const SysVolumeObject& unit) {
  const SysVolumeObject::Control& c = unit.volume();
  std::vector<MIXERCONTROLDETAILS_UNSIGNED> v(c.channels ? c.channels : 1);
  MIXERCONTROLDETAILS d{};
  d.cbStruct = sizeof d;
  d.dwControlID = c.id;
  d.cChannels = c.channels;
  d.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
  d.paDetails = v.data();
  if (mixerGetControlDetailsA(reinterpret_cast<HMIXEROBJ>(c.mixer), &d,
                              MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
      MMSYSERR_NOERROR) {
    return {};
  }
  std::vector<DWORD> out;
  for (auto& x : v) out.push_back(x.dwValue);
  return out;
}

// The commands find the unit object through the runtime's lookup; here a table of one.
SysVolumeObject* g_unit = nullptr;
constexpr uint32_t kWindowId = 0x52010001, kUnitId = 0x16010020;

SysVolumeObject* Lookup(uint32_t window_id, uint32_t unit_id) {
  return window_id == kWindowId && unit_id == kUnitId ? g_unit : nullptr;
}

int CallOpen(uint32_t unit_id, int32_t kind) {
  ArgRecord args[2] = {{kWindowId, unit_id, 0x00060001}, IntValue(kind)};
  ResultRecord r{};
  OpenVolumeLine(&r, 2, args);
  return SlotInt(r);
}

int CallSet(uint32_t unit_id, int32_t left, int32_t right) {
  ArgRecord args[3] = {{kWindowId, unit_id, 0x00060001}, IntValue(left), IntValue(right)};
  ResultRecord r{};
  SetVolume(&r, 3, args);
  return SlotInt(r);
}

class Volume : public ::testing::Test {
 protected:
  void SetUp() override {
    unit_ = new SysVolumeObject();
    ASSERT_TRUE(IsWindow(unit_->window())) << "mixer notifications need a window";
    ASSERT_FALSE(IsWindowVisible(unit_->window()));
    g_unit = unit_;
    SetSysVolumeLookup(&Lookup);
    has_mixer_ = mixerGetNumDevs() > 0;
    RecordProperty("mixer", has_mixer_ ? "present" : "none");
  }
  void TearDown() override {
    // Leave the program's own sound at full volume for the player tests.
    if (unit_->OpenVolumeLine(4) != 0 && unit_->volume().open()) {
      unit_->SetVolume(unit_->volume().maximum, unit_->volume().maximum);
    }
    SetSysVolumeLookup(nullptr);
    g_unit = nullptr;
    delete unit_;
  }
  SysVolumeObject* unit_ = nullptr;
  bool has_mixer_ = false;
};

TEST_F(Volume, UnknownKindClosesBothControls) {
  CallOpen(kUnitId, 4);
  EXPECT_EQ(CallOpen(kUnitId, 9999), 0) << "any other kind closes both controls and gives 0";
  EXPECT_FALSE(unit_->volume().open());
  EXPECT_FALSE(unit_->mute().open());
  EXPECT_EQ(CallSet(kUnitId, 39200, 39200), 0) << "without a volume control SetVolume gives 0";
}

TEST_F(Volume, LineKindsGiveWhatTheMixerOffers) {
  struct Case {
    int32_t kind;
    DWORD probe_kind, probe_source;
  } cases[] = {
      {4, 4, 0},        // speakers
      {4104, 4, 4104},  // wave output, found among the speakers' sources
      {4098, 4098, 0},  // line in
      {4099, 4099, 0},  // microphone
      {4106, 4106, 0},  // analog
  };
  for (const Case& c : cases) {
    const Probe p = ProbeLine(c.probe_kind, c.probe_source);
    const int expected = Expected(p);
    SCOPED_TRACE("kind " + std::to_string(c.kind) + ", mixer offers " + std::to_string(expected));
    RecordProperty("kind_" + std::to_string(c.kind), expected);
    EXPECT_EQ(CallOpen(kUnitId, c.kind), expected);
    EXPECT_EQ(unit_->volume().open(), p.volume);
    EXPECT_EQ(unit_->mute().open(), p.mute);
    if (p.volume) {
      EXPECT_EQ(unit_->volume().channels, p.channels) << "the line's channel count is kept";
      EXPECT_NE(unit_->volume().mixer, unit_->mute().mixer) << "each control has its own handle";
    }
  }
  EXPECT_EQ(CallOpen(kUnitId, 4103), 0) << "the PC speaker line is not one of the known kinds";
}

TEST_F(Volume, SetVolumeReachesTheSpeakersLine) {
  const int opened = CallOpen(kUnitId, 4);
  if (!has_mixer_) {
    RecordProperty("case", "no mixer: both commands fail quietly");
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(CallSet(kUnitId, 39200, 39200), 0);
    return;
  }
  if (!unit_->volume().open()) GTEST_SKIP() << "the mixer has no speakers volume control";
  RecordProperty("case", "mixer with a speakers volume control");
  // Mixers keep the volume as a fraction of their range, so a value may read back one lower.
  ASSERT_EQ(CallSet(kUnitId, 39200, 39200), 1);
  std::vector<DWORD> v = ReadVolume(*unit_);
  ASSERT_FALSE(v.empty());
  EXPECT_NEAR(v[0], 39200, 1) << "the start-up volume of position 50";
  // The left value goes to the first channel. (Wine's mixer keeps one master value, taken from
  // the first channel; a mixer with separate channels shows the right value in the second.)
  ASSERT_EQ(CallSet(kUnitId, 1000, 64000), 1);
  v = ReadVolume(*unit_);
  ASSERT_FALSE(v.empty());
  EXPECT_NEAR(v[0], 1000, 1) << "left value to the first channel";
  if (v.size() >= 2 && v[1] != 0) {
    EXPECT_NEAR(v[1], 64000, 1) << "right value to the second channel";
  }
  // A value beyond the control's range gives the nearest end of the range the mixer reports
  // (positions 1 to 17 of the volume bar give values above 65535), never a refusal that would
  // leave the volume as it was.
  const SysVolumeObject::Control& c = unit_->volume();
  RecordProperty("range", std::to_string(c.minimum) + ".." + std::to_string(c.maximum));
  const struct {
    int32_t value;
    DWORD want;
  } ends[] = {{78400, c.maximum}, {-800, c.minimum}, {INT32_MAX, c.maximum}, {1000, 1000}};
  for (const auto& e : ends) {
    EXPECT_EQ(CallSet(kUnitId, e.value, e.value), 1) << e.value << " is taken";
    v = ReadVolume(*unit_);
    ASSERT_FALSE(v.empty());
    EXPECT_NEAR(v[0], e.want, 1) << e.value << " comes to the nearest end of the range";
  }
}

TEST_F(Volume, UnknownUnitGivesZero) {
  EXPECT_EQ(CallOpen(kUnitId + 1, 4), 0);
  EXPECT_EQ(CallSet(kUnitId + 1, 1, 1), 0);
  ArgRecord none[1] = {{0, 0, 0}};
  ResultRecord r{};
  SetVolume(&r, 1, none);
  EXPECT_EQ(SlotInt(r), 0);
}

}  // namespace
}  // namespace rc
