// The settings file commands on real files: the reading rules, writes, deletes, names in the
// Windows directory, and the failures.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "commands/core_commands.h"
#include "tests/core/command_call.h"
#include "tests/win/core_test_util.h"

namespace rc {
namespace {

using test::Call;
using test::TakeText;
using test::TextResult;
using test::TextValue;

constexpr ArgRecord kOmitted{0, 0, 0};

class CoreIni : public ::testing::Test {
 protected:
  TextResult Read(const std::string& section, const std::string& key) {
    return TakeText(Call(ReadIniItem, {TextValue(file_), TextValue(section), TextValue(key)}));
  }
  TextResult Read(const std::string& section, const std::string& key, const std::string& def) {
    return TakeText(
        Call(ReadIniItem, {TextValue(file_), TextValue(section), TextValue(key), TextValue(def)}));
  }
  bool Write(const std::string& section, const std::string& key, const std::string& value) {
    return Call(WriteIniItem,
                {TextValue(file_), TextValue(section), TextValue(key), TextValue(value)})
               .lo != 0;
  }
  std::string Contents() const { return test::ReadRaw(file_); }

  test::ScratchDir dir_;
  std::string file_ = dir_.Path("dede.ini");
};

TEST_F(CoreIni, BlankNamesGiveTheEmptyTextWithoutReadingTheFile) {
  ASSERT_TRUE(test::WriteRaw(file_, "[s]\r\nk=v\r\n"));
  // Any read of the file would give at least the default back.
  const std::string blanks = " \t\r\n";
  struct Case {
    const char* what;
    std::string file, section, key;
  } cases[] = {
      {"blank key", file_, "s", blanks},
      {"blank section", file_, blanks, "k"},
      {"blank file name", blanks, "s", "k"},
      {"empty key", file_, "s", ""},
  };
  for (const Case& c : cases) {
    TextResult r = TakeText(Call(ReadIniItem, {TextValue(c.file), TextValue(c.section),
                                               TextValue(c.key), TextValue("默认")}));
    EXPECT_TRUE(r.null) << c.what << ": the empty text, not the default";
  }
  TextResult null_key = TakeText(
      Call(ReadIniItem, {TextValue(file_), TextValue("s"), PointerValue(nullptr, kTagText)}));
  EXPECT_TRUE(null_key.null);
}

TEST_F(CoreIni, LeadingBlanksAndControlsOfTheNamesAreSkipped) {
  ASSERT_TRUE(test::WriteRaw(file_, "[全班人名：]\r\n1=张三\r\n"));
  TextResult r = TakeText(Call(
      ReadIniItem, {TextValue(" \t" + file_), TextValue("\x01 全班人名："), TextValue("\x1f 1")}));
  EXPECT_EQ(r.text, "张三");
}

TEST_F(CoreIni, ValuesComeBackAsTheProfileFunctionsDeliverThem) {
  ASSERT_TRUE(test::WriteRaw(file_,
                             "[全班人名：]\r\n"
                             "1=张三\r\n"
                             "2= \r\n"
                             "3=\"李 四\"\r\n"
                             "4='王五'\r\n"
                             "5=  赵六  \r\n"
                             "6=\r\n"));
  struct Case {
    const char* key;
    bool null;
    const char* text;
    const char* rule;
  } cases[] = {
      {"1", false, "张三", "a plain value"},
      {"2", true, "", "a value of only blanks reads as the empty text"},
      {"3", false, "李 四", "one pair of double quotes around the value goes"},
      {"4", false, "王五", "one pair of single quotes around the value goes"},
      {"5", false, "赵六", "blanks around the value go"},
      {"6", true, "", "an empty value is the empty text"},
      {"7", true, "", "a missing key without default is the empty text"},
  };
  for (const Case& c : cases) {
    TextResult r = Read("全班人名：", c.key);
    EXPECT_EQ(r.null, c.null) << c.rule;
    EXPECT_EQ(r.text, c.text) << c.rule;
  }
  EXPECT_EQ(Read("全班人名：", "7", "默认").text, "默认") << "a missing key gives the default";
  EXPECT_EQ(Read("没有", "1", "默认").text, "默认") << "a missing section gives the default";
  file_ = dir_.Path("missing.ini");
  EXPECT_EQ(Read("全班人名：", "1", "默认").text, "默认") << "a missing file gives the default";
  EXPECT_TRUE(Read("全班人名：", "1").null);
}

TEST_F(CoreIni, LongValuesAreCutToTheBuffer) {
  ASSERT_TRUE(test::WriteRaw(file_, "[s]\r\nk=" + std::string(12000, 'x') + "\r\n"));
  EXPECT_EQ(Read("s", "k").text, std::string(10239, 'x'))
      << "10240 bytes of buffer hold 10239 bytes and the zero";
}

TEST_F(CoreIni, WritingCreatesTheFileAndAppendsWhatIsNew) {
  ASSERT_FALSE(test::FileThere(file_));
  ASSERT_TRUE(Write("■提示：", "提示信息", "人名与人名之间不能有空缺。"));
  EXPECT_TRUE(test::FileThere(file_)) << "a missing file is created";
  ASSERT_TRUE(Write("全班人名：", "1", ""));
  ASSERT_TRUE(Write("全班人名：", "2", ""));
  ASSERT_TRUE(Write("Running State", "First run", ""));
  ASSERT_TRUE(Write("全班人名：", "3", "王五"));
  ASSERT_TRUE(Write("全班人名：", "1", "张三"));

  const std::string text = Contents();
  const size_t tip = text.find("[■提示：]");
  const size_t names = text.find("[全班人名：]");
  const size_t state = text.find("[Running State]");
  const size_t one = text.find("1=张三");
  const size_t two = text.find("2=");
  const size_t three = text.find("3=王五");
  ASSERT_NE(tip, std::string::npos) << text;
  ASSERT_NE(names, std::string::npos) << text;
  ASSERT_NE(state, std::string::npos) << text;
  ASSERT_NE(one, std::string::npos) << "an existing key gets the new value: " << text;
  ASSERT_NE(three, std::string::npos) << text;
  EXPECT_LT(tip, names) << "sections stand in the order of their first write";
  EXPECT_LT(names, state);
  EXPECT_LT(one, two) << "an existing key keeps its place";
  EXPECT_LT(two, three) << "a new key goes to the end of its section";
  EXPECT_LT(three, state) << "a new key of an earlier section stays inside that section";
  EXPECT_EQ(text.find("1="), text.rfind("1=")) << "a rewritten key is not repeated";
  EXPECT_NE(text.find("提示信息=人名与人名之间不能有空缺。"), std::string::npos)
      << "GBK bytes go to the file as they are";

  EXPECT_EQ(Read("全班人名：", "1").text, "张三");
  EXPECT_TRUE(Read("全班人名：", "2").null);
  EXPECT_EQ(Read("■提示：", "提示信息").text, "人名与人名之间不能有空缺。");
}

TEST_F(CoreIni, OmittedKeyOrValueDeletes) {
  ASSERT_TRUE(Write("a", "1", "x"));
  ASSERT_TRUE(Write("a", "2", "y"));
  ASSERT_TRUE(Write("b", "1", "z"));

  EXPECT_EQ(Call(WriteIniItem, {TextValue(file_), TextValue("a"), TextValue("1"), kOmitted}).lo,
            1u);
  EXPECT_TRUE(Read("a", "1").null) << "an omitted value deletes the key";
  EXPECT_EQ(Read("a", "2").text, "y") << "only that key";

  EXPECT_EQ(Call(WriteIniItem, {TextValue(file_), TextValue("a")}).lo, 1u);
  EXPECT_TRUE(Read("a", "2").null) << "an omitted key deletes the section";
  EXPECT_EQ(Read("b", "1").text, "z") << "only that section";
  EXPECT_EQ(Contents().find("[a]"), std::string::npos);

  // An empty value that is given is a value: the key stays, empty.
  EXPECT_EQ(Call(WriteIniItem, {TextValue(file_), TextValue("b"), TextValue("1"),
                                PointerValue(nullptr, kTagText)})
                .lo,
            1u);
  EXPECT_NE(Contents().find("1="), std::string::npos)
      << "a null text as value writes the key empty instead of deleting it";
  EXPECT_NE(Contents().find("[b]"), std::string::npos);
}

TEST_F(CoreIni, FalseWithoutAFileOrWhenTheSystemRefuses) {
  EXPECT_EQ(Call(WriteIniItem, {TextValue(""), TextValue("s"), TextValue("k"), TextValue("v")}).lo,
            0u)
      << "an empty name would write the Windows directory's settings file";
  EXPECT_EQ(Call(WriteIniItem, {TextValue(file_), kOmitted, TextValue("k"), TextValue("v")}).lo, 0u)
      << "a value in no section could never be read back";
  EXPECT_FALSE(Write("s", "k", "a\r\nb=c")) << "a line break would write a key of its own";
  EXPECT_FALSE(test::FileThere(file_)) << "a refused write creates nothing";

  ASSERT_TRUE(Write("s", "k", "v"));
  {
    // Another program holds the file open and lets others only read it.
    HANDLE held = CreateFileW(Wide(file_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Write("s", "k", "v")) << "a file that may not be written but has the value";
    EXPECT_FALSE(Write("s", "k", "w")) << "a file that may not be written takes no new value";
    EXPECT_EQ(Read("s", "k").text, "v") << "and can still be read";
    CloseHandle(held);
  }

  file_ = dir_.Path("no\\such\\folder.ini");
  EXPECT_FALSE(Write("s", "k", "v")) << "a file that cannot be created is false";
}

TEST_F(CoreIni, ABareNameIsAFileInTheWindowsDirectory) {
  const std::string name = "rollcall-ini-" + std::to_string(GetCurrentProcessId()) + ".ini";
  wchar_t dir[MAX_PATH];
  GetWindowsDirectoryW(dir, MAX_PATH);
  const std::wstring full = std::wstring(dir) + L"\\" + Wide(name);
  file_ = name;
  ASSERT_TRUE(Write("s", "k", "张三"));
  const bool there = GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES;
  char platform[32] = {};
  GetPrivateProfileStringA("s", "k", "", platform, sizeof platform, name.c_str());
  DeleteFileW(full.c_str());
  EXPECT_TRUE(there) << "as the profile functions place it";
  EXPECT_STREQ(platform, "张三") << "the profile functions find it there";
}

}  // namespace
}  // namespace rc
