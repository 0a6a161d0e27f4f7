// The `SplitterBar` unit type: the divider (extended UI library two, type 3): a raised strip in its
// fill colour.
#pragma once

#include <array>

#include "forms/props/splitter_bar.h"
#include "runtime/library.h"
#include "runtime/units/native_controls.h"

namespace rc {

constexpr uint32_t kSplitterBarTypeFlags = 0x00000040;
constexpr size_t kSplitterBarPropertyCount = props::splitter_bar::kCount;

extern const std::array<PropertyEntry, kSplitterBarPropertyCount> kSplitterBarProperties;
void* SplitterBarInterface(int32_t op);

constexpr DataTypeDescriptor SplitterBarTypeDescriptor() {
  return ControlTypeDescriptor("分隔条", "SplitterBar", kSplitterBarTypeFlags,
                               kSplitterBarPropertyCount, kSplitterBarProperties.data(),
                               &SplitterBarInterface);
}

}  // namespace rc
