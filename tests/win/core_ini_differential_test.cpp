// The settings file commands against the platform's own profile functions: the same generated
// reads and writes go through ReadIniItem/WriteIniItem on one GBK file and through
// GetPrivateProfileStringA/WritePrivateProfileStringA (code page 936 here) on a twin, and every
// value read and every file after a write must be the same, byte for byte.
//
// Left out where Wine's profile functions are known to differ from Windows (and from ours):
//  - Wine writes the whole file anew from what it parsed: blank lines go, blanks around "=" and
//    at line ends go, every line end becomes CRLF. Windows changes the file in place. So the
//    files that get writes are in that form already; the untidy files are only read.
//  - Wine keeps blanks at the end of a written name or value only until it reads the file
//    again; names and values that are written do not end in blanks.
//  - Wine's ANSI read leaves a stray byte when it cuts a value inside a double-byte character;
//    long values are ASCII.
//  - A default of only spaces keeps one space in Wine; Windows drops trailing spaces.
//  - Wine splits at a lone CR only in a file without any LF; no file mixes line ends.
//  - A key line that reads as a section line ("[" + key + "=" + value holding a "]") loses
//    what follows its last "]" when Wine writes the file again; only the separator is written
//    under a key that starts with "[".
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "commands/core_commands.h"
#include "tests/core/command_call.h"
#include "tests/win/core_test_util.h"

namespace rc {
namespace {

using test::Call;
using test::TakeText;
using test::TextValue;

constexpr ArgRecord kOmitted{0, 0, 0};

const std::string kHyphens(63, '-');
const std::string kSepKey = "[" + std::string(31, '=');
const std::string kSepValue = std::string(31, '=') + "]";

// Every GBK text here is invalid as UTF-8, so that a file holding any of them is GBK to both.
const std::vector<std::string> kSections = {
    "全班人名：", "Running State", "running STATE", "广告：", kHyphens, "s", "[x", "a]b",
    "甲",         "\x81\x41",      "\x81\x61"};
const std::vector<std::string> kKeys = {"1",     "2", "10", "First run", "FIRST RUN", "内容",
                                        kSepKey, "k", "键", "\x81\x41",  ";注释"};
// Values a file holds and a write gives (none starts or ends with a blank).
const std::string kLong(12000, 'q');
const std::vector<std::string> kValues = {"",     "张三", "\"李 四\"", "'王五'", "\"",
                                          "'a\"", "no",   kSepValue,   "a=b",    "[x]",
                                          "x",    "\"\"", kLong};
const std::vector<std::string> kDefaults = {"", "默认", "\"默认\"", "d  ", " d"};

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  bool OneIn(size_t n) { return Below(n) == 0; }
  template <class T>
  const T& Pick(const std::vector<T>& from) {
    return from[Below(from.size())];
  }

  // A file in the form Wine writes: "[name]", "key=value", "key" or a comment, CRLF.
  std::string TidyFile() {
    std::string file;
    if (OneIn(4)) file += "k=before any section\r\n";
    for (size_t s = Below(6); s > 0; --s) {
      file += OneIn(8) ? "[" + std::string(63, '=') + "]\r\n" : "[" + Pick(kSections) + "]\r\n";
      for (size_t k = Below(5); k > 0; --k) {
        const std::string& key = Pick(kKeys);
        file += OneIn(8) ? key + "\r\n" : key + "=" + Pick(kValues) + "\r\n";
      }
    }
    return file;
  }

  // A file as a person might leave it: blanks, tabs, blank lines, brackets with text after
  // them, an end-of-file mark, one kind of line end, perhaps no final line end.
  std::string UntidyFile() {
    static const char* const kEnds[] = {"\r\n", "\n", "\r"};
    const char* eol = kEnds[Below(3)];
    const auto blanks = [&] { return std::string(Below(3), OneIn(2) ? ' ' : '\t'); };
    std::string file;
    for (size_t s = Below(6); s > 0; --s) {
      std::string name = Pick(kSections);
      if (OneIn(3)) name = blanks() + name + blanks();
      file += blanks() + "[" + name + "]" + (OneIn(4) ? "tail" : "") + blanks() + eol;
      for (size_t k = Below(6); k > 0; --k) {
        if (OneIn(6)) file += blanks() + eol;
        std::string value = Pick(kValues);
        if (value.size() > 100) value = "x";
        file += blanks() + Pick(kKeys) + blanks() + "=" + blanks() + value + blanks() +
                (OneIn(10) ? "\x1a" : "") + eol;
      }
    }
    if (OneIn(3) && !file.empty()) file.resize(file.size() - std::string(eol).size());
    return file;
  }

  // A name to read with: blanks around it do not count.
  std::string ReadName(const std::vector<std::string>& from) {
    std::string name = Pick(from);
    if (OneIn(4)) name = " " + name + "\t ";
    return name;
  }

 private:
  std::mt19937 rng_;
};

class Twins {
 public:
  Twins() : ours_(dir_.Path("ours.ini")), theirs_(dir_.Path("theirs.ini")) {}

  bool Put(const std::string& bytes) {
    return test::WriteRaw(ours_, bytes) && test::WriteRaw(theirs_, bytes);
  }
  std::string Ours() const { return test::ReadRaw(ours_); }
  std::string Theirs() const { return test::ReadRaw(theirs_); }

  void ExpectSameRead(const std::string& section, const std::string& key,
                      const std::string& fallback, const std::string& context) {
    const std::string ours = TakeText(Call(ReadIniItem, {TextValue(ours_), TextValue(section),
                                                         TextValue(key), TextValue(fallback)}))
                                 .text;
    std::string buffer(10240, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(),
                                             &buffer[0], 10240, theirs_.c_str());
    buffer.resize(n);
    EXPECT_EQ(ours, buffer) << "read [" << section << "] " << key << " default " << fallback << "\n"
                            << context;
  }

  // A null key or value is omitted.
  void ExpectSameWrite(const std::string& section, const std::string* key, const std::string* value,
                       const std::string& context) {
    const bool ours = Call(WriteIniItem, {TextValue(ours_), TextValue(section),
                                          key != nullptr ? TextValue(*key) : kOmitted,
                                          value != nullptr ? TextValue(*value) : kOmitted})
                          .lo != 0;
    const bool theirs = WritePrivateProfileStringA(
                            section.c_str(), key != nullptr ? key->c_str() : nullptr,
                            value != nullptr ? value->c_str() : nullptr, theirs_.c_str()) != FALSE;
    EXPECT_EQ(ours, theirs);
    EXPECT_EQ(Ours(), Theirs()) << "after writing [" << section << "] "
                                << (key != nullptr ? *key : "(no key)") << " = "
                                << (value != nullptr ? value->substr(0, 40) : "(no value)") << "\n"
                                << context;
  }

 private:
  test::ScratchDir dir_;
  std::string ours_, theirs_;
};

TEST(CoreIniDifferential, ReadsAndWritesAsThePlatformDoes) {
  Generator gen(20240601);
  for (int round = 0; round < 40; ++round) {
    Twins twins;
    const std::string start = round == 0 ? std::string() : gen.TidyFile();
    if (round > 0) {
      ASSERT_TRUE(twins.Put(start));
    }
    const std::string context = "starting from:\n" + start;
    for (int op = 0; op < 30; ++op) {
      if (gen.OneIn(2)) {
        twins.ExpectSameRead(gen.ReadName(kSections), gen.ReadName(kKeys), gen.Pick(kDefaults),
                             context);
        continue;
      }
      const std::string section = gen.Pick(kSections);
      const std::string key = gen.Pick(kKeys);
      std::string value = gen.Pick(kValues);
      if (gen.OneIn(5)) value = "  " + value + (value.empty() ? "" : "x");
      // A key line that opens with "[" and holds a "]" reads as a section line; Wine writes it
      // back as one, without what follows the "]", where Windows leaves the line alone.
      if (key[0] == '[' && value.find(']') != std::string::npos) value = kSepValue;
      const size_t kind = gen.Below(12);
      twins.ExpectSameWrite(section, kind == 0 ? nullptr : &key, kind <= 2 ? nullptr : &value,
                            context);
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(CoreIniDifferential, UntidyFilesReadAsThePlatformReadsThem) {
  Generator gen(7);
  for (int round = 0; round < 40; ++round) {
    Twins twins;
    const std::string file = gen.UntidyFile();
    ASSERT_TRUE(twins.Put(file));
    for (int op = 0; op < 20; ++op) {
      twins.ExpectSameRead(gen.ReadName(kSections), gen.ReadName(kKeys), gen.Pick(kDefaults),
                           "file:\n" + file);
    }
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace
}  // namespace rc
