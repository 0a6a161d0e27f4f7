// Whole-file reading and writing, file search, attributes and the program directory.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "commands/core_commands.h"
#include "tests/core/command_call.h"
#include "tests/win/core_test_util.h"

namespace rc {
namespace {

using test::Call;
using test::TextValue;

// The bytes of a byte block result, taking it over; `null` tells the empty block.
struct BlockResult {
  bool null;
  std::string bytes;
};
BlockResult TakeBlock(const ResultRecord& r) {
  HeapBlock owned(SlotPointer(r));
  if (!owned) return {true, std::string()};
  const auto* p = static_cast<const unsigned char*>(owned.get());
  uint32_t one;
  std::memcpy(&one, p, 4);
  EXPECT_EQ(one, 1u) << "a byte block starts with the word 1";
  return {false, std::string(reinterpret_cast<const char*>(ByteBlockData(p)), ByteBlockLength(p))};
}

TEST(CoreReadFileBytes, NothingToReadGivesTheEmptyBlock) {
  test::ScratchDir dir;
  ASSERT_TRUE(test::WriteRaw(dir.Path("empty.bin"), ""));
  const std::string missing = dir.Path("missing.bin");
  const std::string empty = dir.Path("empty.bin");
  const std::string folder = dir.path();
  struct Case {
    const char* what;
    ResultRecord result;
  } cases[] = {
      {"a missing file", Call(ReadFileBytes, {TextValue(missing)})},
      {"an empty file", Call(ReadFileBytes, {TextValue(empty)})},
      {"a folder", Call(ReadFileBytes, {TextValue(folder)})},
      {"the empty text as name", Call(ReadFileBytes, {PointerValue(kEmptyText, kTagText)})},
      {"the null text as name", Call(ReadFileBytes, {PointerValue(nullptr, kTagText)})},
      {"no name at all", Call(ReadFileBytes, {})},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(TakeBlock(c.result).null) << c.what << " reads as the empty byte block (null)";
  }
}

TEST(CoreReadFileBytes, WholeFileWithItsZeroBytes) {
  test::ScratchDir dir;
  const std::string ten(
      "0123\0"
      "56789",
      10);
  ASSERT_TRUE(test::WriteRaw(dir.Path("ten.bin"), ten));
  BlockResult r = TakeBlock(Call(ReadFileBytes, {TextValue(dir.Path("ten.bin"))}));
  ASSERT_FALSE(r.null);
  EXPECT_EQ(r.bytes, ten) << "all 10 bytes, a zero byte in the middle included";

  // A Chinese folder name travels as GBK and must still reach the file.
  const std::string gbk_name = dir.Path("名单.bin");
  ASSERT_TRUE(test::WriteRaw(gbk_name, "abc"));
  EXPECT_EQ(TakeBlock(Call(ReadFileBytes, {TextValue(gbk_name)})).bytes, "abc");
}

TEST(CoreReadFileBytes, ReadersShareButAWriterKeepsUsOut) {
  test::ScratchDir dir;
  const std::string path = dir.Path("shared.bin");
  ASSERT_TRUE(test::WriteRaw(path, "data"));

  HANDLE reader = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(TakeBlock(Call(ReadFileBytes, {TextValue(path)})).bytes, "data")
      << "another reader does not keep the command out";
  CloseHandle(reader);

  HANDLE writer = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(TakeBlock(Call(ReadFileBytes, {TextValue(path)})).null)
      << "the command lets nobody write while it reads, so it cannot open a file being written";
  CloseHandle(writer);
}

TEST(CoreWriteBytesToFile, EmptyNameIsFalseAndCreatesNothing) {
  test::ScratchDir dir;
  HeapBlock data = test::MakeByteBlock("abc");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(Wide(dir.path()).c_str());
  ResultRecord empty = Call(
      WriteBytesToFile, {PointerValue(kEmptyText, kTagText), PointerValue(data.get(), kTagBytes)});
  ResultRecord null = Call(WriteBytesToFile,
                           {PointerValue(nullptr, kTagText), PointerValue(data.get(), kTagBytes)});
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(empty.lo, 0u) << "an empty file name is false";
  EXPECT_EQ(null.lo, 0u) << "a null file name is false";
  EXPECT_EQ(dir.Count(), 0) << "no file may appear in the current folder";
}

TEST(CoreWriteBytesToFile, EveryBlockInOrderAfterCuttingTheOldFile) {
  test::ScratchDir dir;
  const std::string path = dir.Path("out.bin");
  ASSERT_TRUE(test::WriteRaw(path, std::string(100, 'x')));
  HeapBlock first = test::MakeByteBlock("abc");
  HeapBlock second = test::MakeByteBlock(std::string("de\0f", 4));
  ResultRecord r = Call(WriteBytesToFile,
                        {TextValue(path), PointerValue(first.get(), kTagBytes),
                         PointerValue(nullptr, kTagBytes), PointerValue(kEmptyByteBlock, kTagBytes),
                         IntValue(7), PointerValue(second.get(), kTagBytes)});
  EXPECT_EQ(r.lo, 1u);
  EXPECT_EQ(test::ReadRaw(path), std::string("abcde\0f", 7))
      << "the old contents go; empty blocks and arguments that are no byte blocks write nothing";

  ASSERT_EQ(Call(WriteBytesToFile, {TextValue(path)}).lo, 1u);
  bool exists = false;
  EXPECT_EQ(test::ReadRaw(path, &exists), "") << "no block at all leaves an empty file";
  EXPECT_TRUE(exists);
}

TEST(CoreWriteBytesToFile, FalseWhenTheSystemRefuses) {
  test::ScratchDir dir;
  HeapBlock data = test::MakeByteBlock("abc");
  const std::string locked = dir.Path("locked.bin");
  ASSERT_TRUE(test::WriteRaw(locked, "keep"));
  HANDLE holder = CreateFileW(Wide(locked).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Call(WriteBytesToFile, {TextValue(locked), PointerValue(data.get(), kTagBytes)}).lo, 0u)
      << "a file another process holds without write sharing cannot be written";
  CloseHandle(holder);
  EXPECT_EQ(test::ReadRaw(locked), "keep");

  EXPECT_EQ(Call(WriteBytesToFile,
                 {TextValue(dir.Path("no\\such\\folder.bin")), PointerValue(data.get(), kTagBytes)})
                .lo,
            0u)
      << "a path through missing folders is false";
}

TEST(CoreFileExists, FirstFileSearchWithWildcards) {
  test::ScratchDir dir;
  ASSERT_TRUE(test::WriteRaw(dir.Path("a.txt"), "1"));
  ASSERT_TRUE(test::WriteRaw(dir.Path("名单.ini"), "1"));
  struct Case {
    std::string name;
    bool exists;
  } cases[] = {
      {dir.Path("a.txt"), true}, {dir.Path("b.txt"), false}, {dir.Path("*.txt"), true},
      {dir.Path("?.txt"), true}, {dir.Path("*.xyz"), false}, {dir.Path("名单.ini"), true},
      {dir.Path("名*"), true},   {dir.path(), true},         {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Call(FileExists, {TextValue(c.name)}).lo, c.exists ? 1u : 0u) << c.name;
  }
  EXPECT_EQ(Call(FileExists, {PointerValue(nullptr, kTagText)}).lo, 0u);
}

TEST(CoreSetFileAttr, OnlyReadOnlyHiddenSystemAndArchiveAreSet) {
  test::ScratchDir dir;
  const std::string path = dir.Path("skin.dll");
  ASSERT_TRUE(test::WriteRaw(path, "MZ"));
  ASSERT_EQ(Call(SetFileAttr, {TextValue(path), IntValue(2)}).lo, 1u);
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY);

  // Temporary (0x100) and offline (0x1000) are not for this command to set.
  ASSERT_EQ(Call(SetFileAttr, {TextValue(path), IntValue(0x1101)}).lo, 1u);
  attributes = GetFileAttributesW(Wide(path).c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(attributes & FILE_ATTRIBUTE_HIDDEN) << "the attributes are replaced, not added";
  EXPECT_FALSE(attributes & (FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE))
      << "the value is masked with 0x27";

  ASSERT_EQ(Call(SetFileAttr, {TextValue(path), IntValue(0)}).lo, 1u);
  EXPECT_FALSE(GetFileAttributesW(Wide(path).c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Call(SetFileAttr, {TextValue(dir.Path("missing")), IntValue(2)}).lo, 0u)
      << "a missing file is false";
}

// A rename never replaces a file (someone else's stays as it is) and keeps a hidden file's
// attributes; a removal takes a hidden file too.
TEST(CoreRenameAndRemoveFile, NeverOverAnExistingFile) {
  test::ScratchDir dir;
  const std::string temp = dir.Path("lib.dll.tmp"), lib = dir.Path("lib.dll");
  ASSERT_TRUE(test::WriteRaw(temp, "mine"));
  ASSERT_TRUE(test::WriteRaw(lib, "theirs"));
  SetFileAttributesW(Wide(temp).c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Call(RenameFile, {TextValue(temp), TextValue(lib)}).lo, 0u);
  EXPECT_EQ(test::ReadRaw(lib), "theirs") << "an existing file is never replaced";
  EXPECT_EQ(Call(RemoveFile, {TextValue(lib)}).lo, 1u);
  EXPECT_EQ(Call(RenameFile, {TextValue(temp), TextValue(lib)}).lo, 1u) << "renamed into place";
  EXPECT_EQ(test::ReadRaw(lib), "mine");
  EXPECT_TRUE(GetFileAttributesW(Wide(lib).c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Call(RemoveFile, {TextValue(temp)}).lo, 0u) << "a missing file is false";
  EXPECT_EQ(Call(RemoveFile, {TextValue(lib)}).lo, 1u) << "a hidden file is removed";
  EXPECT_EQ(dir.Count(), 0);
}

}  // namespace
}  // namespace rc
