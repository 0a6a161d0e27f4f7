// Fuzz target of the settings file's text: any file bytes read without a fault, within the
// buffer and at a character boundary; a write reads back as written, leaves the values of other
// keys as they were, and writing the same again gives the same bytes.
// Input: one byte choosing section, key and kind of write, one byte giving the length of the
// value, the value, then the file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "commands/ini_text.h"
#include "tests/core/ini_test_gbk.h"

namespace {

using namespace rc::ini;

void Check(bool ok) {
  if (!ok) std::abort();
}

// GBK names spelled as bytes: clang keeps literals in UTF-8.
const char* const kSections[] = {
    "s", "S", "\xc8\xab\xb0\xe0\xc8\xcb\xc3\xfb\xa3\xba", "Running State", "[x", "a]b", "\x81\x5d"};
const char* const kKeys[] = {"1", "K", "First run", "\xc4\xda\xc8\xdd", "[===", "\x81\x61"};

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  return out;
}
bool Same(std::string_view a, std::string_view b) {
  return Lower(a) == Lower(b);
}

std::string_view Trimmed(std::string_view v) {
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; };
  while (!v.empty() && blank(v.front())) v.remove_prefix(1);
  while (!v.empty() && blank(v.back())) v.remove_suffix(1);
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) {
    v = v.substr(1, v.size() - 2);
  }
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const rc::test::TestGbk gbk;
  if (size < 2) return 0;
  const uint8_t choice = data[0];
  size_t value_size = data[1];
  if (value_size > size - 2) value_size = size - 2;
  // Values are ASCII without line breaks and zeros, or a Chinese character for any other byte,
  // so that every encoding holds them.
  std::string value;
  for (size_t i = 0; i < value_size; ++i) {
    const char c = char(data[2 + i]);
    if (c == '\r' || c == '\n' || c == '\0' || (c & 0x80)) {
      value += "\xd5\xc5";
    } else {
      value += c;
    }
  }
  const std::string original(reinterpret_cast<const char*>(data) + 2 + value_size,
                             size - 2 - value_size);

  const std::string section = kSections[choice % 7];
  const std::string key = kKeys[(choice / 7) % 6];
  const int kind = (choice / 42) % 3;  // 0 set, 1 delete the key, 2 delete the section

  // Twelve other keys, a different choice for each input, watched across the write.
  struct Probe {
    const char *section, *key;
    std::string value;
  } probes[12];
  for (int i = 0; i < 12; ++i) {
    Probe& p = probes[i];
    p.section = kSections[(i + choice) % 7];
    p.key = kKeys[(i * 5 + choice / 3) % 6];
    p.value = ReadValue(original, p.section, p.key, "-", 64, gbk);
    Check(p.value.size() < 64);
    Check(CutGbk(p.value, 63) == p.value);
  }

  std::string file = original;
  const std::optional<std::string_view> key_arg =
      kind == 2 ? std::nullopt : std::optional<std::string_view>(key);
  const std::optional<std::string_view> value_arg =
      kind == 0 ? std::optional<std::string_view>(value) : std::nullopt;
  const WriteOutcome outcome = WriteValue(&file, section, key_arg, value_arg, gbk);
  if (outcome != WriteOutcome::kChanged) Check(file == original);
  // A file's encoding survives every write. Only where no mark tells it may a write shift the
  // guess between GBK and UTF-8: a GBK file that the write turned into valid UTF-8 reads
  // differently, which is the format's own ambiguity, not the writer's.
  const Encoding was = DetectEncoding(original), now = DetectEncoding(file);
  if (now != was) {
    const auto unmarked = [](Encoding e) { return e == Encoding::kGbk || e == Encoding::kUtf8; };
    Check(unmarked(was) && unmarked(now));
    if (!original.empty()) return 0;
  }

  // The separator's key holds "=" and starts with "[": like the platform, nothing finds it
  // again, and every write adds a line.
  const bool findable = key[0] != '[';
  if (kind == 0 && findable) {
    Check(ReadValue(file, section, key, "-", 20000, gbk) == Trimmed(value));
  }
  for (const Probe& p : probes) {
    if (Same(p.section, section) && (kind == 2 || Same(p.key, key))) continue;
    Check(ReadValue(file, p.section, p.key, "-", 64, gbk) == p.value);
  }
  if (kind == 0 && findable) {
    std::string again = file;
    WriteValue(&again, section, key_arg, value_arg, gbk);
    Check(again == file);
  }
  return 0;
}
