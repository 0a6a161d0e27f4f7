// Properties of the Timer unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::timer {

inline constexpr Property kInterval{8, Kind::kInteger, "interval"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kInterval};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::timer
