// Date-time values: an IEEE double counting days since 1899-12-30 00:00, the fraction being the
// time of day, read as OLE automation dates are: for negative values the fraction counts away
// from 1899-12-30, so -1.25 is 1899-12-29 06:00.
#pragma once

#include <cstddef>

namespace rc {

// Displayable range: the first day of year 100 to the last day of year 9999.
constexpr double kMinDateTime = -657434.0;
constexpr double kMaxDateTime = 2958465.0;

struct DateTimeParts {
  int year;
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..59
};

// Clamps to the displayable range (NaN reads as 0) and splits, rounding to the nearest second.
DateTimeParts SplitDateTime(double value);

// The date-time of a proleptic Gregorian date and time of day.
double MakeDateTime(const DateTimeParts& parts);

// Writes the text form ("2016年8月19日8时", trailing zero time parts left out) into out, cut to
// fit cap bytes with its terminating zero; returns the length written. Used by ToText and MsgBox.
size_t FormatDateTime(double value, char* out, size_t cap);

}  // namespace rc
