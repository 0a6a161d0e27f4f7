// ToText, ToNumber, AbsValue, MakeColor and BytesLength.
#include "commands/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "commands/core_commands.h"
#include "commands/datetime.h"
#include "tests/core/command_call.h"

namespace rc {
namespace {

using test::Call;
using test::MakeByteBlock;
using test::TakeText;

ArgRecord Text(const char* text) {
  return PointerValue(text, kTagText);
}
ArgRecord Bytes(const void* block) {
  return PointerValue(block, kTagBytes);
}

// ToText of one value; null results come back as "(null)" so that tables can tell them apart.
std::string TextOf(const ArgRecord& value) {
  test::TextResult r = TakeText(Call(ToText, {value}));
  return r.null ? "(null)" : r.text;
}

TEST(ToTextTest, NumbersUseTheirFixedFormats) {
  const struct {
    ArgRecord value;
    const char* expected;
  } cases[] = {
      {DoubleValue(15), "15"},
      {DoubleValue(0.5), "0.5"},
      {DoubleValue(-1), "-1"},
      {DoubleValue(1.0 / 3), "0.3333333333333"},  // 13 significant digits
      {DoubleValue(1e20), "1e+20"},
      {DoubleValue(123456789012345.0), "1.234567890123e+14"},
      {{0xFFFFFF80u, 0, kTagByte}, "128"},  // low 8 bits, unsigned
      {{0x0001FFFFu, 0, kTagShort}, "-1"},  // low 16 bits, signed
      {IntValue(-2147483647 - 1), "-2147483648"},
      {LongValue(INT64_MIN), "-9223372036854775808"},
      {FloatValue(0.1f), "0.1"},  // six digits hide the single's binary noise
      {FloatValue(1234567.0f), "1.23457e+06"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextOf(c.value), c.expected) << "tag " << std::hex << c.value.tag;
  }
}

TEST(ToTextTest, LogicalsAreTrueOrFalseInChinese) {
  EXPECT_EQ(TextOf(BoolValue(true)), "真");
  EXPECT_EQ(TextOf({2, 0, kTagBool}), "真") << "any non-zero word is true";
  EXPECT_EQ(TextOf(BoolValue(false)), "假");
}

TEST(ToTextTest, DateTimesLeaveOutTrailingZeroTimeParts) {
  const double day = MakeDateTime({2016, 8, 19, 0, 0, 0});
  EXPECT_EQ(TextOf(DoubleValue(day + 8.0 / 24, kTagDateTime)), "2016年8月19日8时");
  EXPECT_EQ(TextOf(DoubleValue(day, kTagDateTime)), "2016年8月19日");
}

TEST(ToTextTest, TextsAreCopiedAndEmptyIsNull) {
  const char* source = "点名";
  ResultRecord r = Call(ToText, {Text(source)});
  HeapText copy(static_cast<char*>(SlotPointer(r)));
  ASSERT_NE(copy.get(), source) << "results are new blocks owned by the caller";
  EXPECT_STREQ(copy.get(), source);
  EXPECT_EQ(TextOf(Text("")), "(null)");
  EXPECT_EQ(TextOf(Text(nullptr)), "(null)");
}

TEST(ToTextTest, ByteBlocksStopAtTheFirstZero) {
  HeapBlock with_zero = MakeByteBlock(std::string("abc\0def", 7));
  EXPECT_EQ(TextOf(Bytes(with_zero.get())), "abc");
  HeapBlock without_zero = MakeByteBlock("xyz");
  EXPECT_EQ(TextOf(Bytes(without_zero.get())), "xyz") << "all bytes when there is no zero";
  HeapBlock leading_zero = MakeByteBlock(std::string("\0abc", 4));
  EXPECT_EQ(TextOf(Bytes(leading_zero.get())), "(null)");
  EXPECT_EQ(TextOf(Bytes(nullptr)), "(null)") << "the empty byte block gives the empty text";
  EXPECT_EQ(TextOf(Bytes(kEmptyByteBlock)), "(null)");
}

TEST(ToTextTest, OnlyOneDimensionalNumericArraysHaveText) {
  // {dimensions, size, elements...}: the raw bytes "abcdef" and a zero in two integers.
  const uint32_t ints[] = {1, 2, 0x64636261, 0x00006665};
  EXPECT_EQ(TextOf(PointerValue(ints, kTagInt | kTagArrayFlag)), "abcdef");
  const uint32_t bytes[] = {1, 3, 0x00434241};
  EXPECT_EQ(TextOf(PointerValue(bytes, kTagByte | kTagArrayFlag)), "ABC")
      << "element count times element size, up to the first zero";
  const uint32_t grid[] = {2, 1, 1, 0x41414141};
  EXPECT_EQ(TextOf(PointerValue(grid, kTagInt | kTagArrayFlag)), "(null)");
  const uint32_t bools[] = {1, 1, 0x41414141};
  EXPECT_EQ(TextOf(PointerValue(bools, kTagBool | kTagArrayFlag)), "(null)");
  EXPECT_EQ(TextOf(PointerValue(nullptr, kTagInt | kTagArrayFlag)), "(null)");
}

TEST(ToTextTest, OtherTypesAndMissingValuesAreEmpty) {
  EXPECT_EQ(TextOf({0x52000001, 0x06000001, kTagWindowRef}), "(null)");
  EXPECT_EQ(TextOf({5, 0, kTagAddress}), "(null)");
  EXPECT_EQ(TextOf({0, 0, kTagOmitted}), "(null)");
  EXPECT_TRUE(TakeText(Call(ToText)).null);
}

double NumberOf(const ArgRecord& value) {
  return SlotDouble(Call(ToNumber, {value}));
}

TEST(ToNumberTest, TextsAreReadAsDecimalNumbers) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"\xA3\xB1\xA3\xB2", 12},           // full-width 12
      {"\xA3\xAD\xA3\xB5", -5},           // full-width minus and 5
      {"\xA3\xB1\xA3\xAE\xA3\xB5", 1.5},  // full-width 1.5
      {"\xA1\xA1"
       "7",
       7},  // ideographic space first
      {" 3.5abc", 3.5},
      {"\t\r\n-2.5e3x", -2500},
      {"+7", 7},
      {".5", 0.5},
      {"1e", 1},  // an exponent needs a digit
      {"1e+", 1},
      {"1,5", 1},
      {"12\xA3", 12},  // a lone lead byte ends the text
      {"1\xB0\xA1"
       "2",
       1},  // another character stops the number
      {"", 0},
      {"abc", 0},
      {".", 0},
      {"0x10", 0},  // decimal only
      {"inf", 0},
      {"1e400", inf},
      {"-1e400", -inf},
      {"1e-400", 0},
      {"123456789012345678901234567890", 1.2345678901234568e29},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NumberOf(Text(c.text)), c.expected) << "text \"" << c.text << "\"";
  }
  EXPECT_EQ(NumberOf(Text(nullptr)), 0);
}

TEST(ToNumberTest, HalfWidthConversionTable) {
  EXPECT_EQ(ToHalfWidth("\xA3\xA1\xA3\xFE"), "!~") << "0xA3 0xA1..0xFE lose 0x80";
  EXPECT_EQ(ToHalfWidth("\xA1\xA1\xA1\xAB\xA1\xEE\xA1\xEF"), " ~**");
  EXPECT_EQ(ToHalfWidth("a\xB0\xA1z"), "a\xB0\xA1z") << "other characters stay two bytes";
  EXPECT_EQ(ToHalfWidth("\xA3\xA0"), "\xA3\xA0") << "0xA3 0xA0 is outside the table";
  EXPECT_EQ(ToHalfWidth("ab\xA3"), "ab");
  EXPECT_EQ(ToHalfWidth(nullptr), "");
}

TEST(ToNumberTest, OtherTypesAsListed) {
  HeapBlock block = MakeByteBlock("12");
  const struct {
    ArgRecord value;
    double expected;
  } cases[] = {
      {{0x1FF, 0, kTagByte}, 255},
      {{0xFFFF, 0, kTagShort}, -1},
      {IntValue(-7), -7},
      {LongValue(-3), -3},
      {FloatValue(0.5f), 0.5},
      {DoubleValue(2.25), 2.25},
      {BoolValue(true), 1},
      {BoolValue(false), 0},
      {{0xFFFFFFFF, 0, kTagAddress}, 4294967295.0},  // unsigned
      {DoubleValue(42601.5, kTagDateTime), 0},
      {Bytes(block.get()), 0},
      {{0x52000001, 0, kTagWindowRef}, 0},
      {{0, 0, kTagOmitted}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NumberOf(c.value), c.expected) << "tag " << std::hex << c.value.tag;
  }
  EXPECT_EQ(SlotDouble(Call(ToNumber)), 0);
}

TEST(NumericCommandsTest, AbsValue) {
  for (double x : {-3.5, 2.0, 0.0, -1e300}) {
    EXPECT_EQ(SlotDouble(Call(AbsValue, {DoubleValue(x)})), std::fabs(x)) << "x = " << x;
  }
}

TEST(NumericCommandsTest, MakeColorKeepsTheLowByteOfEachPart) {
  const struct {
    int r, g, b;
    uint32_t expected;
  } cases[] = {
      {255, 0, 0, 255}, {0, 0, 255, 0xFF0000},        {0, 255, 0, 0xFF00},    {256, 0, 0, 0},
      {-1, 0, 0, 255},  {0x12, 0x34, 0x56, 0x563412}, {-1, -1, -1, 0xFFFFFF},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Call(MakeColor, {IntValue(c.r), IntValue(c.g), IntValue(c.b)}).lo, c.expected)
        << c.r << ", " << c.g << ", " << c.b;
  }
}

TEST(NumericCommandsTest, BytesLengthIsTheLengthWord) {
  HeapBlock ten = MakeByteBlock("0123456789");
  EXPECT_EQ(Call(BytesLength, {Bytes(ten.get())}).lo, 10u);
  EXPECT_EQ(Call(BytesLength, {Bytes(nullptr)}).lo, 0u);
  EXPECT_EQ(Call(BytesLength, {Bytes(kEmptyByteBlock)}).lo, 0u);
}

TEST(FormatScalarValueTest, CutsToTheBufferAndRejectsOtherTypes) {
  char small[4];
  EXPECT_TRUE(FormatScalarValue(IntValue(123456), small, sizeof small));
  EXPECT_STREQ(small, "123");
  char buffer[100] = "untouched";
  EXPECT_FALSE(FormatScalarValue(PointerValue("x", kTagText), buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "") << "a rejected value leaves an empty message";
}

}  // namespace
}  // namespace rc
