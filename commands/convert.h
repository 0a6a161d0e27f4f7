// Conversions between values and text shared by ToText, ToNumber and the message box.
#pragma once

#include <cstddef>
#include <string>

#include "base/values.h"

namespace rc {

// Formats a number, logical or date-time value the way ToText does into out (cut to cap bytes
// with its terminating zero). Returns false, leaving out empty, for every other type.
bool FormatScalarValue(const ArgRecord& value, char* out, size_t cap);

// Replaces the GBK full-width forms of "!" to "~", the ideographic space and the full-width
// tilde and stars by their ASCII counterparts; other characters stay as they are. A lone lead
// byte at the end ends the text.
std::string ToHalfWidth(const char* text);

// Reads a text as a decimal number after half-width conversion: leading white space, an
// optional sign, digits with an optional fraction and exponent; stops at the first character
// that does not fit. No number at all, and null, give 0.
double TextToNumber(const char* text);

}  // namespace rc
