// Values crossing between the application and the runtime: type tags, the 64-bit value slot,
// the 12-byte argument and result records, text, byte blocks and array blocks, the memory entry
// points and the small text helpers of application expressions. The layouts are fixed;
// application code and the runtime both rely on them byte for byte.
//
// Ownership, for everyone who hands values across:
//
//  1. Every text and byte block that a command returns, and every one that ReadProperty returns,
//     is a new block owned by the caller, or null for empty. Results never point at an empty
//     string or an empty byte block.
//  2. The caller frees it with FreeMem as soon as it has been used; application code does this
//     for every intermediate result of an expression right after the call that consumed it.
//  3. Arguments are borrowed: a command or property write never frees or keeps an argument's
//     block; a property write that keeps a text or byte block keeps its own copy.
//  4. Where a text or byte block variable holds null, the application passes kEmptyText or
//     kEmptyByteBlock instead, so that commands get a valid pointer for every text and byte block
//     argument they are given.
//  5. Assigning to a text or byte block variable stores a block owned by the variable: a
//     constant is copied first (a byte block with its 8-byte header), a command result is taken
//     over as it is; the previous block is freed once the new value is ready, and the variable's
//     block is freed when its routine ends.
//  6. An array value is freed element by element for text and byte block arrays, then as a whole
//     (FreeArrayValue).
//
// Literal texts and byte blocks live in the registered read-only constant range: they are passed
// freely and never freed (FreeMem ignores them, ReallocMem copies them). Every other block comes
// from the process heap through AllocMem. Values are made, passed and freed on the main thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace rc {

// Value type tags. Basic types have the top bit set and the next bit clear; the numeric ones
// are the basic types whose lowest byte is 0x01. Non-zero tags below 0x40000000 name a data
// type of a support library, (library number << 16) | type number.
enum : uint32_t {
  kTagOmitted = 0,
  kTagByte = 0x80000101,
  kTagShort = 0x80000201,
  kTagInt = 0x80000301,
  kTagLong = 0x80000401,
  kTagFloat = 0x80000501,
  kTagDouble = 0x80000601,
  kTagBool = 0x80000002,
  kTagDateTime = 0x80000003,
  kTagText = 0x80000004,
  kTagBytes = 0x80000005,
  kTagAddress = 0x80000006,
  kTagArrayFlag = 0x20000000,
  kTagWindowRef = 0x00010001,
};

inline bool IsArrayTag(uint32_t tag) {
  return (tag & kTagArrayFlag) != 0;
}
inline uint32_t ElementTag(uint32_t tag) {
  return tag & ~uint32_t{kTagArrayFlag};
}
inline bool IsBasicTag(uint32_t tag) {
  return !IsArrayTag(tag) && (tag & 0xC0000000u) == 0x80000000u;
}
inline bool IsNumericTag(uint32_t tag) {
  return IsBasicTag(tag) && (tag & 0xFFu) == 0x01u;
}

// Bytes one element of an array of this (element) tag takes; 0 where no size is fixed.
size_t ElementSize(uint32_t element_tag);

// One argument of a command call, or its result: {value low word, value high word, tag}.
struct ArgRecord {
  uint32_t lo;
  uint32_t hi;
  uint32_t tag;
};
static_assert(sizeof(ArgRecord) == 12, "argument records are 12 bytes");
// The caller zeroes it; core commands write only the words their result type uses.
using ResultRecord = ArgRecord;

// Every command, core or library, has this shape; CallCoreCommand and CallLibraryCommand call it.
using CommandFn = void (*)(ResultRecord* result, int argc, ArgRecord* args);

// Argument records as callers build them.
inline ArgRecord IntValue(int32_t v) {
  return {static_cast<uint32_t>(v), 0, kTagInt};
}
inline ArgRecord BoolValue(bool v) {
  return {v ? 1u : 0u, 0, kTagBool};
}
inline ArgRecord LongValue(int64_t v) {
  return {static_cast<uint32_t>(v), static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32),
          kTagLong};
}
ArgRecord FloatValue(float v);
ArgRecord DoubleValue(double v, uint32_t tag = kTagDouble);  // also for date-times
ArgRecord PointerValue(const void* p, uint32_t tag);         // texts, byte blocks, arrays

// The argument at index i, or null when it was not passed or passed as omitted ({0, 0, 0}).
inline const ArgRecord* OptionalArg(int argc, const ArgRecord* args, int i) {
  if (args == nullptr || i < 0 || i >= argc || args[i].tag == kTagOmitted) return nullptr;
  return &args[i];
}

// An integer argument, or the fallback when it is missing or omitted.
inline int32_t IntArgOr(int argc, const ArgRecord* args, int i, int32_t fallback) {
  const ArgRecord* a = OptionalArg(argc, args, i);
  return a != nullptr ? static_cast<int32_t>(a->lo) : fallback;
}

// The 64-bit value slot. On x86 a pointer is the low word and the high word stays 0; a 64-bit
// host build (the native tests) keeps the whole pointer across both words.
inline uint64_t SlotBits(const ArgRecord& r) {
  return r.lo | (uint64_t{r.hi} << 32);
}
inline void SetSlotBits(ArgRecord* r, uint64_t bits) {
  r->lo = static_cast<uint32_t>(bits);
  r->hi = static_cast<uint32_t>(bits >> 32);
}
inline void* SlotPointer(const ArgRecord& r) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(SlotBits(r)));
}
inline void SetSlotPointer(ArgRecord* r, const void* p) {
  SetSlotBits(r, reinterpret_cast<uintptr_t>(p));
}
inline int32_t SlotInt(const ArgRecord& r) {
  return static_cast<int32_t>(r.lo);
}
inline void SetSlotInt(ArgRecord* r, int32_t v) {
  r->lo = static_cast<uint32_t>(v);
}
inline int64_t SlotLong(const ArgRecord& r) {
  return static_cast<int64_t>(SlotBits(r));
}
inline void SetSlotLong(ArgRecord* r, int64_t v) {
  SetSlotBits(r, static_cast<uint64_t>(v));
}
inline float SlotFloat(const ArgRecord& r) {
  float f;
  std::memcpy(&f, &r.lo, sizeof f);
  return f;
}
inline double SlotDouble(const ArgRecord& r) {
  uint64_t bits = SlotBits(r);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
inline void SetSlotDouble(ArgRecord* r, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  SetSlotBits(r, bits);
}

// Byte block: {32-bit 1, 32-bit length n, n bytes}, the layout of a one-dimensional byte array.
// Null is the empty byte block. Blocks may sit unaligned in the constant data, hence memcpy.
inline uint32_t ByteBlockLength(const void* block) {
  if (block == nullptr) return 0;
  uint32_t n;
  std::memcpy(&n, static_cast<const unsigned char*>(block) + 4, sizeof n);
  return n;
}
inline const unsigned char* ByteBlockData(const void* block) {
  return static_cast<const unsigned char*>(block) + 8;
}

// Array block: 32-bit dimension count d, d 32-bit sizes, then the elements (their count the
// product of the sizes; no dimensions means one element). Text and byte block arrays hold
// pointers, each owning its own block.
uint32_t ArrayDimensions(const void* array);
uint32_t ArrayDimensionSize(const void* array, uint32_t index);
size_t ArrayElementCount(const void* array);
unsigned char* ArrayElements(void* array);
const unsigned char* ArrayElements(const void* array);

// Constants for passing an empty text or byte block as an argument (rule 4). They count as
// constant data: FreeMem ignores them.
extern const char kEmptyText[1];
extern const uint32_t kEmptyByteBlock[2];

// Memory entry points. AllocMem and ReallocMem never return null: failure is the runtime error
// "分配 %d 字节内存失败!" with the requested size, which ends the program.
void* AllocMem(size_t size);
void* ReallocMem(void* block, size_t size);
void FreeMem(void* block);
// Library-side allocation: as AllocMem, but with null_on_failure a failure returns null.
void* AllocMemForLibrary(size_t size, bool null_on_failure);
// Frees an array value of the given (array) tag: elements of text and byte block arrays first.
void FreeArrayValue(uint32_t tag, void* array);

// The read-only constant range [start, start + size); one range, registered at start.
void RegisterConstantRange(const void* start, size_t size);
void ClearConstantRange();
bool IsConstant(const void* p);

// Copy helpers that build command and property results (null for empty, rule 1).
char* CopyText(const char* text);                            // null or "" gives null
char* BytesToText(const void* data, ptrdiff_t length);       // length < 1 gives null
void* BytesToByteBlock(const void* data, ptrdiff_t length);  // length < 1 gives null

// Owns a block on the runtime's side of the line until it is handed over (release()).
struct FreeMemDeleter {
  void operator()(void* block) const { FreeMem(block); }
};
using HeapText = std::unique_ptr<char, FreeMemDeleter>;
using HeapBlock = std::unique_ptr<void, FreeMemDeleter>;

// Helpers of application expressions.
// Joins count texts (null counts as empty) into a new AllocMem block; never null.
char* ConcatTexts(int count, ...);
char* ConcatTextArray(int count, const char* const* texts);
// -1, 0 or 1 by unsigned bytes; a prefix is the smaller; null equals "".
int CompareTexts(const char* a, const char* b);
int TextLength(const char* text);
// Cuts the fraction off. NaN and values outside the 64-bit range give INT64_MIN, the x86
// "integer indefinite" that the conversion instruction itself produces.
int64_t DoubleToInteger(double x);

}  // namespace rc
