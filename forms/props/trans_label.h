// Properties of the TransLabel unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::trans_label {

inline constexpr Property kCaption{8, Kind::kText, "caption"};
inline constexpr Property kEffect{9, Kind::kChoice, "effect"};
inline constexpr Property kFont{10, Kind::kFont, "font"};
inline constexpr Property kTextColour{11, Kind::kColour, "text_colour"};
inline constexpr Property kHorizontalAlignment{12, Kind::kChoice, "horizontal_alignment"};
inline constexpr Property kWordWrap{13, Kind::kBool, "word_wrap"};
inline constexpr Property kVerticalAlignment{14, Kind::kChoice, "vertical_alignment"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {
    kCaption, kEffect, kFont, kTextColour, kHorizontalAlignment, kWordWrap, kVerticalAlignment};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::trans_label
