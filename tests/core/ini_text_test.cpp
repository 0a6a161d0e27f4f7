// The settings file's text: the reading rules of the profile functions, writes that touch one
// line, the class list the program creates, and the same file in every encoding an editor saves.
#include "commands/ini_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/ini_test_gbk.h"

namespace rc::ini {
namespace {

constexpr size_t kBuffer = 10240;

const test::TestGbk& Gbk() {
  static const test::TestGbk converter;
  return converter;
}

std::string Read(std::string_view file, std::string_view section, std::string_view key,
                 std::string_view fallback = "") {
  return ReadValue(file, section, key, fallback, kBuffer, Gbk());
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The rules of the platform's reading that the comparison with it under Wine does not reach
// (the whole set is compared there).
TEST(IniText, ReadsAsTheProfileFunctionsDo) {
  const std::string file =
      "[全班人名：]\r\n"
      "1=\"李 四\" \x1a\r\n"
      "2\r\n"
      "3= \t \r\n"
      "4=\xa1\xa1\r\n"
      " [ Running State ]这里不算\r\n"
      "\tFirst Run = no \r\n"
      "[no bracket\r\n"
      "k=hidden\r\n"
      "[\x81\x5d]\r\n"
      "k=trail\r\n";
  struct Case {
    const char *section, *key, *want, *rule;
  } cases[] = {
      {"全班人名：", "1", "李 四", "blanks go, then one pair of quotation marks"},
      {"全班人名：", "2", "默认", "a key without '=' gives the default"},
      {"全班人名：", "3", "", "a value of blanks only is empty: a gap in the class list"},
      {"全班人名：", "4", "\xa1\xa1", "a full-width space is no blank: it reads as a name"},
      {" running state\t", "first run ", "no", "blanks around names and ASCII case do not count"},
      {"Running State", "[no bracket", "默认", "a '[' line without ']' is a key line"},
      {"\x81\x5d", "k", "trail", "a ']' that is the second byte of a character is no bracket"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(file, c.section, c.key, "默认"), c.want) << c.rule;
  }
  EXPECT_EQ(Read(file, "没有", "k", "\"默认\"  "), "默认")
      << "the default loses its trailing spaces and then its quotation marks";
  EXPECT_EQ(MissingFileValue("\"默认\"  ", kBuffer), "\"默认\"")
      << "without a readable file the quotation marks stay";

  const std::string long_value(12000, 'x');
  EXPECT_EQ(Read("[s]\r\nk=\"" + long_value + "\"\r\n", "s", "k"), std::string(10239, 'x'))
      << "cut to the buffer, the zero included";
  EXPECT_EQ(Read("[s]\r\nk=" + std::string(10238, 'x') + "张\r\n", "s", "k"),
            std::string(10238, 'x'))
      << "a character that does not fit whole is left out, not cut in half";
}

TEST(IniText, WritesTouchOnlyTheirLine) {
  struct Case {
    const char* rule;
    std::string before;
    const char *section, *key, *value;
    WriteOutcome outcome;
    std::string after;
  } cases[] = {
      {"a new file", "", "s", "k", "v", WriteOutcome::kChanged, "[s]\r\nk=v\r\n"},
      {"an existing key keeps its line up to the '='", "[s]\r\n  k = old \r\nj=1\r\n", "S", "K",
       "new", WriteOutcome::kChanged, "[s]\r\n  k =new\r\nj=1\r\n"},
      {"a key without '=' gets one", "[s]\r\nk\r\n", "s", "k", "v", WriteOutcome::kChanged,
       "[s]\r\nk=v\r\n"},
      {"the value it has already", "[s]\r\nk= v\r\n", "s", "k", "v", WriteOutcome::kUnchanged,
       "[s]\r\nk= v\r\n"},
      {"blanks before the value are dropped", "[s]\r\nk=v\r\n", "s", "k", "  w ",
       WriteOutcome::kChanged, "[s]\r\nk=w \r\n"},
      {"a new key after the section's last non-blank line", "[a]\r\nx=1\r\n; note\r\n\r\n[b]\r\n",
       "a", "y", "2", WriteOutcome::kChanged, "[a]\r\nx=1\r\n; note\r\ny=2\r\n\r\n[b]\r\n"},
      {"a new section at the end, with the file's line end", "[a]\nx=1", "b", "k", "v",
       WriteOutcome::kChanged, "[a]\nx=1\n[b]\nk=v\n"},
      {"CR alone ends lines", "[a]\rx=1\r[b]\r", "a", "y", "2", WriteOutcome::kChanged,
       "[a]\rx=1\ry=2\r[b]\r"},
      {"a last section without line end", "[a]\r\nk=1\r\n[b]", "b", "k", "v",
       WriteOutcome::kChanged, "[a]\r\nk=1\r\n[b]\r\nk=v\r\n"},
      {"a key is deleted", "[a]\r\nx=1\r\ny=2\r\n", "a", "x", nullptr, WriteOutcome::kChanged,
       "[a]\r\ny=2\r\n"},
      {"a section is deleted with all its lines", "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", nullptr,
       nullptr, WriteOutcome::kChanged, "[b]\r\ny=2\r\n"},
      {"deleting what is not there", "[a]\r\nx=1\r\n", "a", "y", nullptr, WriteOutcome::kUnchanged,
       "[a]\r\nx=1\r\n"},
      {"a blank section", "[a]\r\n", " \t", "k", "v", WriteOutcome::kRefused, "[a]\r\n"},
      {"a blank key", "[a]\r\n", "a", " ", "v", WriteOutcome::kRefused, "[a]\r\n"},
      {"a line break in the value", "[a]\r\n", "a", "k", "x\r\nb=c", WriteOutcome::kRefused,
       "[a]\r\n"},
  };
  for (Case& c : cases) {
    std::string file = c.before;
    const auto opt = [](const char* s) {
      return s != nullptr ? std::optional<std::string_view>(s) : std::nullopt;
    };
    EXPECT_EQ(WriteValue(&file, c.section, opt(c.key), opt(c.value), Gbk()), c.outcome) << c.rule;
    EXPECT_EQ(file, c.after) << c.rule;
  }
}

// The writes the program makes when it creates the class list, in their order.
TEST(IniText, TheNewClassListStandsInTheOrderOfItsWrites) {
  const std::string hyphens(63, '-');
  const std::string sep_key = "[" + std::string(31, '=');
  const std::string sep_value = std::string(31, '=') + "]";
  std::string file;
  const auto write = [&](std::string_view s, std::string_view k, std::string_view v) {
    ASSERT_EQ(WriteValue(&file, s, k, v, Gbk()), WriteOutcome::kChanged) << s << "/" << k;
  };
  write("■提示：", "提示信息", "人名与人名之间不能有空缺。");
  for (int i = 1; i <= 50; ++i) write("全班人名：", std::to_string(i), "");
  write(hyphens, sep_key, sep_value);
  write("广告：", "内容", "欢迎使用岚川软件！www.example.com");
  write("Running State", "First run", "");
  // The separator's key line reads back as a section of its own, so its key is new again.
  write(hyphens, sep_key, sep_value);
  write("警告！", "请勿随意删改内容！", "警告！");

  std::string names;
  for (int i = 1; i <= 50; ++i) names += std::to_string(i) + "=\r\n";
  const std::string separator = "[" + std::string(63, '=') + "]\r\n";
  const std::string want =
      "[■提示：]\r\n提示信息=人名与人名之间不能有空缺。\r\n[全班人名：]\r\n" + names + "[" +
      hyphens + "]\r\n" + separator + separator +
      "[广告：]\r\n内容=欢迎使用岚川软件！www.example.com\r\n"
      "[Running State]\r\nFirst run=\r\n[警告！]\r\n请勿随意删改内容！=警告！\r\n";
  EXPECT_EQ(file, want);
  EXPECT_EQ(Read(file, "Running State", "First run", "默认"), "");
  EXPECT_EQ(Read(file, hyphens, sep_key, "默认"), "默认");
}

TEST(IniText, EveryEncodingReadsTheSameAndKeepsItsBytes) {
  const std::string gbk =
      "[■提示：]\r\n提示信息=人名与人名之间不能有空缺。\r\n"
      "[全班人名：]\r\n1=张三\r\n2=李四\r\n3=\r\n"
      "[Running State]\r\nFirst run=\r\n[广告：]\r\n内容=欢迎\r\n";
  const std::string after_no = Replace(gbk, "First run=\r\n", "First run=no\r\n");
  const std::string after_new = gbk + "[新]\r\n键=值\r\n";
  const Encoding encodings[] = {Encoding::kGbk, Encoding::kUtf8, Encoding::kUtf8Bom,
                                Encoding::kUtf16Le, Encoding::kUtf16Be};
  const char* line_ends[] = {"\r\n", "\n", "\r"};
  for (Encoding e : encodings) {
    for (const char* eol : line_ends) {
      const auto in_file = [&](const std::string& text) {
        return EncodeText(Replace(text, "\r\n", eol), e, true, Gbk());
      };
      const std::string what = "encoding " + std::to_string(int(e)) + ", line end " +
                               std::to_string(std::string(eol).size()) + std::to_string(eol[0]);
      const std::string bytes = in_file(gbk);
      EXPECT_EQ(DetectEncoding(bytes), e) << what;
      EXPECT_EQ(Read(bytes, "全班人名：", "1"), "张三") << what;
      EXPECT_EQ(Read(bytes, "全班人名：", "2"), "李四") << what;
      EXPECT_EQ(Read(bytes, "■提示：", "提示信息"), "人名与人名之间不能有空缺。") << what;
      EXPECT_EQ(Read(bytes, "广告：", "内容"), "欢迎") << what;

      std::string file = bytes;
      ASSERT_EQ(WriteValue(&file, "Running State", "First run", "no", Gbk()),
                WriteOutcome::kChanged);
      EXPECT_EQ(file, in_file(after_no)) << what << ": only the value is new";
      file = bytes;
      ASSERT_EQ(WriteValue(&file, "新", "键", "值", Gbk()), WriteOutcome::kChanged);
      EXPECT_EQ(file, in_file(after_new)) << what << ": new lines in the file's encoding";
    }
  }
}

// A teacher who empties the file and saves it leaves its mark alone in it; the program's first
// write must keep the mark, or a UTF-16 file turns into bytes nothing reads back.
TEST(IniText, AFileOfOnlyItsMarkKeepsMarkAndEncoding) {
  const std::string written = "[Running State]\r\nFirst run=no\r\n";
  for (Encoding e : {Encoding::kUtf8Bom, Encoding::kUtf16Le, Encoding::kUtf16Be}) {
    const std::string what = "encoding " + std::to_string(int(e));
    std::string file = EncodeText("", e, true, Gbk());
    ASSERT_EQ(DetectEncoding(file), e) << what;
    EXPECT_EQ(Read(file, "Running State", "First run", "默认"), "默认") << what;
    ASSERT_EQ(WriteValue(&file, "Running State", "First run", "no", Gbk()), WriteOutcome::kChanged)
        << what;
    EXPECT_EQ(file, EncodeText(written, e, true, Gbk())) << what << ": mark and encoding kept";
    EXPECT_EQ(Read(file, "Running State", "First run", "默认"), "no") << what;
  }
}

TEST(IniText, CharactersGbkCannotHoldReadAsOneQuestionMarkEach) {
  // "王" U+738B, "𠮷" U+20BB7 (outside GBK and outside 16 bits), "ӛ" U+04DB (not in GBK).
  const std::string utf8 = "[s]\r\nk=\xe7\x8e\x8b\xf0\xa0\xae\xb7\xd3\x9b\r\nj=1\r\n";
  EXPECT_EQ(Read(utf8, "s", "k"), "王??");
  std::string file = utf8;
  ASSERT_EQ(WriteValue(&file, "s", "j", "2", Gbk()), WriteOutcome::kChanged);
  EXPECT_EQ(file, "[s]\r\nk=\xe7\x8e\x8b\xf0\xa0\xae\xb7\xd3\x9b\r\nj=2\r\n")
      << "a line the write does not touch keeps what GBK cannot hold";
  const std::string utf16 = std::string("\xff\xfe[\0s\0]\0\n\0k\0=\0\x42\xd8\x41\0", 18);
  EXPECT_EQ(Read(utf16, "s", "k"), "?A") << "a stray surrogate";
}

// A class added from a pasted list: every old byte stays, the new section follows in the file's
// encoding and line ends, and a character GBK cannot hold stays whole where the file can hold it.
TEST(IniText, AnAddedSectionKeepsEveryOldByte) {
  const std::string old = "[全班人名：]\r\n1=张三\r\n[点名设置：]\r\n不重复=1";
  // "王" U+738B, "𠮷" U+20BB7 (a surrogate pair), "ӛ" U+04DB: only the first is in GBK.
  const std::u16string rare = u"\x738B\xD842\xDFB7\x04DB";
  const std::vector<NewKey> keys = {{"1", u"李四"}, {"2", rare}};
  for (Encoding e : {Encoding::kGbk, Encoding::kUtf8, Encoding::kUtf8Bom, Encoding::kUtf16Le,
                     Encoding::kUtf16Be}) {
    for (const char* eol : {"\r\n", "\n"}) {
      const std::string what = "encoding " + std::to_string(int(e)) + ", line end size " +
                               std::to_string(std::string(eol).size());
      const std::string bytes = EncodeText(Replace(old, "\r\n", eol), e, true, Gbk());
      std::string file = bytes;
      ASSERT_EQ(AddSection(&file, "全班人名：高一(3)班", keys, Gbk()), WriteOutcome::kChanged)
          << what;
      EXPECT_EQ(file.substr(0, bytes.size()), bytes) << what << ": every old byte stays";
      EXPECT_EQ(DetectEncoding(file), e) << what;
      const std::string tail = file.substr(bytes.size());
      EXPECT_EQ(EncodeText(Read(file, "全班人名：高一(3)班", "1"), e, false, Gbk()),
                EncodeText("李四", e, false, Gbk()))
          << what;
      EXPECT_EQ(tail.substr(0, EncodeText(eol, e, false, Gbk()).size()),
                EncodeText(eol, e, false, Gbk()))
          << what << ": the cut last line gets the file's line end first";
      const bool keeps = e != Encoding::kGbk;
      const std::string rare_bytes =
          e == Encoding::kUtf16Le   ? std::string("\x8b\x73\x42\xd8\xb7\xdf\xdb\x04", 8)
          : e == Encoding::kUtf16Be ? std::string("\x73\x8b\xd8\x42\xdf\xb7\x04\xdb", 8)
                                    : std::string("\xe7\x8e\x8b\xf0\xa0\xae\xb7\xd3\x9b");
      EXPECT_EQ(tail.find(rare_bytes) != std::string::npos, keeps)
          << what << ": a UTF-8 or UTF-16 file keeps what GBK cannot hold";
      EXPECT_EQ(Read(file, "全班人名：高一(3)班", "2"), "王??") << what;
      EXPECT_EQ(Read(file, "点名设置：", "不重复"), "1") << what;
      const std::vector<std::string> sections = {"全班人名：", "点名设置：", "全班人名：高一(3)班"};
      EXPECT_EQ(SectionNames(file, Gbk()), sections) << what << ": in file order";
      const std::string added = file;
      EXPECT_EQ(AddSection(&file, "全班人名：高一(3)班", keys, Gbk()), WriteOutcome::kRefused)
          << what << ": a class that is there already is not added again";
      EXPECT_EQ(AddSection(&file, "x", {{"1", u"a\nb"}}, Gbk()), WriteOutcome::kRefused)
          << what << ": a value holding a line break";
      EXPECT_EQ(file, added) << what;
    }
  }
}

// The copy of the file kept between reads: an edit must be seen at once, also one that keeps the
// size and lands within the step of the file system's clock.
TEST(IniText, AKeptCopyStandsOnlyForAFileLeftAlone) {
  constexpr uint64_t kSecond = 10000000;
  const uint64_t t = 1000 * kSecond;  // when the file was written
  const FileStamp was{897, t, 1};
  struct Case {
    const char* what;
    uint64_t read_at;
    FileStamp now;
    bool holds;
  };
  const Case cases[] = {
      {"unchanged, read long after its last write", t + 60 * kSecond, was, true},
      {"a new size", t + 60 * kSecond, {898, t, 1}, false},
      {"a new write time", t + 60 * kSecond, {897, t + 1, 1}, false},
      {"made anew (an editor saving through a new file)", t + 60 * kSecond, {897, t, 2}, false},
      {"read within the clock step of its write: an edit may keep the stamp", t + kSecond, was,
       false},
      {"read just at the edge of the uncertainty", t + kStampUncertainty, was, false},
      {"written after the read by a clock running ahead", t - kSecond, was, false},
  };
  for (const Case& c : cases) EXPECT_EQ(CopyStillHolds(was, c.read_at, c.now), c.holds) << c.what;
}

}  // namespace
}  // namespace rc::ini
