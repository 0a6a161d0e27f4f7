// Properties of the Button unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::button {

inline constexpr Property kPicture{8, Kind::kPicture, "picture"};
inline constexpr Property kType{9, Kind::kChoice, "type"};
inline constexpr Property kCaption{10, Kind::kText, "caption"};
inline constexpr Property kHorizontalAlignment{11, Kind::kChoice, "horizontal_alignment"};
inline constexpr Property kVerticalAlignment{12, Kind::kChoice, "vertical_alignment"};
inline constexpr Property kFont{13, Kind::kFont, "font"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kPicture,           kType, kCaption, kHorizontalAlignment,
                                    kVerticalAlignment, kFont};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::button
