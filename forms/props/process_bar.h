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
  return std::tuple{
      Stored(p::kBorder, &ProcessBarData::border, Change::kSetter, Between(0, 5)),
      Stored(p::kVertical, &ProcessBarData::vertical, Change::kRecreate, Between(0, 1)),
      Stored(p::kSmooth, &ProcessBarData::smooth, Change::kRecreate, Between(0, 1)),
      Stored(p::kMinimum, &ProcessBarData::minimum, Change::kSetter, Between(0, p::kLimit)),
      Stored(p::kMaximum, &ProcessBarData::maximum, Change::kSetter, Between(0, p::kLimit)),
      Stored(p::kPosition, &ProcessBarData::position, Change::kSetter, Between(0, p::kLimit)),
  };
}

}  // namespace rc::forms
