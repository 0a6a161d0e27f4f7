// ToNumber on arbitrary text: no crash, never NaN, and the number ends where the text stops
// fitting, so one more character that cannot continue a number changes nothing.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));  // texts end at their first zero byte
  const double value = rc::TextToNumber(text.c_str());
  if (std::isnan(value)) std::abort();
  const double extended = rc::TextToNumber((text + "x").c_str());
  if (std::memcmp(&value, &extended, sizeof value) != 0) std::abort();
  return 0;
}
