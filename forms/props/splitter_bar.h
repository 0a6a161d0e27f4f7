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

struct SplitterBarData : VersionedData<kTypeSplitterBar, 1> {
  static constexpr const char* kName = "SplitterBar";

  uint32_t colour = kDefaultColour;
  int32_t p9 = 0;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto SplitterBarData::Fields() {
  namespace p = props::splitter_bar;
  return std::tuple{
      Stored(p::kFillColour, &SplitterBarData::colour, Change::kRepaint),
      // Kept for whoever reads it back; the bar is not moved by the user.
      Stored(p::kProperty9, &SplitterBarData::p9, Change::kKept, Between(0, 1)),
  };
}

}  // namespace rc::forms
