#include "commands/key_name.h"

#include <cstddef>
#include <iterator>
#include <string_view>

namespace rc {
namespace {

enum : uint32_t { kAlt = 1, kCtrl = 2, kShift = 4, kWin = 8 };

struct Named {
  std::string_view name;  // upper case
  uint32_t code;
};

const Named kModifiers[] = {
    {"CTRL", kCtrl}, {"CONTROL", kCtrl}, {"ALT", kAlt}, {"SHIFT", kShift}, {"WIN", kWin}};

// Keys by name besides letters, digits and F1-F24. The punctuation keys are those of a US
// layout, which presenter remotes send (a blank-screen button sends B or ".").
const Named kKeys[] = {
    {"SPACE", 0x20}, {"ENTER", 0x0D},    {"TAB", 0x09},   {"ESC", 0x1B},   {"PAGEUP", 0x21},
    {"PGUP", 0x21},  {"PAGEDOWN", 0x22}, {"PGDN", 0x22},  {"END", 0x23},   {"HOME", 0x24},
    {"LEFT", 0x25},  {"UP", 0x26},       {"RIGHT", 0x27}, {"DOWN", 0x28},  {"INSERT", 0x2D},
    {"INS", 0x2D},   {"DELETE", 0x2E},   {"DEL", 0x2E},   {"PAUSE", 0x13}, {"BACKSPACE", 0x08},
    {";", 0xBA},     {"=", 0xBB},        {",", 0xBC},     {"-", 0xBD},     {".", 0xBE},
    {"/", 0xBF},     {"`", 0xC0},        {"[", 0xDB},     {"\\", 0xDC},    {"]", 0xDD},
    {"'", 0xDE},
};

// A cursor over the text: reads never pass its end; a failure sticks and keeps its reason.
class TextCursor {
 public:
  explicit TextCursor(std::string_view text) : text_(text) {}
  bool at_end() const { return failed_ || pos_ == text_.size(); }
  bool failed() const { return failed_; }
  const std::string& reason() const { return reason_; }
  void Fail(const char* reason) {
    if (!failed_) reason_ = reason;
    failed_ = true;
  }
  void SkipBlanks() {
    while (!failed_ && pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  // The next part up to a "+" (a "+" that is the whole part is the part), upper-cased and
  // without blanks around it; the "+" after it is passed.
  std::string Part() {
    SkipBlanks();
    std::string part;
    if (failed_) return part;
    if (pos_ < text_.size() && text_[pos_] == '+') {
      part = "+";
      ++pos_;
    }
    while (pos_ < text_.size() && text_[pos_] != '+') {
      const char c = text_[pos_++];
      part += c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    }
    while (!part.empty() && (part.back() == ' ' || part.back() == '\t')) part.pop_back();
    if (part.empty()) Fail("名称里有空缺的部分");
    separator_after_ = pos_ < text_.size();
    if (separator_after_) ++pos_;  // the "+"
    SkipBlanks();
    return part;
  }
  // The last part read was followed by a "+".
  bool separator_after() const { return separator_after_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  bool failed_ = false;
  bool separator_after_ = false;
  std::string reason_;
};

uint32_t Lookup(const Named* table, size_t n, const std::string& name) {
  for (size_t i = 0; i < n; ++i) {
    if (table[i].name == name) return table[i].code;
  }
  return 0;
}

uint32_t KeyCode(const std::string& name) {
  if (name.size() == 1 &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
    return uint32_t(uint8_t(name[0]));
  }
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
    int n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') return 0;
      n = n * 10 + (name[i] - '0');
    }
    if (n >= 1 && n <= 24 && name[1] != '0') return uint32_t(0x70 + n - 1);
    return 0;
  }
  if (name == "+") return 0xBB;  // the "=" key, which carries "+"
  return Lookup(kKeys, std::size(kKeys), name);
}

}  // namespace

KeyName ParseKeyName(const std::string& text) {
  KeyName result;
  TextCursor cursor(text);
  cursor.SkipBlanks();
  if (cursor.at_end()) cursor.Fail("没有写键名");
  while (!cursor.at_end()) {
    const std::string part = cursor.Part();
    if (cursor.failed()) break;
    const uint32_t modifier = Lookup(kModifiers, std::size(kModifiers), part);
    if (modifier != 0 && !cursor.at_end()) {
      if (result.modifiers & modifier) cursor.Fail("同一个控制键写了两次");
      result.modifiers |= modifier;
      continue;
    }
    if (!cursor.at_end()) {
      cursor.Fail("一个组合里只能有一个普通键，且要写在最后");
      break;
    }
    if (cursor.separator_after()) {
      cursor.Fail("名称里有空缺的部分");
      break;
    }
    result.key = modifier != 0 ? 0 : KeyCode(part);
    if (modifier != 0)
      cursor.Fail("控制键后面少了一个普通键");
    else if (result.key == 0)
      cursor.Fail("不认识这个键名");
  }
  result.ok = !cursor.failed();
  if (!result.ok) {
    result = KeyName{};
    result.reason = cursor.reason();
  }
  return result;
}

}  // namespace rc
