// The `window` unit type (core library, type 1): the top-level native window of a loaded
// window, made from the window unit's record.
#pragma once

#include "runtime/library.h"

namespace rc {

constexpr uint32_t kWindowTypeFlags = 0x800000D0;
constexpr uint32_t kWindowPropertyCount = 32;

extern const PropertyEntry kWindowProperties[kWindowPropertyCount];
void* WindowInterface(int32_t op);

constexpr DataTypeDescriptor WindowTypeDescriptor() {
  return DataTypeDescriptor{"窗口",
                            "window",
                            nullptr,
                            0,
                            0,
                            kWindowTypeFlags,
                            0,
                            0,
                            nullptr,
                            kWindowPropertyCount,
                            kWindowProperties,
                            &WindowInterface,
                            0,
                            0};
}

}  // namespace rc
