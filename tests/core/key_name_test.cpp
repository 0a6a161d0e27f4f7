// Key names as teachers write them: what each asks RegisterHotKey for, and the names refused.
#include <gtest/gtest.h>

#include "commands/key_name.h"

namespace rc {
namespace {

TEST(KeyName, NamesReadAsModifiersAndOneKey) {
  struct Case {
    const char* text;
    uint32_t modifiers, key;
  } const cases[] = {
      {"F9", 0, 0x78},
      {"f12", 0, 0x7B},
      {"F24", 0, 0x87},
      {"B", 0, 'B'},
      {"b", 0, 'B'},
      {"7", 0, '7'},
      {".", 0, 0xBE},
      {",", 0, 0xBC},
      {"+", 0, 0xBB},
      {"Ctrl+Alt+R", 3, 'R'},
      {" ctrl + shift + F5 ", 6, 0x74},
      {"Win+Space", 8, 0x20},
      {"Ctrl++", 2, 0xBB},
      {"PgDn", 0, 0x22},
      {"Control+.", 2, 0xBE},
      {"ALT+F4", 1, 0x73},
  };
  for (const Case& c : cases) {
    const KeyName k = ParseKeyName(c.text);
    EXPECT_TRUE(k.ok) << "\"" << c.text << "\" is a key name";
    EXPECT_EQ(k.modifiers, c.modifiers) << c.text;
    EXPECT_EQ(k.key, c.key) << c.text;
    EXPECT_TRUE(k.reason.empty()) << c.text;
  }
}

TEST(KeyName, UnreadableNamesAreRefusedWithAReason) {
  for (const char* text :
       {"", "   ", "F0", "F25", "F09", "FX", "Ctrl", "Ctrl+", "Ctrl+Ctrl+A", "A+B", "Ctrl++A",
        "+Ctrl", "Hyper+A", "Enterr", "F9 F10", "++", " + + "}) {
    const KeyName k = ParseKeyName(text);
    EXPECT_FALSE(k.ok) << "\"" << text << "\" names no single key";
    EXPECT_FALSE(k.reason.empty()) << "a refused name says why: " << text;
    EXPECT_EQ(k.modifiers | k.key, 0u) << "a refused name asks for nothing: " << text;
  }
}

}  // namespace
}  // namespace rc
