// Properties of the RadioBox unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::radio_box {

inline constexpr Property kPicture{8, Kind::kPicture, "picture"};
inline constexpr Property kProperty9{9, Kind::kInteger, "property_9"};
inline constexpr Property kProperty10{10, Kind::kInteger, "property_10"};
inline constexpr Property kCaption{11, Kind::kText, "caption"};
inline constexpr Property kProperty12{12, Kind::kInteger, "property_12"};
inline constexpr Property kProperty13{13, Kind::kInteger, "property_13"};
inline constexpr Property kProperty14{14, Kind::kInteger, "property_14"};
inline constexpr Property kTextColour{15, Kind::kColour, "text_colour"};
inline constexpr Property kBackgroundColour{16, Kind::kColour, "background_colour"};
inline constexpr Property kFont{17, Kind::kFont, "font"};
inline constexpr Property kSelected{18, Kind::kBool, "selected"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kPicture,          kProperty9,  kProperty10, kCaption,
                                    kProperty12,       kProperty13, kProperty14, kTextColour,
                                    kBackgroundColour, kFont,       kSelected};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::radio_box
