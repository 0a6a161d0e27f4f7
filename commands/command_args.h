// Reading the arguments of the Windows-side core commands.
#pragma once

#include "base/values.h"

namespace rc {

// The text of argument i: null when it is missing, omitted, not a text, or the empty text.
inline const char* TextArg(int argc, const ArgRecord* args, int i) {
  const ArgRecord* a = OptionalArg(argc, args, i);
  if (a == nullptr || a->tag != kTagText) return nullptr;
  return static_cast<const char*>(SlotPointer(*a));
}

inline bool IsEmptyText(const char* text) {
  return text == nullptr || text[0] == '\0';
}

}  // namespace rc
