// Properties of the Timer unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::timer {

inline constexpr Property kInterval{8, Kind::kInteger, "interval"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kInterval};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::timer

namespace rc::forms {

struct TimerData : VersionedData<kTypeTimer, 1> {
  static constexpr const char* kName = "Timer";

  int32_t interval = 0;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto TimerData::Fields() {
  namespace p = props::timer;
  return std::tuple{
      Stored(p::kInterval, &TimerData::interval, Change::kSetter, AtLeast(0)),
  };
}

}  // namespace rc::forms
