// The `PicBox` unit type: the picture box (core library, type 6): a background colour and a picture
// in one of three layouts; a container whose units are its child windows.
#pragma once

#include <array>

#include "forms/props/pic_box.h"
#include "runtime/library.h"
#include "runtime/units/native_controls.h"

namespace rc {

constexpr uint32_t kPicBoxTypeFlags = 0x840100C0;
constexpr size_t kPicBoxPropertyCount = props::pic_box::kCount;

extern const std::array<PropertyEntry, kPicBoxPropertyCount> kPicBoxProperties;
void* PicBoxInterface(int32_t op);

constexpr DataTypeDescriptor PicBoxTypeDescriptor() {
  return ControlTypeDescriptor("图片框", "PicBox", kPicBoxTypeFlags, kPicBoxPropertyCount,
                               kPicBoxProperties.data(), &PicBoxInterface);
}

}  // namespace rc
