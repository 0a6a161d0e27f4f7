// Properties of the SplitterBar unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::splitter_bar {

inline constexpr Property kFillColour{8, Kind::kColour, "fill_colour"};
inline constexpr Property kProperty9{9, Kind::kChoice, "property_9"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kFillColour, kProperty9};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::splitter_bar

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_SPLITTER_BAR_FIELDS(F)                                          \
  F(kFillColour, uint32_t, colour, kDefaultColour, kRepaint, kAnyValue, 0) \
  /* Kept for whoever reads it back; the bar is not moved by the user. */  \
  F(kProperty9, int32_t, p9, 0, kKept, Between(0, 1), 0)

RC_STORED_DATA(SplitterBarData, kTypeSplitterBar, 1, "SplitterBar", splitter_bar,
               RC_SPLITTER_BAR_FIELDS)

}  // namespace rc::forms
