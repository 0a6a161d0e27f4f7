// Properties of the SplitterBar unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::splitter_bar {

inline constexpr Property kFillColour{8, Kind::kColour, "fill_colour"};
inline constexpr Property kProperty9{9, Kind::kChoice, "property_9"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kFillColour, kProperty9};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::splitter_bar
