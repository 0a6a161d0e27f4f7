// Key names from arbitrary text: no crash; a name read asks for one key (letters, digits,
// F-keys or named keys) and modifiers among the four; a name refused says why and asks for
// nothing; blanks around the name change nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "commands/key_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const rc::KeyName k = rc::ParseKeyName(text);
  if (k.ok != k.reason.empty()) std::abort();
  if (k.ok && (k.key == 0 || k.key > 0xFF || (k.modifiers & ~0xFu) != 0)) std::abort();
  if (!k.ok && (k.key != 0 || k.modifiers != 0)) std::abort();
  const rc::KeyName padded = rc::ParseKeyName(" " + text + " ");
  if (padded.ok != k.ok || padded.key != k.key || padded.modifiers != k.modifiers) std::abort();
  return 0;
}
