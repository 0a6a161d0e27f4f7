// Reading form data: layout, accessors, and refusal of every inconsistent or cut block.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "forms/form_table.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"
#include "tests/core/form_test_util.h"

namespace rc::forms {
namespace {

using testing::Block;
using testing::Parse;
using testing::Unit;
using testing::Window;
using testing::WindowUnit;

// A record that uses every field of a unit record.
RecordModel FullRecord() {
  RecordModel r = Unit(0x16010019, kTypeButton, "按钮1");
  r.event_source = 0x1601001A;
  r.geometry = {8, 168, 568, 168};
  r.parent = 0x16010020;
  r.children = {0x16010021, 0x16010022};
  r.cursor = {0x89, 0x7F, 0, 0};
  r.tag = "标记";
  r.state_flags = kStateVisible | kStateTabStop;
  r.bindings = {{0, 4}, {-1, -1}, {0, 8}};
  ButtonData data;
  data.caption = "轻触开始点名";
  r.type_data = WriteTypeDataAs(data);
  return r;
}

std::vector<WindowModel> RichForms() {
  RecordModel menu = Unit(0x2601002D, kTypeWindow, "菜单项");
  menu.menu_text = "打开";
  menu.menu_handler = 12;
  TimerData timer;
  timer.interval = 500;
  WindowModel second =
      Window(0x520100A4, {WindowUnit(0x060100A3), Unit(0x16010100, "时钟1", timer)});
  second.text1 = "一";
  second.text2 = "二";
  return {Window(0x52010001, {WindowUnit(), FullRecord(), menu}), second};
}

TEST(FormReaderTest, EmptyBlockHasNoWindows) {
  std::vector<WindowDefinition> windows;
  ASSERT_TRUE(ParseFormData(nullptr, 0, &windows).ok) << "form data of size 0 means no forms";
  EXPECT_TRUE(windows.empty());
}

TEST(FormReaderTest, IndexOfNoWindowsLoadsButIsNotTheWritersSpelling) {
  // The writer spells "no windows" as no bytes at all; a four-byte empty index must not be
  // taken for canonical, or a dump would not give the same bytes back.
  const uint8_t block[4] = {0, 0, 0, 0};
  std::vector<WindowModel> models;
  bool canonical = true;
  ASSERT_TRUE(ReadFormModel(block, sizeof block, &models, &canonical).ok);
  EXPECT_TRUE(models.empty());
  EXPECT_FALSE(canonical) << "an empty index must not round-trip through the writer as is";
}

TEST(FormReaderTest, WindowWithOnlyItsWindowUnitLoads) {
  WindowModel w = Window(0x52010010, {WindowUnit(0x06010011)});
  w.text1 = "甲";
  std::vector<WindowDefinition> windows;
  ASSERT_TRUE(Parse(Block({w}), &windows).ok);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].id(), 0x52010010u);
  EXPECT_EQ(windows[0].word_a(), 0x00008056u) << "word A is kept with the definition";
  EXPECT_EQ(windows[0].word_b(), 0x19010017u) << "word B is kept with the definition";
  EXPECT_EQ(windows[0].text1(), "甲");
  ASSERT_EQ(windows[0].units().count(), 1u) << "the window has no units besides itself";
  EXPECT_EQ(windows[0].units().id(0), 0x06010011u);
  EXPECT_EQ(windows[0].units().type_data(0).size, 0u);
}

TEST(FormReaderTest, WindowsKeepIndexOrderAndAreFoundById) {
  const Bytes block = Block(RichForms());
  FormTable table;
  const Routine routines[4] = {};
  ASSERT_TRUE(table.Load(block.data(), block.size(), {routines, 4}).ok);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at(0).id(), 0x52010001u);
  EXPECT_EQ(table.at(1).id(), 0x520100A4u);
  EXPECT_EQ(table.Find(0x520100A4), &table.at(1));
  EXPECT_EQ(table.Find(0x52010002), nullptr);
  EXPECT_EQ(table.at(1).text2(), "二");
}

TEST(FormReaderTest, RecordAccessorsReadEveryField) {
  std::vector<WindowDefinition> windows;
  ASSERT_TRUE(Parse(Block(RichForms()), &windows).ok);
  const UnitTable& t = windows[0].units();
  const RecordModel expected = FullRecord();
  ASSERT_EQ(t.Find(0x16010019), std::optional<size_t>(1));
  EXPECT_EQ(t.Find(0x16010099), std::nullopt);
  EXPECT_EQ(t.type_code(1), kTypeButton);
  EXPECT_EQ(t.event_source(1), 0x1601001Au);
  EXPECT_EQ(t.name(1), "按钮1");
  const Geometry g = t.geometry(1);
  EXPECT_EQ(std::vector<int32_t>({g.left, g.top, g.width, g.height}),
            std::vector<int32_t>({8, 168, 568, 168}));
  EXPECT_EQ(t.parent(1), 0x16010020u);
  EXPECT_EQ(t.children(1), expected.children);
  const ByteSpan cursor = t.cursor(1);
  EXPECT_EQ(Bytes(cursor.data, cursor.data + cursor.size), expected.cursor);
  EXPECT_EQ(t.tag(1), "标记");
  EXPECT_EQ(t.state_flags(1), kStateVisible | kStateTabStop);
  const std::vector<Binding> bindings = t.bindings(1);
  ASSERT_EQ(bindings.size(), 3u);
  EXPECT_EQ(bindings[1].event, -1);
  EXPECT_EQ(bindings[1].offset, -1) << "the stored offsets stay as stored";
  const ByteSpan td = t.type_data(1);
  EXPECT_EQ(Bytes(td.data, td.data + td.size), expected.type_data);
}

TEST(FormReaderTest, MenuItemRecordsUseTheShortLayout) {
  std::vector<WindowDefinition> windows;
  ASSERT_TRUE(Parse(Block(RichForms()), &windows).ok);
  const UnitTable& t = windows[0].units();
  ASSERT_TRUE(t.is_menu_item(2));
  EXPECT_EQ(t.name(2), "菜单项");
  EXPECT_EQ(t.menu_text(2), "打开");
  EXPECT_EQ(t.menu_handler(2), 12);
  EXPECT_TRUE(t.bindings(2).empty()) << "a menu item has no binding list, only its handler";
  EXPECT_EQ(t.type_data(2).size, 0u);
}

TEST(FormReaderTest, WindowTextWithEmbeddedNulReadsAsTheTextBeforeIt) {
  WindowModel w = Window(0x52010010, {WindowUnit()});
  w.text1 = std::string("前\0后", 5);
  std::vector<WindowDefinition> windows;
  ASSERT_TRUE(Parse(Block({w}), &windows).ok);
  EXPECT_EQ(windows[0].text1(), "前");
  EXPECT_EQ(windows[0].text1_stored(), w.text1) << "the stored bytes are kept for writing back";
}

TEST(FormReaderTest, BlockCutAtEveryLengthFailsCleanly) {
  const Bytes block = Block(RichForms());
  for (size_t n = 1; n < block.size(); ++n) {
    // An exactly sized copy, so that the sanitizers see any read past the cut.
    const Bytes cut(block.begin(), block.begin() + n);
    std::vector<WindowDefinition> windows;
    const LoadStatus status = Parse(cut, &windows);
    ASSERT_FALSE(status.ok) << "a block cut to " << n << " of " << block.size()
                            << " bytes must not load";
    EXPECT_STREQ(status.message(), kLoadErrorText);
    EXPECT_TRUE(windows.empty()) << "a failed load yields no windows";
  }
}

TEST(FormReaderTest, FailedLoadLeavesTheTableAsItWas) {
  const Bytes good = Block({Window(0x52010010, {WindowUnit()})});
  FormTable table;
  const Routine routines[1] = {};
  ASSERT_TRUE(table.Load(good.data(), good.size(), {routines, 1}).ok);
  const Bytes bad(good.begin(), good.end() - 1);
  EXPECT_FALSE(table.Load(bad.data(), bad.size(), {routines, 1}).ok);
  EXPECT_EQ(table.size(), 1u);
}

// Positions in a one-window block with empty window texts.
constexpr size_t kTableStart = 36;

size_t RecordDataPos(const Bytes& block, uint32_t count, size_t i) {
  const size_t offset = LoadU32(&block[kTableStart + count * 4 + i * 4]);
  return kTableStart + count * 8 + offset + 4;
}

struct Corruption {
  const char* rule;
  std::function<void(Bytes&, const UnitTable&)> apply;
};

TEST(FormReaderTest, InconsistentBlocksAreRefused) {
  // Window unit, a button with children, cursor and bindings, and a timer after it.
  TimerData timer;
  const WindowModel model =
      Window(0x52010001, {WindowUnit(), FullRecord(), Unit(0x16010030, "时钟1", timer)});
  const Bytes good = Block({model});
  std::vector<WindowDefinition> parsed;
  ASSERT_TRUE(Parse(good, &parsed).ok);
  const uint32_t n = 3;
  auto put = [](Bytes& b, size_t at, uint32_t v) { StoreU32(&b[at], v); };
  auto in_record = [&](size_t i, size_t field) { return RecordDataPos(good, n, i) + field; };

  const std::vector<Corruption> cases = {
      {"the index length is 8 x window count", [&](Bytes& b, const UnitTable&) { put(b, 0, 12); }},
      {"the index must fit in the block",
       [&](Bytes& b, const UnitTable&) { put(b, 0, 0x7FFFFFF8); }},
      {"a window needs its window unit", [&](Bytes& b, const UnitTable&) { put(b, 28, 0); }},
      {"ids and offsets of N records must fit in the table",
       [&](Bytes& b, const UnitTable&) { put(b, 28, 0x20000000); }},
      {"the table length must fit in the block",
       [&](Bytes& b, const UnitTable&) { put(b, 32, LoadU32(&b[32]) + 1); }},
      {"a record offset must lie inside the table",
       [&](Bytes& b, const UnitTable&) { put(b, kTableStart + n * 4 + 4, 0xFFFFFF00); }},
      {"a record length must end inside the table",
       [&](Bytes& b, const UnitTable&) {
         put(b, RecordDataPos(good, n, 2) - 4, LoadU32(&b[RecordDataPos(good, n, 2) - 4]) + 1);
       }},
      {"records must not share bytes",
       [&](Bytes& b, const UnitTable&) {
         put(b, kTableStart + n * 4 + 8, LoadU32(&b[kTableStart + n * 4 + 4]));
       }},
      {"the child count must fit in the record",
       [&](Bytes& b, const UnitTable& t) {
         put(b, in_record(1, t.layout(1).children), 0x40000000);
       }},
      {"the cursor length must fit in the record",
       [&](Bytes& b, const UnitTable& t) { put(b, in_record(1, t.layout(1).cursor), 0x1000); }},
      {"the binding count must fit in the record",
       [&](Bytes& b, const UnitTable& t) {
         put(b, in_record(1, t.layout(1).bindings), 0xFFFFFFFF);
       }},
      {"a zero-ended text must end inside the record",
       [&](Bytes& b, const UnitTable& t) {
         // The timer's record: overwrite every NUL from its name to its end.
         const size_t start = in_record(2, t.layout(2).name);
         const size_t end = RecordDataPos(good, n, 2) + t.record(2).size;
         for (size_t k = start; k < end; ++k) b[k] = b[k] ? b[k] : 'x';
       }},
      {"record 0 is the window unit",
       [&](Bytes& b, const UnitTable&) { put(b, kTableStart, 0x16010000); }},
      {"record 0 has the window type",
       [&](Bytes& b, const UnitTable&) { put(b, RecordDataPos(good, n, 0), kTypeTimer); }},
  };
  for (const Corruption& c : cases) {
    Bytes bad = good;
    c.apply(bad, parsed[0].units());
    std::vector<WindowDefinition> windows;
    const LoadStatus status = Parse(bad, &windows);
    EXPECT_FALSE(status.ok) << c.rule;
    EXPECT_STREQ(status.message(), kLoadErrorText) << c.rule;
  }

  Bytes trailing = good;
  trailing.push_back(0);
  std::vector<WindowDefinition> windows;
  EXPECT_FALSE(Parse(trailing, &windows).ok)
      << "the last window definition ends exactly at the end of the block";
}

TEST(FormReaderTest, PlaceholdersAndSlotsAreIgnoredOnInput) {
  WindowModel w = Window(0x52010001, {WindowUnit(), FullRecord()});
  w.placeholder = 0xDEADBEEF;
  w.records[1].object_slot = 0x1234;
  w.records[1].cursor_slot = 0x5678;
  FormTable table;
  const Routine routines[3] = {};
  const Bytes block = Block({w});
  ASSERT_TRUE(table.Load(block.data(), block.size(), {routines, 3}).ok);
  EXPECT_EQ(table.at(0).object_slot(1), 0u) << "no unit object exists before the window loads";
  EXPECT_EQ(table.at(0).cursor_slot(1), 0u);
}

}  // namespace
}  // namespace rc::forms
