// Value layouts, the memory entry points, the copy helpers and the expression text helpers.
#include "base/values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "base/runtime_error.h"
#include "tests/core/command_call.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ROLLCALL_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ROLLCALL_TEST_ASAN 1
#endif
#ifdef ROLLCALL_TEST_ASAN
// Lets an impossible request come back as null, as the process heap does, instead of ASan
// stopping the tests.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}
#endif

namespace rc {
namespace {

using test::MakeByteBlock;

struct RuntimeErrorRaised {
  std::string text;
  int code;
};

void ThrowingHook(const char* text, int code) {
  throw RuntimeErrorRaised{text, code};
}

// A request no heap can satisfy.
constexpr size_t kImpossibleSize = std::numeric_limits<size_t>::max() / 2;

std::string AllocationMessage(size_t size) {
  return "分配 " + std::to_string(static_cast<long long>(static_cast<ptrdiff_t>(size))) +
         " 字节内存失败!";
}

class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRuntimeErrorHook(ThrowingHook); }
  void TearDown() override {
    SetRuntimeErrorHook(nullptr);
    ClearConstantRange();
  }
};

// Stand-in for the application's read-only constant data.
const char kConstantData[] = "abc\0tail";

TEST_F(MemoryTest, AllocationFailureIsTheRuntimeErrorWithTheSize) {
  try {
    AllocMem(kImpossibleSize);
    FAIL() << "AllocMem must never return on failure";
  } catch (const RuntimeErrorRaised& e) {
    EXPECT_EQ(e.text, AllocationMessage(kImpossibleSize));
    EXPECT_EQ(e.code, 0) << "allocation failure is reported without an error code";
  }
}

TEST_F(MemoryTest, FailedReallocReportsAndLeavesTheBlock) {
  auto* block = static_cast<char*>(AllocMem(4));
  std::memcpy(block, "xyz", 4);
  EXPECT_THROW(ReallocMem(block, kImpossibleSize), RuntimeErrorRaised);
  EXPECT_STREQ(block, "xyz") << "a failed resize must not lose the old block";
  FreeMem(block);
}

TEST_F(MemoryTest, LibraryAllocationMayAskForNullInsteadOfAnError) {
  EXPECT_EQ(AllocMemForLibrary(kImpossibleSize, true), nullptr);
  EXPECT_THROW(AllocMemForLibrary(kImpossibleSize, false), RuntimeErrorRaised);
  void* block = AllocMemForLibrary(16, true);
  ASSERT_NE(block, nullptr);
  FreeMem(block);
}

TEST_F(MemoryTest, ZeroSizedRequestsStillGiveBlocks) {
  void* block = AllocMem(0);
  ASSERT_NE(block, nullptr) << "AllocMem never returns null";
  block = ReallocMem(block, 0);
  ASSERT_NE(block, nullptr) << "resizing to 0 must not free the block behind the caller's back";
  FreeMem(block);
}

TEST_F(MemoryTest, ConstantsAreNeverFreed) {
  RegisterConstantRange(kConstantData, sizeof kConstantData);
  // Freeing these would corrupt the heap (and stop the sanitizer build).
  FreeMem(const_cast<char*>(kConstantData));
  FreeMem(const_cast<char*>(kConstantData + 4));
  FreeMem(nullptr);
  FreeMem(const_cast<char*>(kEmptyText));
  FreeMem(const_cast<uint32_t*>(kEmptyByteBlock));
  EXPECT_STREQ(kConstantData, "abc");
  EXPECT_TRUE(IsConstant(kEmptyText)) << "the core's empty text counts as constant data";
  EXPECT_TRUE(IsConstant(kEmptyByteBlock));
}

TEST_F(MemoryTest, ConstantRangeIsHalfOpenAndCanBeDropped) {
  RegisterConstantRange(kConstantData, 4);
  EXPECT_TRUE(IsConstant(kConstantData));
  EXPECT_TRUE(IsConstant(kConstantData + 3));
  EXPECT_FALSE(IsConstant(kConstantData + 4)) << "the range ends before start + size";
  ClearConstantRange();
  EXPECT_FALSE(IsConstant(kConstantData));
  RegisterConstantRange(kConstantData, 0);
  EXPECT_FALSE(IsConstant(kConstantData)) << "a size of 0 registers no range";
}

TEST_F(MemoryTest, ReallocOfAConstantCopiesAndLeavesTheConstant) {
  RegisterConstantRange(kConstantData, sizeof kConstantData);
  auto* grown = static_cast<char*>(ReallocMem(const_cast<char*>(kConstantData), 64));
  ASSERT_NE(grown, kConstantData);
  EXPECT_EQ(std::memcmp(grown, kConstantData, sizeof kConstantData), 0);
  EXPECT_STREQ(kConstantData, "abc");
  FreeMem(grown);

  auto* shrunk = static_cast<char*>(ReallocMem(const_cast<char*>(kConstantData), 2));
  EXPECT_EQ(std::string(shrunk, 2), "ab") << "as many bytes as the new size";
  FreeMem(shrunk);
}

TEST_F(MemoryTest, ReallocOfAConstantNeverReadsPastTheRange) {
  // Starts 3 bytes before the end: only those 3 may be copied (the sanitizer build catches an
  // overread of the global).
  RegisterConstantRange(kConstantData, sizeof kConstantData);
  const char* near_end = kConstantData + sizeof kConstantData - 3;
  auto* copy = static_cast<char*>(ReallocMem(const_cast<char*>(near_end), 100));
  EXPECT_EQ(std::memcmp(copy, near_end, 3), 0);
  FreeMem(copy);

  auto* empty = static_cast<char*>(ReallocMem(const_cast<char*>(kEmptyText), 10));
  EXPECT_EQ(empty[0], '\0');
  FreeMem(empty);
}

TEST_F(MemoryTest, FreeArrayValueFreesTextElementsFirst) {
  // Leaks here show up in the sanitizer build.
  const size_t n = 3;
  auto* array = static_cast<unsigned char*>(AllocMem(8 + n * sizeof(char*)));
  const uint32_t header[2] = {1, n};
  std::memcpy(array, header, sizeof header);
  char* items[n] = {CopyText("one"), nullptr, CopyText("three")};
  std::memcpy(ArrayElements(array), items, sizeof items);
  FreeArrayValue(kTagText | kTagArrayFlag, array);

  RegisterConstantRange(kConstantData, sizeof kConstantData);
  FreeArrayValue(kTagInt | kTagArrayFlag, const_cast<char*>(kConstantData));
  FreeArrayValue(kTagText | kTagArrayFlag, nullptr);
}

TEST(CopyHelpersTest, EmptyGivesNullAndCopiesAreNewBlocks) {
  EXPECT_EQ(CopyText(nullptr), nullptr);
  EXPECT_EQ(CopyText(""), nullptr) << "the empty text is null in results";
  const char* source = "name";
  HeapText copy(CopyText(source));
  ASSERT_NE(copy.get(), source);
  EXPECT_STREQ(copy.get(), "name");

  EXPECT_EQ(BytesToText("abc", 0), nullptr);
  EXPECT_EQ(BytesToText("abc", -1), nullptr);
  HeapText text(BytesToText("a\0b", 3));
  EXPECT_EQ(std::memcmp(text.get(), "a\0b\0", 4), 0) << "all the bytes, then one zero";

  EXPECT_EQ(BytesToByteBlock("abc", 0), nullptr);
  HeapBlock block(BytesToByteBlock("a\0c", 3));
  uint32_t header[2];
  std::memcpy(header, block.get(), sizeof header);
  EXPECT_EQ(header[0], 1u);
  EXPECT_EQ(header[1], 3u);
  EXPECT_EQ(ByteBlockLength(block.get()), 3u);
  EXPECT_EQ(std::memcmp(ByteBlockData(block.get()), "a\0c", 3), 0);
  EXPECT_EQ(ByteBlockLength(nullptr), 0u);
  EXPECT_EQ(ByteBlockLength(kEmptyByteBlock), 0u);
}

TEST(TextHelpersTest, ConcatTextsIsNeverNull) {
  HeapText both_null(ConcatTexts(2, nullptr, nullptr));
  ASSERT_NE(both_null, nullptr) << "joining empty texts gives an allocated empty text";
  EXPECT_STREQ(both_null.get(), "");
  HeapText none(ConcatTexts(0));
  ASSERT_NE(none, nullptr);
  EXPECT_STREQ(none.get(), "");
  HeapText joined(ConcatTexts(4, "第", nullptr, "3", "名"));
  EXPECT_STREQ(joined.get(), "第3名");
}

TEST(TextHelpersTest, CompareTextsByUnsignedBytesWithNullAsEmpty) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, 0}, {nullptr, "", 0}, {"", nullptr, 0},     {nullptr, "a", -1},
      {"a", nullptr, 1},     {"a", "b", -1},   {"b", "a", 1},        {"abc", "abc", 0},
      {"ab", "abc", -1},     {"abc", "ab", 1}, {"\xB0\xA1", "z", 1}, {"z", "\x80", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareTexts(c.a, c.b), c.expected)
        << "comparing \"" << (c.a ? c.a : "(null)") << "\" with \"" << (c.b ? c.b : "(null)")
        << "\": unsigned bytes, a prefix is smaller, null equals the empty text";
  }
}

TEST(TextHelpersTest, TextLengthCountsBytes) {
  EXPECT_EQ(TextLength(nullptr), 0);
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("abc"), 3);
  EXPECT_EQ(TextLength("\xB5\xE3\xC3\xFB"), 4) << "GBK characters (点名) take two bytes";
}

TEST(TextHelpersTest, DoubleToIntegerCutsTowardZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double x;
    int64_t expected;
  } cases[] = {
      {-2.7, -2},
      {2.7, 2},
      {-0.5, 0},
      {0.999, 0},
      {4294967296.5, 4294967296},
      {-9223372036854775808.0, INT64_MIN},
      {9223372036854775808.0, INT64_MIN},  // out of range: the x86 "integer indefinite"
      {nan, INT64_MIN},
      {std::numeric_limits<double>::infinity(), INT64_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(DoubleToInteger(c.x), c.expected) << "x = " << c.x;
}

TEST(ValueSlotTest, WordsHoldTheDocumentedBits) {
  const ArgRecord one = DoubleValue(1.0);
  EXPECT_EQ(one.lo, 0u);
  EXPECT_EQ(one.hi, 0x3FF00000u) << "a double fills both words, high word second";
  EXPECT_EQ(one.tag, kTagDouble);
  const ArgRecord minus_two = LongValue(-2);
  EXPECT_EQ(minus_two.lo, 0xFFFFFFFEu);
  EXPECT_EQ(minus_two.hi, 0xFFFFFFFFu);
  EXPECT_EQ(SlotLong(minus_two), -2);

  const char* text = "x";
  const ArgRecord pointer = PointerValue(text, kTagText);
  EXPECT_EQ(SlotPointer(pointer), text);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(pointer.hi, 0u) << "on x86 a pointer is the low word";
  }
}

TEST(RuntimeErrorDeathTest, WithoutARuntimeHookTheProgramEndsWithMinusOne) {
#ifdef _WIN32
  const int kExitMinusOne = -1;
#else
  const int kExitMinusOne = 255;
#endif
  EXPECT_EXIT(RaiseRuntimeError("boom", 0), ::testing::ExitedWithCode(kExitMinusOne), "boom");
}

}  // namespace
}  // namespace rc
