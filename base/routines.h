// How the runtime reaches application routines from the form data.
//
// The application lists every routine that a form binds to an event in one table:
//
//   extern const rc::Routine kRoutines[];   // the application's routine table
//
// The program header's code base is the address of that table, and a handler offset stored
// in the form data is a byte position inside it as laid out in the 32-bit program, where each
// slot is 4 bytes: offset = 4 x routine index, so offset 0 is the first routine and -1 means
// no handler. Use RoutineOffset() when writing form descriptions by hand.
//
// Binding turns an offset into the address of the routine's slot in the table. On x86 that is
// exactly code base + offset. The 64-bit host build (tests only) has 8-byte slots, so binding
// scales the index instead of adding the raw offset: the same form data means the same routine
// on both builds, and no pointer is ever squeezed into the 32-bit words of a unit record. The
// bound slots are kept beside the records; the stored offsets stay as they were.
//
// An offset that is not a multiple of 4, or that lies past the end of the table, would be a
// jump into the middle of nowhere; the loader refuses the form data instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rc {

// One call of an event handler. The event's arguments arrive in order as 32-bit words (an
// argument of a typed event that is passed as both words takes two consecutive words, low word
// first). A handler that returns a value calls Return(); the runtime then sets the event's
// result flag and result.
struct HandlerCall {
  static constexpr uint32_t kMaxWords = 24;

  uint32_t word_count = 0;
  uint32_t words[kMaxWords] = {};
  bool returned = false;
  uint64_t result = 0;

  uint32_t Arg(uint32_t i) const { return i < word_count ? words[i] : 0; }
  void Return(uint64_t value) {
    returned = true;
    result = value;
  }
};

using Routine = void (*)(HandlerCall& call);

// Bytes per routine slot in the stored offsets, fixed by the 32-bit program.
inline constexpr uint32_t kRoutineOffsetStride = 4;

constexpr int32_t RoutineOffset(uint32_t index) {
  return int32_t(index * kRoutineOffsetStride);
}

// What the runtime hands to the form loader as the code base.
struct RoutineTable {
  const Routine* base = nullptr;
  size_t count = 0;
};

}  // namespace rc
