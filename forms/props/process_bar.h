// Properties of the ProcessBar unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::process_bar {

inline constexpr Property kBorder{8, Kind::kChoice, "border"};
inline constexpr Property kVertical{9, Kind::kChoice, "vertical"};
inline constexpr Property kSmooth{10, Kind::kChoice, "smooth"};
inline constexpr Property kMinimum{11, Kind::kInteger, "minimum"};
inline constexpr Property kMaximum{12, Kind::kInteger, "maximum"};
inline constexpr Property kPosition{13, Kind::kInteger, "position"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kBorder, kVertical, kSmooth, kMinimum, kMaximum, kPosition};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::process_bar
