// Layout helpers and the text helpers of application expressions.
#include "base/values.h"

#include <cstdarg>
#include <vector>

namespace rc {

ArgRecord FloatValue(float v) {
  ArgRecord r{0, 0, kTagFloat};
  std::memcpy(&r.lo, &v, sizeof v);
  return r;
}

ArgRecord DoubleValue(double v, uint32_t tag) {
  ArgRecord r{0, 0, tag};
  SetSlotDouble(&r, v);
  return r;
}

ArgRecord PointerValue(const void* p, uint32_t tag) {
  ArgRecord r{0, 0, tag};
  SetSlotPointer(&r, p);
  return r;
}

size_t ElementSize(uint32_t element_tag) {
  switch (element_tag) {
    case kTagByte:
      return 1;
    case kTagShort:
      return 2;
    case kTagInt:
    case kTagFloat:
    case kTagBool:
    case kTagAddress:
      return 4;
    case kTagLong:
    case kTagDouble:
    case kTagDateTime:
      return 8;
    case kTagText:
    case kTagBytes:
      return sizeof(void*);
    default:
      return 0;
  }
}

uint32_t ArrayDimensions(const void* array) {
  uint32_t d;
  std::memcpy(&d, array, sizeof d);
  return d;
}

uint32_t ArrayDimensionSize(const void* array, uint32_t index) {
  uint32_t n;
  std::memcpy(&n, static_cast<const unsigned char*>(array) + 4 + 4 * size_t{index}, sizeof n);
  return n;
}

size_t ArrayElementCount(const void* array) {
  uint32_t d = ArrayDimensions(array);
  size_t count = 1;
  for (uint32_t i = 0; i < d; ++i) count *= ArrayDimensionSize(array, i);
  return count;
}

const unsigned char* ArrayElements(const void* array) {
  return static_cast<const unsigned char*>(array) + 4 + 4 * size_t{ArrayDimensions(array)};
}

unsigned char* ArrayElements(void* array) {
  return static_cast<unsigned char*>(array) + 4 + 4 * size_t{ArrayDimensions(array)};
}

char* ConcatTextArray(int count, const char* const* texts) {
  std::vector<size_t> lengths(count > 0 ? static_cast<size_t>(count) : 0);
  size_t total = 0;
  for (size_t i = 0; i < lengths.size(); ++i) {
    lengths[i] = texts[i] != nullptr ? std::strlen(texts[i]) : 0;
    total += lengths[i];
  }
  auto* out = static_cast<char*>(AllocMem(total + 1));
  char* p = out;
  for (size_t i = 0; i < lengths.size(); ++i) {
    if (lengths[i] != 0) std::memcpy(p, texts[i], lengths[i]);
    p += lengths[i];
  }
  *p = '\0';
  return out;
}

char* ConcatTexts(int count, ...) {
  std::vector<const char*> texts(count > 0 ? static_cast<size_t>(count) : 0);
  va_list ap;
  va_start(ap, count);
  for (auto& t : texts) t = va_arg(ap, const char*);
  va_end(ap);
  return ConcatTextArray(count, texts.data());
}

int CompareTexts(const char* a, const char* b) {
  auto* x = reinterpret_cast<const unsigned char*>(a != nullptr ? a : "");
  auto* y = reinterpret_cast<const unsigned char*>(b != nullptr ? b : "");
  while (*x != 0 && *x == *y) {
    ++x;
    ++y;
  }
  if (*x == *y) return 0;
  return *x < *y ? -1 : 1;
}

int TextLength(const char* text) {
  return text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
}

int64_t DoubleToInteger(double x) {
  // -2^63 <= x < 2^63, written so that NaN fails the test too.
  if (x >= -9223372036854775808.0 && x < 9223372036854775808.0) return static_cast<int64_t>(x);
  return INT64_MIN;
}

}  // namespace rc
