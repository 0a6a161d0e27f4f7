// Values crossing between the application and the runtime: type tags, the 64-bit value slot
// and the 12-byte argument and result records. The layouts are fixed; application code and
// the runtime both rely on them byte for byte.
#pragma once

#include <cstdint>

namespace rc {

// Value type tags.
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

// One argument of a command call, or its result: {value low word, value high word, tag}.
struct ArgRecord {
  uint32_t lo;
  uint32_t hi;
  uint32_t tag;
};
static_assert(sizeof(ArgRecord) == 12, "argument records are 12 bytes");
using ResultRecord = ArgRecord;

}  // namespace rc
