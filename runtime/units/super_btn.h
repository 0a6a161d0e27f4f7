// The `SuperBtn` unit type: the picture button (extended UI library two, type 1): an owner-drawn
// native button with a picture per state, state colours and a tooltip.
#pragma once

#include <array>

#include "forms/props/super_btn.h"
#include "runtime/library.h"
#include "runtime/units/native_controls.h"

namespace rc {

constexpr uint32_t kSuperBtnTypeFlags = 0x00000840;
constexpr size_t kSuperBtnPropertyCount = props::super_btn::kCount;

extern const std::array<PropertyEntry, kSuperBtnPropertyCount> kSuperBtnProperties;
void* SuperBtnInterface(int32_t op);

constexpr DataTypeDescriptor SuperBtnTypeDescriptor() {
  return ControlTypeDescriptor("超级按钮", "SuperBtn", kSuperBtnTypeFlags, kSuperBtnPropertyCount,
                               kSuperBtnProperties.data(), &SuperBtnInterface);
}

}  // namespace rc
