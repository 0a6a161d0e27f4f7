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

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kBorder, kVertical, kSmooth, kMinimum, kMaximum, kPosition};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::process_bar

namespace rc::forms {

struct ProcessBarData : VersionedData<kTypeProcessBar, 1> {
  static constexpr const char* kName = "ProcessBar";

  int32_t border = 0;
  int32_t vertical = 0;
  int32_t smooth = 0;
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t position = 0;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto ProcessBarData::Fields() {
  namespace p = props::process_bar;
  return std::make_tuple(
      Stored(p::kBorder, &ProcessBarData::border), Stored(p::kVertical, &ProcessBarData::vertical),
      Stored(p::kSmooth, &ProcessBarData::smooth), Stored(p::kMinimum, &ProcessBarData::minimum),
      Stored(p::kMaximum, &ProcessBarData::maximum),
      Stored(p::kPosition, &ProcessBarData::position));
}

}  // namespace rc::forms
