// The SysVolume unit: nothing on screen, and the library commands OpenVolumeLine and SetVolume
// reach its mixer access through the unit reference (window id, unit id).
#include "library_commands/commands.h"
#include "tests/win/control_units.h"

namespace rc::test {
namespace {

constexpr uint32_t kVolume = 0x16000180;
constexpr uint32_t kSysVolumeTag = 0x00060001;

int32_t Call(void (*command)(ResultRecord*, int, ArgRecord*), uint32_t unit,
             std::vector<int32_t> numbers) {
  std::vector<ArgRecord> args = {{kControlWindow, unit, kSysVolumeTag}};
  for (int32_t n : numbers) args.push_back({uint32_t(n), 0, 0x80000301});
  ResultRecord result{};
  command(&result, int(args.size()), args.data());
  return int32_t(result.lo);
}

using SysVolumeUnit = ControlUnitTest;

TEST_F(SysVolumeUnit, HiddenAndReachedByTheCommands) {
  ASSERT_TRUE(Load({UnitRecord(kVolume, forms::SysVolumeData{}, {128, 272, 32, 32})}));
  HWND hwnd = Native(kVolume);
  ASSERT_NE(hwnd, nullptr) << "the volume unit is live while its window is loaded";
  Write(kVolume, props::kVisible.index, 1);
  EXPECT_FALSE(IsWindowVisible(hwnd)) << "the volume unit is never shown";

  // The same requests on an object of its own tell what this machine's mixer answers.
  SysVolumeObject reference;
  int32_t opened = reference.OpenVolumeLine(SysVolumeObject::kSpeakers);
  int32_t set = reference.SetVolume(40000, 40000);
  EXPECT_EQ(Call(&OpenVolumeLine, kVolume, {int32_t(SysVolumeObject::kSpeakers)}), opened);
  EXPECT_EQ(Call(&SetVolume, kVolume, {40000, 40000}), set);

  EXPECT_EQ(Call(&OpenVolumeLine, kVolume, {9999}), 0) << "an unknown line closes both controls";
  EXPECT_EQ(Call(&SetVolume, kVolume, {1, 1}), 0) << "no volume control is open any more";
  EXPECT_EQ(Call(&OpenVolumeLine, 0x16009999, {int32_t(SysVolumeObject::kSpeakers)}), 0)
      << "a reference to no volume unit opens nothing";

  DestroyWindow(Native(0));
  EXPECT_EQ(Call(&SetVolume, kVolume, {1, 1}), 0) << "the unit is gone with its window";
}

}  // namespace
}  // namespace rc::test
