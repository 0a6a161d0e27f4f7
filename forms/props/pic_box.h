// Properties of the PicBox unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::pic_box {

inline constexpr Property kBorder{8, Kind::kChoice, "border"};
inline constexpr Property kBackgroundColour{9, Kind::kColour, "background_colour"};
inline constexpr Property kPicture{10, Kind::kPicture, "picture"};
inline constexpr Property kDisplayMode{11, Kind::kChoice, "display_mode"};
inline constexpr Property kPlayAnimation{12, Kind::kBool, "play_animation"};
inline constexpr Property kDataBinding1{13, Kind::kText, "data_binding_1"};
inline constexpr Property kDataBinding2{14, Kind::kText, "data_binding_2"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kBorder,        kBackgroundColour, kPicture,     kDisplayMode,
                                    kPlayAnimation, kDataBinding1,     kDataBinding2};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::pic_box

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_PIC_BOX_FIELDS(F)                                                                \
  F(kBorder, int32_t, border, 0, kSetter, Between(0, 5), 0)                                 \
  F(kBackgroundColour, uint32_t, background_colour, kDefaultColour, kRepaint, kAnyValue, 0) \
  F(kDisplayMode, int32_t, display_mode, 0, kSetter, Between(0, 2), 0)                      \
  /* Kept: the pictures this runtime decodes are still pictures. */                         \
  F(kPlayAnimation, int32_t, play_animation, 1, kKept, kFlag, 0)                            \
  F(kPicture, Bytes, picture, {}, kSetter, kAnyValue, 0)                                    \
  F(kDataBinding1, std::string, p13, {}, kKept, kAnyValue, 2)                               \
  F(kDataBinding2, std::string, p14, {}, kKept, kAnyValue, 2)

RC_STORED_DATA(PicBoxData, kTypePicBox, 2, "PicBox", pic_box, RC_PIC_BOX_FIELDS)

}  // namespace rc::forms
