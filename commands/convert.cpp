// ToText, ToNumber and the small numeric commands.
#include "commands/convert.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <string_view>

#include "commands/core_commands.h"
#include "commands/datetime.h"

namespace rc {
namespace {

// A bounds-checked reader over the half-width text.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}
  size_t pos() const { return pos_; }
  void Rewind(size_t pos) { pos_ = pos; }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  bool Accept(char c) {
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  bool AcceptDigit() {
    if (AtEnd() || text_[pos_] < '0' || text_[pos_] > '9') return false;
    ++pos_;
    return true;
  }
  std::string_view Span(size_t from, size_t to) const { return text_.substr(from, to - from); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Decimal position of the leading significant digit: > 0 means at least 1.0.
long Magnitude(std::string_view mantissa, long exponent) {
  long integer_digits = 0;
  long fraction_zeros = 0;
  bool in_fraction = false;
  bool seen_nonzero = false;
  for (char c : mantissa) {
    if (c == '.') {
      in_fraction = true;
    } else if (!in_fraction) {
      if (c != '0' || seen_nonzero) {
        seen_nonzero = true;
        ++integer_digits;
      }
    } else if (!seen_nonzero) {
      if (c != '0') break;
      ++fraction_zeros;
    }
  }
  return seen_nonzero ? exponent + integer_digits : exponent - fraction_zeros;
}

double ParseDecimal(std::string_view text) {
  Cursor in(text);
  while (IsBlank(in.Peek())) in.Accept(in.Peek());
  const bool negative = in.Accept('-');
  if (!negative) in.Accept('+');

  const size_t start = in.pos();
  int digits = 0;
  while (in.AcceptDigit()) ++digits;
  if (in.Accept('.')) {
    while (in.AcceptDigit()) ++digits;
  }
  if (digits == 0) return 0;
  size_t end = in.pos();
  const std::string_view mantissa = in.Span(start, end);

  // An exponent counts only with at least one digit: "2e" and "2e+" read as 2.
  long exponent = 0;
  if (in.Accept('e') || in.Accept('E')) {
    const bool exp_negative = in.Accept('-');
    if (!exp_negative) in.Accept('+');
    const size_t exp_digits = in.pos();
    while (!in.AtEnd() && in.Peek() >= '0' && in.Peek() <= '9') {
      if (exponent < 100000) exponent = exponent * 10 + (in.Peek() - '0');
      in.AcceptDigit();
    }
    if (in.pos() > exp_digits) {
      end = in.pos();
      if (exp_negative) exponent = -exponent;
    } else {
      exponent = 0;
    }
  }

  const std::string_view number = in.Span(start, end);
  double value = 0;
  const auto r = std::from_chars(number.data(), number.data() + number.size(), value);
  if (r.ec == std::errc::result_out_of_range) {
    value = Magnitude(mantissa, exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (r.ec != std::errc()) {
    value = 0;
  }
  return negative ? -value : value;
}

// The value of a basic-type argument as ToNumber reads it.
double NumberOf(const ArgRecord& v) {
  switch (v.tag) {
    case kTagByte:
      return v.lo & 0xFF;
    case kTagShort:
      return static_cast<int16_t>(v.lo);
    case kTagInt:
    case kTagBool:  // the stored word: 1 for true as the runtime stores it
      return SlotInt(v);
    case kTagLong:
      return static_cast<double>(SlotLong(v));
    case kTagFloat:
      return SlotFloat(v);
    case kTagDouble:
      return SlotDouble(v);
    case kTagAddress:
      return v.lo;
    case kTagText:
      return TextToNumber(static_cast<const char*>(SlotPointer(v)));
    default:
      return 0;
  }
}

// Bytes up to the first zero byte, or all of them, as a new text.
char* TextUpToZero(const unsigned char* data, size_t n) {
  if (n == 0) return nullptr;
  const void* zero = std::memchr(data, 0, n);
  const size_t len =
      zero != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - data) : n;
  return BytesToText(data, static_cast<ptrdiff_t>(len));
}

char* ArrayToText(uint32_t tag, const void* array) {
  // Only one-dimensional numeric arrays have a text form: their raw element bytes.
  if (array == nullptr || !IsNumericTag(ElementTag(tag)) || ArrayDimensions(array) != 1) {
    return nullptr;
  }
  const size_t n = size_t{ArrayDimensionSize(array, 0)} * ElementSize(ElementTag(tag));
  return TextUpToZero(ArrayElements(array), n);
}

}  // namespace

std::string ToHalfWidth(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    const unsigned char lead = *p;
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++p;
      continue;
    }
    const unsigned char trail = p[1];
    if (trail == 0) break;
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      out.push_back(static_cast<char>(trail - 0x80));
    } else if (lead == 0xA1 && trail == 0xA1) {
      out.push_back(' ');
    } else if (lead == 0xA1 && trail == 0xAB) {
      out.push_back('~');
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      out.push_back('*');
    } else {
      out.push_back(static_cast<char>(lead));
      out.push_back(static_cast<char>(trail));
    }
    p += 2;
  }
  return out;
}

double TextToNumber(const char* text) {
  return ParseDecimal(ToHalfWidth(text));
}

bool FormatScalarValue(const ArgRecord& v, char* out, size_t cap) {
  if (cap == 0) return false;
  out[0] = '\0';
  switch (v.tag) {
    case kTagByte:
      std::snprintf(out, cap, "%u", v.lo & 0xFF);
      return true;
    case kTagShort:
      std::snprintf(out, cap, "%d", static_cast<int>(static_cast<int16_t>(v.lo)));
      return true;
    case kTagInt:
      std::snprintf(out, cap, "%d", static_cast<int>(SlotInt(v)));
      return true;
    case kTagLong:
      std::snprintf(out, cap, "%lld", static_cast<long long>(SlotLong(v)));
      return true;
    case kTagFloat:
      // "%.6g" rounds to the six significant digits a float holds; a single's binary noise
      // (0.1f is 0.100000001...) never shows.
      std::snprintf(out, cap, "%.6g", static_cast<double>(SlotFloat(v)));
      return true;
    case kTagDouble:
      std::snprintf(out, cap, "%.13g", SlotDouble(v));
      return true;
    case kTagBool:
      std::snprintf(out, cap, "%s", v.lo != 0 ? "真" : "假");
      return true;
    case kTagDateTime:
      FormatDateTime(SlotDouble(v), out, cap);
      return true;
    default:
      return false;
  }
}

void ToText(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* v = OptionalArg(argc, args, 0);
  if (v == nullptr) return;
  char* text = nullptr;
  if (IsArrayTag(v->tag)) {
    text = ArrayToText(v->tag, SlotPointer(*v));
  } else if (v->tag == kTagText) {
    text = CopyText(static_cast<const char*>(SlotPointer(*v)));
  } else if (v->tag == kTagBytes) {
    const void* block = SlotPointer(*v);
    if (block != nullptr) text = TextUpToZero(ByteBlockData(block), ByteBlockLength(block));
  } else {
    char buffer[100];
    if (FormatScalarValue(*v, buffer, sizeof buffer)) {
      text = BytesToText(buffer, static_cast<ptrdiff_t>(std::strlen(buffer)));
    }
  }
  SetSlotPointer(result, text);
}

void ToNumber(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* v = OptionalArg(argc, args, 0);
  SetSlotDouble(result, v != nullptr ? NumberOf(*v) : 0.0);
}

void AbsValue(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* v = OptionalArg(argc, args, 0);
  const double x = v != nullptr ? NumberOf(*v) : 0.0;
  SetSlotDouble(result, x >= 0.0 ? x : -x);
}

void MakeColor(ResultRecord* result, int argc, ArgRecord* args) {
  const uint32_t red = static_cast<uint32_t>(IntArgOr(argc, args, 0, 0)) & 0xFF;
  const uint32_t green = static_cast<uint32_t>(IntArgOr(argc, args, 1, 0)) & 0xFF;
  const uint32_t blue = static_cast<uint32_t>(IntArgOr(argc, args, 2, 0)) & 0xFF;
  result->lo = (blue << 16) | (green << 8) | red;
}

void BytesLength(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* v = OptionalArg(argc, args, 0);
  result->lo = v != nullptr ? ByteBlockLength(SlotPointer(*v)) : 0;
}

}  // namespace rc
