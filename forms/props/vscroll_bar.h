// Properties of the VScrollBar unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::vscroll_bar {

inline constexpr Property kMinimum{8, Kind::kInteger, "minimum"};
inline constexpr Property kMaximum{9, Kind::kInteger, "maximum"};
inline constexpr Property kPageChange{10, Kind::kInteger, "page_change"};
inline constexpr Property kLineChange{11, Kind::kInteger, "line_change"};
inline constexpr Property kPosition{12, Kind::kInteger, "position"};
inline constexpr Property kThumbTracking{13, Kind::kBool, "thumb_tracking"};

// Minimum and maximum lie within 0..kLimit (the range runs from the smaller to the larger),
// page and line change within 1..kLimit, the position within 0..kLimit (shown clamped into the
// range, read back as written).
inline constexpr int32_t kLimit = 32767;

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kMinimum,    kMaximum,  kPageChange,
                                    kLineChange, kPosition, kThumbTracking};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::vscroll_bar

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_VSCROLL_BAR_FIELDS(F)                                            \
  F(kMinimum, int32_t, minimum, 0, kSetter, Between(0, p::kLimit), 0)       \
  F(kMaximum, int32_t, maximum, 100, kSetter, Between(0, p::kLimit), 0)     \
  F(kPageChange, int32_t, page_change, 10, kKept, Between(1, p::kLimit), 0) \
  F(kLineChange, int32_t, line_change, 1, kKept, Between(1, p::kLimit), 0)  \
  F(kPosition, int32_t, position, 0, kSetter, Between(0, p::kLimit), 0)     \
  F(kThumbTracking, int32_t, thumb_tracking, 1, kKept, kFlag, 0)

RC_STORED_DATA(VScrollBarData, kTypeVScrollBar, 1, "VScrollBar", vscroll_bar, RC_VSCROLL_BAR_FIELDS)

}  // namespace rc::forms
