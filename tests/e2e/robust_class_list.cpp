// Class list files as teachers' editors and accidents leave them, on the real program: one run
// takes file after file, since the program reads dede.ini afresh at every touch and tick. After
// each, the program still answers, shows what the reading rules give (names up to the first
// empty key, the first of duplicates, values cut at the read buffer; the banner), shows the
// boxes where the rules say, and the file reads back byte for byte as it was written.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/robust_support.h"

using namespace robust;

namespace {

constexpr char kList[] = "[全班人名：]";

// What a window shows of a GBK text: the text after its way to UTF-16 and back, as the runtime
// sets it and the driver reads it (bytes that are no GBK character come back changed).
std::string AsShown(const std::string& gbk) {
  if (gbk.empty()) return gbk;
  std::wstring w(gbk.size(), L'\0');
  w.resize(size_t(MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), &w[0], int(w.size()))));
  std::string out(w.size() * 2, '\0');
  out.resize(size_t(WideCharToMultiByte(936, 0, w.data(), int(w.size()), &out[0], int(out.size()),
                                        nullptr, nullptr)));
  return out;
}

std::string Hex(const std::string& s) {
  std::string out;
  char b[4];
  for (size_t i = 0; i < s.size() && i < 64; ++i) {
    std::snprintf(b, sizeof b, "%02X ", unsigned(uint8_t(s[i])));
    out += b;
  }
  return out;
}

std::string Repeat(const std::string& s, size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

struct Input {
  const char* what;
  std::string file;
  // The names the display may show: none means the no-names box, one the one-name box and
  // that name, more a cycle through them.
  std::vector<std::string> names;
  const char* banner;  // null: not looked at (the file has no banner, or reads as none)
};

// Touches the button and checks what the rules say for the input, leaving the program idle.
void TryNames(const Program& p, const Input& in) {
  SCOPED_TRACE(in.what);
  std::set<std::string> allowed;
  for (const std::string& n : in.names) allowed.insert(AsShown(n));
  ASSERT_EQ(WindowText(p.button), kStart);
  ASSERT_TRUE(p.Touch());
  if (in.names.empty()) {
    EXPECT_EQ(NextBox(*p.proc), kNoNames);
  } else if (in.names.size() == 1) {
    EXPECT_EQ(NextBox(*p.proc), kOneName);
    // Long names: read whole, not through the changing-text read.
    EXPECT_TRUE(WaitUntil([&] { return WindowText(p.display) == *allowed.begin(); }))
        << WindowText(p.display).size() << " bytes shown";
  } else {
    EXPECT_TRUE(WaitUntil([&] { return WindowText(p.button) == kStop; }))
        << "cycling; a box? " << p.proc->HasMessageBox();
    // The display keeps the last name until the cycle's first tick.
    harness::Sleep(150);
    std::set<std::string> seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 700) {
      seen.insert(ChangingText(p.display));
      ::Sleep(5);
    }
    seen.erase("→ _ ←");
    for (const std::string& s : seen) EXPECT_EQ(allowed.count(s), 1u) << "shown: " << Hex(s);
    EXPECT_GE(seen.size(), 1u);
    EXPECT_TRUE(p.Touch());
    EXPECT_TRUE(WaitUntil([&] { return WindowText(p.button) == kStart; }));
    EXPECT_EQ(allowed.count(WindowText(p.display)), 1u) << "stops on a name of the list";
  }
  if (in.banner != nullptr) {
    EXPECT_TRUE(WaitUntil([&] { return WindowText(p.banner) == AsShown(in.banner); }, 1000))
        << WindowText(p.banner);
  }
}

std::string WithBanner(const std::string& list, const char* banner, const char* eol = "\r\n") {
  return list + "[广告：]" + eol + "内容=" + banner + eol;
}

TEST(RobustClassList, HandEditedAndBrokenFilesBetweenTouches) {
  Program p(std::string(kList) + "\r\n1=张三\r\n2=李四\r\n[广告：]\r\n内容=开始\r\n" + kSeen);
  ASSERT_TRUE(p.Start());
  const std::string ini = p.Path("dede.ini");
  const std::string long_name = Repeat("张", 5000);     // 10000 bytes
  const std::string huge_name = Repeat("名", 1 << 19);  // a line of 1 MB
  // A value is read into a buffer of 10240 bytes: 10239 at most, cut at a character boundary.
  const std::string huge_shown = huge_name.substr(0, 10238);
  Bytes random(20240601);

  // The banner stops for good at its first empty read: inputs that keep one come first.
  const std::vector<Input> inputs = {
      {"LF line ends",
       WithBanner(std::string(kList) + "\n1=张三\n2=李四\n3=王五\n", "只有LF", "\n"),
       {"张三", "李四", "王五"},
       "只有LF"},
      {"CR line ends",
       WithBanner(std::string(kList) + "\r1=赵六\r2=孙七\r", "只有CR", "\r"),
       {"赵六", "孙七"},
       "只有CR"},
      {"duplicate sections and keys: the first counts",
       std::string(kList) + "\r\n1=甲\r\n2=乙\r\n1=丙\r\n[广告：]\r\n内容=第一\r\n" + kList +
           "\r\n3=丁\r\n[广告：]\r\n内容=第二\r\n",
       {"甲", "乙"},
       "第一"},
      {"keys 01, \" 1\" and \"1 \"",
       WithBanner(std::string(kList) + "\r\n01=零一\r\n 1=一\r\n1 =重一\r\n2 =二\r\n 3 = 三 \r\n",
                  "键"),
       {"一", "二", "三"},
       "键"},
      {"control characters, &, tabs",
       WithBanner(
           std::string(kList) + "\r\n1=\x01张\x02三\x1b\r\n2=A&B\r\n3=王\t五\r\n4=&&\r\n5=\x7f\r\n",
           "A&B\t横幅"),
       {"\x01张\x02三\x1b", "A&B", "王\t五", "&&", "\x7f"},
       "A&B\t横幅"},
      {"invalid GBK sequences",
       WithBanner(
           std::string(kList) + "\r\n1=\x81\x20坏\r\n2=\xff\xfe\x80好\r\n3=李\x81\r\n4=\x81\r\n",
           "\xfe\x7f横幅"),
       {"\x81\x20坏", "\xff\xfe\x80好", "李\x81", "\x81"},
       "\xfe\x7f横幅"},
      {"a name of 10000 bytes",
       WithBanner(std::string(kList) + "\r\n1=" + long_name + "\r\n", "长"),
       {long_name},
       "长"},
      {"a name of 1 MB",
       WithBanner(std::string(kList) + "\r\n1=" + huge_name + "\r\n", "巨"),
       {huge_shown},
       "巨"},
      {"a line of 1 MB among the names",
       WithBanner(std::string(kList) + "\r\n1=甲\r\n" + std::string(1 << 20, 'x') + "\r\n2=乙\r\n",
                  "行"),
       {"甲", "乙"},
       "行"},
      // From here on the banner reads empty.
      {"binary garbage", random.Take(65536), {}, nullptr},
      {"a UTF-8 mark followed by GBK: read as UTF-8, it holds no class list",
       "\xEF\xBB\xBF" + std::string(kList) + "\r\n1=张三\r\n2=李四\r\n",
       {},
       nullptr},
      {"50 MB: more than a settings file can be, read as no file",
       std::string(kList) + "\r\n1=张三\r\n2=李四\r\n" +
           Repeat(";" + std::string(1023, 'x') + "\r\n", 50 << 10),
       {},
       nullptr},
      {"empty", "", {}, nullptr},
  };
  for (const Input& in : inputs) {
    ASSERT_TRUE(ReplaceFileBytes(ini, in.file)) << in.what;
    TryNames(p, in);
    EXPECT_TRUE(p.Alive()) << in.what;
    EXPECT_TRUE(ReadFileBytes(ini) == in.file) << in.what << ": the file changed";
  }

  // A folder in the file's place reads as no file.
  ASSERT_TRUE(DeleteFileA(ini.c_str()));
  ASSERT_TRUE(CreateDirectoryA(ini.c_str(), nullptr));
  TryNames(p, {"a folder named dede.ini", "", {}, nullptr});
  EXPECT_TRUE(p.Alive());
  ASSERT_TRUE(RemoveDirectoryA(ini.c_str())) << "the folder is left alone, empty";

  // Deleted and replaced while the names cycle: a missing file gives empty names, the new file
  // its names for the count of the last touch; the touch that finds no names leaves the cycle
  // running.
  const std::string two = std::string(kList) + "\r\n1=张三\r\n2=李四\r\n";
  ASSERT_TRUE(WriteFileBytes(ini, two));
  ASSERT_TRUE(p.Touch());
  ASSERT_TRUE(WaitUntil([&] { return WindowText(p.button) == kStop; }));
  ASSERT_TRUE(DeleteFileA(ini.c_str()));
  EXPECT_TRUE(WaitUntil([&] { return ChangingText(p.display).empty(); })) << "empty names";
  const std::string other = std::string(kList) + "\r\n1=周八\r\n2=吴九\r\n3=郑十\r\n";
  ASSERT_TRUE(ReplaceFileBytes(ini, other));
  std::set<std::string> seen;
  const DWORD from = GetTickCount();
  while (GetTickCount() - from < 800) {
    const std::string name = ChangingText(p.display);
    if (!name.empty()) seen.insert(name);
    ::Sleep(5);
  }
  EXPECT_EQ(seen, (std::set<std::string>{"周八", "吴九"})) << "two names counted at the touch";
  ASSERT_TRUE(DeleteFileA(ini.c_str()));
  ASSERT_TRUE(p.Touch());
  EXPECT_EQ(NextBox(*p.proc), kNoNames);
  EXPECT_EQ(WindowText(p.button), kStop) << "the cycle goes on";
  ASSERT_TRUE(ReplaceFileBytes(ini, other));
  ASSERT_TRUE(p.Touch());
  EXPECT_TRUE(WaitUntil([&] { return WindowText(p.button) == kStart; }));
  EXPECT_TRUE(p.Alive());
  EXPECT_EQ(ReadFileBytes(ini), other);
  EXPECT_TRUE(p.Ends());
}

// Files the program meets at its start: the first-run marker cannot be written to a read-only
// file (the notice comes at every start, the file stays as it is), to a file too large to be a
// settings file, or to a folder in the file's place.
TEST(RobustClassList, FilesThatCannotTakeTheFirstRunMarker) {
  constexpr char kNotice[] =
      "点名器6.0版本_人数增加至50人\r\n请将原先的‘dede.ini’中信息备份并将其删除\r\n"
      "使其生成新的文件‘dede.ini’后再将信息导入其中 | V6.0使用须知（首次运行）";
  const std::string teacher = std::string(kList) + "\r\n1=张三\r\n2=李四\r\n";
  const std::string big = teacher + Repeat(";" + std::string(1023, '-') + "\r\n", 20 << 10);
  struct Start {
    const char* what;
    std::string file;
    bool read_only;
    bool names;  // the list can be read
  } starts[] = {
      {"read-only", teacher, true, true},
      {"read-only again", teacher, true, true},
      {"20 MB", big, false, false},
  };
  Program p("", false);
  for (const Start& s : starts) {
    SCOPED_TRACE(s.what);
    const std::string ini = p.Path("dede.ini");
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteFileBytes(ini, s.file));
    if (s.read_only) SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    p.proc = std::make_unique<Process>(p.dir, "rollcall.exe");
    EXPECT_EQ(NextBox(*p.proc, 20000), kNotice) << "no warning: the file is there";
    p.main = p.proc->WaitWindow(kTitle);
    ASSERT_TRUE(p.Find());
    EXPECT_FALSE(p.proc->HasMessageBox());
    ASSERT_TRUE(p.Touch());
    if (s.names) {
      EXPECT_TRUE(WaitUntil([&] { return WindowText(p.button) == kStop; }));
    } else {
      EXPECT_EQ(NextBox(*p.proc), kNoNames);
    }
    EXPECT_TRUE(p.Alive());
    EXPECT_TRUE(p.Ends());
    EXPECT_TRUE(ReadFileBytes(ini) == s.file) << "the file changed";
    if (s.read_only) {
      EXPECT_EQ(GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_READONLY,
                DWORD(FILE_ATTRIBUTE_READONLY));
    }
  }
  SetFileAttributesA(p.Path("dede.ini").c_str(), FILE_ATTRIBUTE_NORMAL);

  // A folder named dede.ini: it "exists", so nothing is created; the marker cannot be read or
  // written; the folder stays empty.
  const std::string ini = p.Path("dede.ini");
  ASSERT_TRUE(DeleteFileA(ini.c_str()));
  ASSERT_TRUE(CreateDirectoryA(ini.c_str(), nullptr));
  p.proc = std::make_unique<Process>(p.dir, "rollcall.exe");
  EXPECT_EQ(NextBox(*p.proc, 20000), kNotice);
  p.main = p.proc->WaitWindow(kTitle);
  ASSERT_TRUE(p.Find());
  ASSERT_TRUE(p.Touch());
  EXPECT_EQ(NextBox(*p.proc), kNoNames);
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(p.Ends());
  EXPECT_TRUE(RemoveDirectoryA(ini.c_str())) << "still an empty folder";
}

}  // namespace
