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

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_TIMER_FIELDS(F) F(kInterval, int32_t, interval, 0, kSetter, AtLeast(0), 0)

RC_STORED_DATA(TimerData, kTypeTimer, 1, "Timer", timer, RC_TIMER_FIELDS)

}  // namespace rc::forms
