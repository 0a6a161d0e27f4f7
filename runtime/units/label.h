// The `Label` unit type: the ordinary label (core library, type 10): caption, colours, borders, a
// background picture and the gradient frame of border 6, all painted by the runtime.
#pragma once

#include <array>

#include "forms/props/label.h"
#include "runtime/library.h"
#include "runtime/units/native_controls.h"

namespace rc {

constexpr uint32_t kLabelTypeFlags = 0x84012040;
constexpr size_t kLabelPropertyCount = props::label::kCount;

extern const std::array<PropertyEntry, kLabelPropertyCount> kLabelProperties;
void* LabelInterface(int32_t op);

constexpr DataTypeDescriptor LabelTypeDescriptor() {
  return ControlTypeDescriptor("标签", "Label", kLabelTypeFlags, kLabelPropertyCount,
                               kLabelProperties.data(), &LabelInterface);
}

}  // namespace rc
