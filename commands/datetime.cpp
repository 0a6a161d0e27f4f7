#include "commands/datetime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/values.h"
#include "commands/core_commands.h"

namespace rc {
namespace {

// Day number 0 of date-time values, counted in days from 1970-01-01.
constexpr long kDayZero = -25569;

// Days from 1970-01-01 to a proleptic Gregorian date, and back (era-based, exact for the
// whole displayable range).
long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153L * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, DateTimeParts* p) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp < 10 ? mp + 3 : mp - 9;
  p->year = static_cast<int>(yoe + era * 400 + (m <= 2));
  p->month = static_cast<int>(m);
  p->day = static_cast<int>(d);
}

}  // namespace

DateTimeParts SplitDateTime(double value) {
  if (std::isnan(value)) value = 0;
  value = std::clamp(value, kMinDateTime, kMaxDateTime);
  const double whole = std::trunc(value);
  long day = static_cast<long>(whole);
  long seconds = std::lround(std::fabs(value - whole) * 86400.0);
  if (seconds >= 86400) {
    // 23:59:59.5 and later round up into the next calendar day, for negative values too.
    seconds = 0;
    ++day;
  }
  DateTimeParts p{};
  CivilFromDays(day + kDayZero, &p);
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>(seconds / 60 % 60);
  p.second = static_cast<int>(seconds % 60);
  return p;
}

double MakeDateTime(const DateTimeParts& parts) {
  const double day =
      static_cast<double>(DaysFromCivil(parts.year, parts.month, parts.day) - kDayZero);
  const double time = (parts.hour * 3600.0 + parts.minute * 60.0 + parts.second) / 86400.0;
  return day < 0 ? day - time : day + time;
}

size_t FormatDateTime(double value, char* out, size_t cap) {
  if (cap == 0) return 0;
  const DateTimeParts p = SplitDateTime(value);
  char text[96];
  int n = std::snprintf(text, sizeof text, "%d年%d月%d日", p.year, p.month, p.day);
  if (p.second != 0) {
    n += std::snprintf(text + n, sizeof text - n, "%d时%d分%d秒", p.hour, p.minute, p.second);
  } else if (p.minute != 0) {
    n += std::snprintf(text + n, sizeof text - n, "%d时%d分", p.hour, p.minute);
  } else if (p.hour != 0) {
    n += std::snprintf(text + n, sizeof text - n, "%d时", p.hour);
  }
  const size_t len = std::min(static_cast<size_t>(n), cap - 1);
  std::memcpy(out, text, len);
  out[len] = '\0';
  return len;
}

void GetNow(ResultRecord* result, int /*argc*/, ArgRecord* /*args*/) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  const DateTimeParts parts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                            local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
  SetSlotDouble(result, MakeDateTime(parts));
}

// The clock's own reading, not a second rounded from it: what GetNow will show next is due at
// 1000 minus this.
void GetNowMillisecond(ResultRecord* result, int /*argc*/, ArgRecord* /*args*/) {
  const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
  const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch).count();
  result->lo = uint32_t(((ms % 1000) + 1000) % 1000);
}

}  // namespace rc
