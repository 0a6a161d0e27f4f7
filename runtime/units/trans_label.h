// The `TransLabel` unit type (extended UI library one, type 5): a label that draws only its
// text, over whatever lies behind it.
#pragma once

#include <array>

#include "forms/props/trans_label.h"
#include "runtime/library.h"
#include "runtime/units/native_controls.h"

namespace rc {

constexpr uint32_t kTransLabelTypeFlags = 0x00012040;
constexpr size_t kTransLabelPropertyCount = props::trans_label::kCount;

extern const std::array<PropertyEntry, kTransLabelPropertyCount> kTransLabelProperties;
void* TransLabelInterface(int32_t op);

constexpr DataTypeDescriptor TransLabelTypeDescriptor() {
  return ControlTypeDescriptor("透明标签", "TransLabel", kTransLabelTypeFlags,
                               kTransLabelPropertyCount, kTransLabelProperties.data(),
                               &TransLabelInterface);
}

}  // namespace rc
