// Properties of the ProcessBar unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::process_bar {

inline constexpr Property kBorder{8, Kind::kChoice, "border"};
inline constexpr Property kVertical{9, Kind::kChoice, "vertical"};
inline constexpr Property kSmooth{10, Kind::kChoice, "smooth"};
inline constexpr Property kMinimum{11, Kind::kInteger, "minimum"};
inline constexpr Property kMaximum{12, Kind::kInteger, "maximum"};
inline constexpr Property kPosition{13, Kind::kInteger, "position"};

// Minimum, maximum and position lie within 0..kLimit: the range on screen runs from the smaller
// to the larger end and the position shown is clamped into it, while a read gives back what
// was written.
inline constexpr int32_t kLimit = 32767;

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kBorder, kVertical, kSmooth, kMinimum, kMaximum, kPosition};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::process_bar

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_PROCESS_BAR_FIELDS(F)                                        \
  F(kBorder, int32_t, border, 0, kSetter, Between(0, 5), 0)             \
  F(kVertical, int32_t, vertical, 0, kRecreate, Between(0, 1), 0)       \
  F(kSmooth, int32_t, smooth, 0, kRecreate, Between(0, 1), 0)           \
  F(kMinimum, int32_t, minimum, 0, kSetter, Between(0, p::kLimit), 0)   \
  F(kMaximum, int32_t, maximum, 100, kSetter, Between(0, p::kLimit), 0) \
  F(kPosition, int32_t, position, 0, kSetter, Between(0, p::kLimit), 0)

RC_STORED_DATA(ProcessBarData, kTypeProcessBar, 1, "ProcessBar", process_bar, RC_PROCESS_BAR_FIELDS)

}  // namespace rc::forms
