// The form compiler formc, run as built: descriptions -> form data -> descriptions -> the
// same form data, and its error messages. Host build only.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "forms/form_table.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"
#include "tests/source_root.h"

namespace rc::forms {
namespace {

std::string DirOf(const std::string& path) {
  return path.substr(0, path.rfind('/'));
}

// formc lies in the same build tree as this test program.
std::string Formc() {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return {};
  exe[n] = '\0';
  return DirOf(exe) + "/../tools/formc/formc";
}

std::string TestForms() {
  return rc::test::SourcePath("tests/forms");
}

struct ToolRun {
  int status;
  std::string output;  // stdout and stderr
};

ToolRun Shell(const std::string& command) {
  ToolRun r{-1, {}};
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  r.status = pclose(p);
  return r;
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FormCompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    formc_ = Formc();
    ASSERT_EQ(access(formc_.c_str(), X_OK), 0) << "formc is built beside the tests: " << formc_;
    char tmpl[] = "/tmp/formc_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    tmp_ = tmpl;
  }
  void TearDown() override {
    if (!tmp_.empty()) Shell("rm -rf '" + tmp_ + "'");
  }

  ToolRun Compile(const std::string& out, const std::string& inputs) {
    return Shell("'" + formc_ + "' -o '" + out + "' " + inputs);
  }

  std::string formc_;
  std::string tmp_;
};

const char* const kForms[] = {"minimal", "all_types", "versions"};

TEST_F(FormCompilerTest, DescriptionToBytesToDescriptionGivesIdenticalBytes) {
  std::vector<std::string> sets;
  std::string all;
  for (const char* f : kForms) {
    sets.push_back("'" + TestForms() + "/" + f + ".form'");
    all += sets.back() + " ";
  }
  sets.push_back(all);
  for (size_t i = 0; i < sets.size(); ++i) {
    const std::string first = tmp_ + "/first" + std::to_string(i) + ".bin";
    const std::string again = tmp_ + "/again" + std::to_string(i) + ".bin";
    const std::string dir = tmp_ + "/dump" + std::to_string(i);
    ToolRun r = Compile(first, sets[i]);
    ASSERT_EQ(r.status, 0) << sets[i] << ": " << r.output;
    r = Shell("'" + formc_ + "' -o '" + again + "' $('" + formc_ + "' --dump '" + first + "' -o '" +
              dir + "')");
    ASSERT_EQ(r.status, 0) << r.output;
    const Bytes a = ReadAll(first);
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(ReadAll(again), a) << "the round trip of " << sets[i] << " must give the same bytes";
  }
}

// Form data that no description of formc wrote: the dump must still give back every byte.
TEST_F(FormCompilerTest, DumpKeepsBytesThatHaveNoReadableForm) {
  RecordModel window;
  window.id = 0x06010000;
  window.type_code = kTypeWindow;
  window.name = "\x80\xFF\x81";  // not GBK characters
  window.tag = "\x01\x7F\"\\";
  LabelData label;
  label.caption = std::string("ab\0cd", 5);  // reads as "ab": kept as stored
  FontRecord face;
  face.face = "Arial";
  label.font = WriteFontRecord(face);
  label.font[40] = 'x';  // a byte after the face's NUL
  RecordModel with_label;
  with_label.id = 0x16010001;
  with_label.type_code = kTypeLabel;
  with_label.type_data = WriteTypeDataAs(label);
  with_label.cursor = {1, 2, 3, 4};
  RecordModel unknown;
  unknown.id = 0x16010002;
  unknown.type_code = 0x00070003;
  unknown.type_data = Bytes(100, 0x5A);
  RecordModel too_new;
  too_new.id = 0x16010003;
  too_new.type_code = kTypeTimer;
  too_new.type_data = {9, 0, 0, 0, 1, 0, 0, 0};
  WindowModel w;
  w.id = 0x52010001;
  w.text1 = std::string("\0\0", 2);
  w.records = {window, with_label, unknown, too_new};
  const Bytes blob = WriteFormData({w});

  const std::string first = tmp_ + "/odd.bin";
  std::ofstream(first, std::ios::binary)
      .write(reinterpret_cast<const char*>(blob.data()), std::streamsize(blob.size()));
  const std::string again = tmp_ + "/again.bin";
  const ToolRun r = Shell("'" + formc_ + "' -o '" + again + "' $('" + formc_ + "' --dump '" +
                          first + "' -o '" + tmp_ + "/d')");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(ReadAll(again), blob) << "texts that are not GBK, cut texts, odd fonts, unknown "
                                     "types and refused versions all survive the round trip";
}

TEST_F(FormCompilerTest, DumpPrintsOneDescriptionPerWindowInOrder) {
  const std::string blob = tmp_ + "/all.bin";
  ASSERT_EQ(Compile(blob, "'" + TestForms() + "/versions.form' '" + TestForms() + "/minimal.form'")
                .status,
            0);
  const ToolRun r = Shell("'" + formc_ + "' --dump '" + blob + "' -o '" + tmp_ + "/d'");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, tmp_ + "/d/01-52010030.form\n" + tmp_ + "/d/02-52010010.form\n");
}

TEST_F(FormCompilerTest, CompiledFormsHoldWhatTheDescriptionsSay) {
  const std::string blob = tmp_ + "/all_types.bin";
  ASSERT_EQ(Compile(blob, "'" + TestForms() + "/all_types.form'").status, 0);
  const Bytes bytes = ReadAll(blob);
  std::vector<WindowDefinition> windows;
  ASSERT_TRUE(ParseFormData(bytes.data(), bytes.size(), &windows).ok);
  ASSERT_EQ(windows.size(), 1u);
  const UnitTable& t = windows[0].units();
  EXPECT_EQ(windows[0].text2(), "zwei") << "a window text ends at \\x00";

  WindowData window;
  ASSERT_EQ(ParseTypeDataAs(t.type_data(0).data, t.type_data(0).size, &window),
            TypeDataStatus::kOk);
  EXPECT_EQ(window.title,
            "MOX\xCB\xE6\xBB\xFA\xB5\xE3\xC3\xFB\xC6\xF7 v6.0"
            "\xA3\xA8\xBF\xCE\xC9\xCF\xD7\xA8\xD3\xC3\xA3\xA9")
      << "texts are stored in GBK";
  EXPECT_EQ(window.icon, ReadAll(TestForms() + "/icon.ico"));
  EXPECT_EQ(window.p30, 7) << "fields known only by number are expressible";

  const size_t button = *t.Find(0x16010023);
  EXPECT_EQ(t.cursor(button).size, 4u);
  EXPECT_EQ(LoadU32(t.cursor(button).data), 0x7F89u) << "the hand cursor";
  ButtonData b;
  ASSERT_EQ(ParseTypeDataAs(t.type_data(button).data, t.type_data(button).size, &b),
            TypeDataStatus::kOk);
  FontRecord font;
  ASSERT_TRUE(ParseFontRecord(b.font, &font));
  EXPECT_EQ(font.face, "\xB7\xBD\xD5\xFD\xCA\xE6\xCC\xE5") << "方正舒体 in GBK";
  EXPECT_EQ(font.height, -56);
  EXPECT_EQ(font.weight, 700);
  EXPECT_EQ(font.italic, 1);
  EXPECT_EQ(font.underline, 1);

  const size_t edit = *t.Find(0x16010028);
  const std::vector<Binding> bindings = t.bindings(edit);
  ASSERT_EQ(bindings.size(), 2u);
  EXPECT_EQ(bindings[0].offset, RoutineOffset(8));
  EXPECT_EQ(bindings[1].offset, 13) << "raw offsets are kept";

  const size_t minimal_timer = *t.Find(0x16010019);
  EXPECT_EQ(t.type_data(minimal_timer).size, 0u) << "no data line, no type data";
  const size_t menu = *t.Find(0x2601002D);
  EXPECT_EQ(t.menu_text(menu), "\xB4\xF2\xBF\xAA(&O)") << "打开(&O) in GBK";
}

TEST_F(FormCompilerTest, BadDescriptionsAreReportedWithFileAndLine) {
  struct Case {
    const char* text;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"unit 0x06000001 window\n", 1, "must follow the window line"},
      {"window 0x52000001\nunit 0x16000001 Timer\n", 2, "first unit must be the window unit"},
      {"window 0x52000001\nunit 0x06000001 window\ndata version 7\n", 3,
       "above the highest version 6"},
      {"window 0x52000001\nunit 0x06000001 window\ndata version 5\nclass_name = \"x\"\n", 4,
       "not stored by version 5"},
      {"window 0x52000001\nunit 0x06000001 window\n\nfoo = 1\n", 4, "unknown unit field 'foo'"},
      {"window 0x52000001\nunit 0x06000001 window\nname = \"abc\n", 3, "closing quote"},
      {"window 0x52000001\nunit 0x06000001 window\ndata version 6\ntitle = \"a\"\n[8] = \"b\"\n", 5,
       "given twice"},
      {"window 0x52000001\nunit 0x06000001 window\ndata version 6\nicon = file \"nope.ico\"\n", 4,
       "cannot read the file"},
      {"window 0x52000001\nunit 0x06000001 window\npos = 1, 2, 3\n", 3, "expected ','"},
      {"window 0x52000001\nunit 0x06000001 window\nevent 0 = routine x\n", 3,
       "'x' is not a number"},
      {"window 0x52000001\nunit 0x06000001 window\nunit 0x16000002 Gadget\n", 3,
       "unknown unit type 'Gadget'"},
      {"window 0x52000001\nunit 0x06000001 window\nunit 0x16000002 SysVolume\ndata version 1\n", 4,
       "stores no type data"},
      {"window 0x52000001\nunit 0x06000001 window\ndata version 6\nfont = face \"x\" bold "
       "weight 400\n",
       4, "'font' is not a field of window"},
      {"window 0x52000001\nunit 0x06000001 window\nname = \"\xF0\x9F\x98\x80\"\n", 3,
       "GBK cannot hold"},
      {"window 0x52000001\nunit 0x06000001 window\ntag = 99999999999\n", 3, "expected a text"},
      {"window 0x52000001\n", 0, "needs its window unit"},
  };
  for (const Case& c : cases) {
    const std::string path = tmp_ + "/bad.form";
    std::ofstream(path, std::ios::trunc) << c.text;
    const ToolRun r = Compile(tmp_ + "/bad.bin", "'" + path + "'");
    EXPECT_NE(r.status, 0) << c.text;
    const std::string where = c.line ? path + ":" + std::to_string(c.line) + ":" : path + ":";
    EXPECT_NE(r.output.find(where), std::string::npos)
        << "the message names the file and line: " << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
  }
}

// Handlers bound by name: every window of one block shares one routine table, in the order the
// names first appear, so adding or renaming a handler can never move another event's binding.
TEST_F(FormCompilerTest, HandlerNamesBuildTheRoutineTableAndTheUnitHandles) {
  const std::string first = tmp_ + "/first_window.form", second = tmp_ + "/second_window.form";
  std::ofstream(first) << "window 0x52010001\nunit 0x06010000 window\nevent 0 = OnCreated\n"
                          u8"unit 0x16010002 Timer\nname = \"时钟1\"\nevent 0 = OnTick\n"
                          u8"unit 0x16010003 Button\nname = \"按钮1\"\nevent 0 = OnCreated\n";
  std::ofstream(second) << "window 0x52010010\nunit 0x06010011 window\nevent 2 = OnGone\n"
                           u8"event 0 = OnTick\nunit 0x16010012 Label\nname = \"标签_随机\"\n";
  const std::string blob = tmp_ + "/b.bin", routines = tmp_ + "/r.cpp", ids = tmp_ + "/ids.h";
  ToolRun r =
      Shell("'" + formc_ + "' -o '" + blob + "' --routines '" + routines + "' --ids '" + ids +
            "' --ids-include app/face.h --namespace app '" + first + "' '" + second + "'");
  ASSERT_EQ(r.status, 0) << r.output;
  const Bytes bytes = ReadAll(blob);
  std::vector<WindowDefinition> windows;
  ASSERT_TRUE(ParseFormData(bytes.data(), bytes.size(), &windows).ok);
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0].units().bindings(2)[0].offset, RoutineOffset(0)) << "a name reused";
  EXPECT_EQ(windows[1].units().bindings(0)[1].offset, RoutineOffset(1)) << "across windows";
  EXPECT_EQ(windows[1].units().bindings(0)[0].offset, RoutineOffset(2));

  const Bytes source = ReadAll(routines);
  const std::string table(source.begin(), source.end());
  EXPECT_NE(table.find("    OnCreated,\n    OnTick,\n    OnGone,\n    nullptr,"), std::string::npos)
      << "the table lists the routines by index and ends with a null routine:\n"
      << table;
  const Bytes header = ReadAll(ids);
  const std::string h(header.begin(), header.end());
  EXPECT_NE(h.find("namespace app::first_window {"), std::string::npos) << h;
  EXPECT_NE(h.find("inline constexpr Window kWindow{0x52010001, 0x06010000};"), std::string::npos);
  EXPECT_NE(h.find(u8"inline constexpr Timer 时钟1{0x52010001, 0x16010002};"), std::string::npos)
      << "units are named as the descriptions name them:\n"
      << h;
  EXPECT_NE(h.find(u8"inline constexpr Label 标签_随机{0x52010010, 0x16010012};"),
            std::string::npos);

  std::ofstream(tmp_ + "/mixed.form") << "window 0x52010020\nunit 0x06010021 window\n"
                                         "event 0 = routine 3\n";
  r = Shell("'" + formc_ + "' -o '" + blob + "' '" + first + "' '" + tmp_ + "/mixed.form'");
  EXPECT_NE(r.status, 0) << "names and numbers cannot share one routine table";
  EXPECT_NE(r.output.find("mixed.form:3: handlers are bound by name or by number"),
            std::string::npos)
      << r.output;
}

TEST_F(FormCompilerTest, DumpRefusesWhatItCannotDescribe) {
  const std::string broken = tmp_ + "/broken.bin";
  std::ofstream(broken, std::ios::binary) << std::string("\x08\0\0\0\1\0\0\0", 8);
  ToolRun r = Shell("'" + formc_ + "' --dump '" + broken + "' -o '" + tmp_ + "/d1'");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("not readable form data"), std::string::npos) << r.output;

  // Two records in reverse order in the record area: valid, but not formc's layout.
  RecordModel window;
  window.id = 0x06010000;
  window.type_code = kTypeWindow;
  RecordModel timer;
  timer.id = 0x16010001;
  timer.type_code = kTypeTimer;
  Bytes table = WriteUnitTable({window, timer});
  const Bytes r0 = WriteRecordData(window), r1 = WriteRecordData(timer);
  Bytes swapped(table.begin(), table.begin() + 16);
  StoreU32(&swapped[8], uint32_t(4 + r1.size()));
  StoreU32(&swapped[12], 0);
  ByteWriter w(&swapped);
  w.CountedBytes(r1);
  w.CountedBytes(r0);
  Bytes blob;
  ByteWriter b(&blob);
  b.U32(8);
  b.U32(0x52010001);
  b.U32(0);
  b.U32(0);
  b.U32(0);
  b.U32(0);
  b.U32(0);
  b.U32(2);
  b.CountedBytes(swapped);
  std::vector<WindowDefinition> check;
  ASSERT_TRUE(ParseFormData(blob.data(), blob.size(), &check).ok);
  const std::string odd = tmp_ + "/odd.bin";
  std::ofstream(odd, std::ios::binary)
      .write(reinterpret_cast<const char*>(blob.data()), std::streamsize(blob.size()));
  r = Shell("'" + formc_ + "' --dump '" + odd + "' -o '" + tmp_ + "/d2'");
  EXPECT_NE(r.status, 0) << "a dump that could not give back the same bytes is refused";
  EXPECT_NE(r.output.find("one after the other"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace rc::forms

#endif  // _WIN32
