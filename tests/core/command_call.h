// Calling commands from tests the way CallCoreCommand does: a zeroed result record, the count
// and the records.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "base/values.h"

namespace rc::test {

inline ResultRecord Call(CommandFn fn, std::initializer_list<ArgRecord> args = {}) {
  std::vector<ArgRecord> records(args);
  ResultRecord result{0, 0, 0};
  fn(&result, static_cast<int>(records.size()), records.data());
  return result;
}

// Takes over a text result: its bytes (empty for null), and whether it was null.
struct TextResult {
  bool null;
  std::string text;
};

inline TextResult TakeText(const ResultRecord& r) {
  HeapText owned(static_cast<char*>(SlotPointer(r)));
  if (!owned) return {true, std::string()};
  return {false, std::string(owned.get())};
}

// A heap byte block {1, n, bytes} built from raw bytes, freed with the test.
inline HeapBlock MakeByteBlock(const std::string& bytes) {
  return HeapBlock(BytesToByteBlock(bytes.data(), static_cast<ptrdiff_t>(bytes.size())));
}

}  // namespace rc::test
