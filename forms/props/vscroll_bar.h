// Properties of the VScrollBar unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::vscroll_bar {

inline constexpr Property kMinimum{8, Kind::kInteger, "minimum"};
inline constexpr Property kMaximum{9, Kind::kInteger, "maximum"};
inline constexpr Property kPageChange{10, Kind::kInteger, "page_change"};
inline constexpr Property kLineChange{11, Kind::kInteger, "line_change"};
inline constexpr Property kPosition{12, Kind::kInteger, "position"};
inline constexpr Property kThumbTracking{13, Kind::kBool, "thumb_tracking"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kMinimum,    kMaximum,  kPageChange,
                                    kLineChange, kPosition, kThumbTracking};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::vscroll_bar
