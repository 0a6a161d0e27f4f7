// The unit types made of native controls (EditBox, Button, RadioBox, GroupBox, VScrollBar,
// ProcessBar) and of hidden native windows (Timer, SysVolume): their descriptors for the
// libraries' data type tables. Each type lives in its own file under runtime/units/.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "forms/props/button.h"
#include "forms/props/edit_box.h"
#include "forms/props/group_box.h"
#include "forms/props/process_bar.h"
#include "forms/props/radio_box.h"
#include "forms/props/sys_volume.h"
#include "forms/props/timer.h"
#include "forms/props/vscroll_bar.h"
#include "runtime/library.h"

namespace rc {

constexpr DataTypeDescriptor ControlTypeDescriptor(const char* name, const char* english_name,
                                                   uint32_t flags, size_t property_count,
                                                   const PropertyEntry* properties,
                                                   UnitInterfaceFn interface_fn) {
  return DataTypeDescriptor{
      name,       english_name, nullptr, 0, 0, flags, 0, 0, nullptr, uint32_t(property_count),
      properties, interface_fn, 0,       0};
}

constexpr uint32_t kEditBoxTypeFlags = 0x80000040;
constexpr size_t kEditBoxPropertyCount = props::edit_box::kCount;
extern const std::array<PropertyEntry, kEditBoxPropertyCount> kEditBoxProperties;
void* EditBoxInterface(int32_t op);
constexpr DataTypeDescriptor EditBoxTypeDescriptor() {
  return ControlTypeDescriptor("编辑框", "EditBox", kEditBoxTypeFlags, kEditBoxPropertyCount,
                               kEditBoxProperties.data(), &EditBoxInterface);
}

constexpr uint32_t kGroupBoxTypeFlags = 0x840140C0;
constexpr size_t kGroupBoxPropertyCount = props::group_box::kCount;
extern const std::array<PropertyEntry, kGroupBoxPropertyCount> kGroupBoxProperties;
void* GroupBoxInterface(int32_t op);
constexpr DataTypeDescriptor GroupBoxTypeDescriptor() {
  return ControlTypeDescriptor("分组框", "GroupBox", kGroupBoxTypeFlags, kGroupBoxPropertyCount,
                               kGroupBoxProperties.data(), &GroupBoxInterface);
}

constexpr uint32_t kButtonTypeFlags = 0x80000840;
constexpr size_t kButtonPropertyCount = props::button::kCount;
extern const std::array<PropertyEntry, kButtonPropertyCount> kButtonProperties;
void* ButtonInterface(int32_t op);
constexpr DataTypeDescriptor ButtonTypeDescriptor() {
  return ControlTypeDescriptor("按钮", "Button", kButtonTypeFlags, kButtonPropertyCount,
                               kButtonProperties.data(), &ButtonInterface);
}

constexpr uint32_t kRadioBoxTypeFlags = 0x80000440;
constexpr size_t kRadioBoxPropertyCount = props::radio_box::kCount;
extern const std::array<PropertyEntry, kRadioBoxPropertyCount> kRadioBoxProperties;
void* RadioBoxInterface(int32_t op);
constexpr DataTypeDescriptor RadioBoxTypeDescriptor() {
  return ControlTypeDescriptor("单选框", "RadioBox", kRadioBoxTypeFlags, kRadioBoxPropertyCount,
                               kRadioBoxProperties.data(), &RadioBoxInterface);
}

constexpr uint32_t kVScrollBarTypeFlags = 0x80020040;
constexpr size_t kVScrollBarPropertyCount = props::vscroll_bar::kCount;
extern const std::array<PropertyEntry, kVScrollBarPropertyCount> kVScrollBarProperties;
void* VScrollBarInterface(int32_t op);
constexpr DataTypeDescriptor VScrollBarTypeDescriptor() {
  return ControlTypeDescriptor("纵向滚动条", "VScrollBar", kVScrollBarTypeFlags,
                               kVScrollBarPropertyCount, kVScrollBarProperties.data(),
                               &VScrollBarInterface);
}

constexpr uint32_t kProcessBarTypeFlags = 0x84010040;
constexpr size_t kProcessBarPropertyCount = props::process_bar::kCount;
extern const std::array<PropertyEntry, kProcessBarPropertyCount> kProcessBarProperties;
void* ProcessBarInterface(int32_t op);
constexpr DataTypeDescriptor ProcessBarTypeDescriptor() {
  return ControlTypeDescriptor("进度条", "ProcessBar", kProcessBarTypeFlags,
                               kProcessBarPropertyCount, kProcessBarProperties.data(),
                               &ProcessBarInterface);
}

constexpr uint32_t kTimerTypeFlags = 0x80008040;
constexpr size_t kTimerPropertyCount = props::timer::kCount;
extern const std::array<PropertyEntry, kTimerPropertyCount> kTimerProperties;
void* TimerInterface(int32_t op);
constexpr DataTypeDescriptor TimerTypeDescriptor() {
  return ControlTypeDescriptor("时钟", "Timer", kTimerTypeFlags, kTimerPropertyCount,
                               kTimerProperties.data(), &TimerInterface);
}

constexpr uint32_t kSysVolumeTypeFlags = 0x80008040;
constexpr size_t kSysVolumePropertyCount = props::sys_volume::kCount;
extern const std::array<PropertyEntry, kSysVolumePropertyCount> kSysVolumeProperties;
void* SysVolumeInterface(int32_t op);
constexpr DataTypeDescriptor SysVolumeTypeDescriptor() {
  return ControlTypeDescriptor("系统音量", "SysVolume", kSysVolumeTypeFlags,
                               kSysVolumePropertyCount, kSysVolumeProperties.data(),
                               &SysVolumeInterface);
}

}  // namespace rc
