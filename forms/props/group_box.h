// Properties of the GroupBox unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::group_box {

inline constexpr Property kCaption{8, Kind::kText, "caption"};
inline constexpr Property kCaptionAlignment{9, Kind::kChoice, "caption_alignment"};
inline constexpr Property kTextColour{10, Kind::kColour, "text_colour"};
inline constexpr Property kBackgroundColour{11, Kind::kColour, "background_colour"};
inline constexpr Property kFont{12, Kind::kFont, "font"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kCaption, kCaptionAlignment, kTextColour, kBackgroundColour,
                                    kFont};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::group_box
