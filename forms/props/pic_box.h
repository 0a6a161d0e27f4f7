// Properties of the PicBox unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

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
