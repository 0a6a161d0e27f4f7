// Key names as a teacher writes them in the settings file ("F9", "Ctrl+Alt+R", "B", "."):
// modifiers joined to one key by "+", case and blanks around the parts not minding.
#pragma once

#include <cstdint>
#include <string>

namespace rc {

// What a key name asks for, in the system's terms: modifier flags as RegisterHotKey takes them
// (Alt 1, Ctrl 2, Shift 4, Win 8) and a virtual-key code.
struct KeyName {
  bool ok = false;
  uint32_t modifiers = 0;
  uint32_t key = 0;
  // When not ok: why, in the user's words (GBK).
  std::string reason;
};

KeyName ParseKeyName(const std::string& text);

}  // namespace rc
