// The loaded window definitions: handler binding, the saved copy of a unit table, and
// in-place edits of records.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/routines.h"
#include "forms/form_table.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"
#include "tests/core/form_test_util.h"

namespace rc::forms {
namespace {

using testing::Block;
using testing::Unit;
using testing::Window;
using testing::WindowUnit;

void First(HandlerCall& call) {
  call.Return(1);
}
void Second(HandlerCall& call) {
  call.Return(2);
}
void Third(HandlerCall& call) {
  call.Return(3);
}
const Routine kRoutines[] = {First, Second, Third};
const RoutineTable kTable = {kRoutines, 3};

uint64_t CallResult(const Routine* slot) {
  HandlerCall call;
  (*slot)(call);
  return call.result;
}

LoadStatus LoadOne(FormTable* table, std::vector<RecordModel> records) {
  const Bytes block = Block({Window(0x52010001, std::move(records))});
  return table->Load(block.data(), block.size(), kTable);
}

TEST(FormBindingTest, OffsetsBecomeRoutinesOfTheTable) {
  RecordModel timer = Unit(0x16010019, kTypeTimer, "时钟_限制快速点击");
  timer.bindings = {{0, RoutineOffset(0)}};
  RecordModel edit = Unit(0x1601001A, kTypeEditBox, "编辑框1");
  edit.bindings = {{-1, RoutineOffset(2)}, {0, kNoHandlerOffset}, {0, RoutineOffset(1)}};
  RecordModel window = WindowUnit();
  window.bindings = {{0, RoutineOffset(1)}, {2, RoutineOffset(2)}};
  FormTable table;
  ASSERT_TRUE(LoadOne(&table, {window, timer, edit}).ok);
  const WindowDefinition& w = table.at(0);

  ASSERT_NE(w.handler(1, 0), nullptr) << "offset 0 is the application's first routine";
  EXPECT_EQ(w.handler(1, 0), &kRoutines[0]) << "the bound handler is the routine's table slot";
  EXPECT_EQ(CallResult(w.handler(1, 0)), 1u);
  EXPECT_EQ(CallResult(w.handler(0, 2)), 3u);
  EXPECT_EQ(CallResult(w.handler(2, -1)), 3u);
  EXPECT_EQ(w.handler(2, 0), nullptr)
      << "the first binding of an event wins, and offset -1 means no handler";
  EXPECT_EQ(w.handler(1, 1), nullptr) << "an event without binding has no handler";
  EXPECT_EQ(w.handler(7, 0), nullptr) << "no record, no handler";
}

TEST(FormBindingTest, OnX86TheSlotIsCodeBasePlusOffset) {
  RecordModel timer = Unit(0x16010019, kTypeTimer, "时钟1");
  timer.bindings = {{0, RoutineOffset(2)}};
  FormTable table;
  ASSERT_TRUE(LoadOne(&table, {WindowUnit(), timer}).ok);
  const uintptr_t base = reinterpret_cast<uintptr_t>(kRoutines);
  const uintptr_t slot = reinterpret_cast<uintptr_t>(table.at(0).handler(1, 0));
  EXPECT_EQ(slot - base, 2 * sizeof(Routine));
  if (sizeof(Routine) == 4) {
    EXPECT_EQ(slot, base + RoutineOffset(2)) << "on x86 the handler is code base + offset";
  }
}

TEST(FormBindingTest, OffsetsOutsideTheRoutineTableAreRefused) {
  struct Case {
    int32_t offset;
    const char* rule;
  };
  const Case cases[] = {
      {RoutineOffset(3), "an offset past the last routine is no routine"},
      {6, "an offset inside a slot is no routine"},
      {-8, "a negative offset other than -1 is no routine"},
  };
  for (const Case& c : cases) {
    RecordModel timer = Unit(0x16010019, kTypeTimer, "时钟1");
    timer.bindings = {{0, c.offset}};
    FormTable table;
    const LoadStatus status = LoadOne(&table, {WindowUnit(), timer});
    EXPECT_FALSE(status.ok) << c.rule;
    EXPECT_STREQ(status.message(), kLoadErrorText) << c.rule;
    EXPECT_EQ(table.size(), 0u) << c.rule;
  }
}

TEST(FormBindingTest, MenuItemHasItsSingleHandler) {
  RecordModel menu = Unit(0x26010030, kTypeWindow, "菜单1");
  menu.menu_handler = RoutineOffset(1);
  RecordModel none = Unit(0x26010031, kTypeWindow, "菜单2");
  FormTable table;
  ASSERT_TRUE(LoadOne(&table, {WindowUnit(), menu, none}).ok);
  EXPECT_EQ(table.at(0).handler(1, 0), &kRoutines[1]);
  EXPECT_EQ(table.at(0).handler(2, 0), nullptr) << "a menu item bound to -1 has no handler";
}

// A window of records whose later records must survive edits of earlier ones.
std::vector<RecordModel> ThreeLabels() {
  std::vector<RecordModel> records = {WindowUnit()};
  for (uint32_t i = 0; i < 3; ++i) {
    LabelData label;
    label.caption = "标签" + std::to_string(i);
    RecordModel r = Unit(0x16010040 + i, "标签" + std::to_string(i), label);
    r.geometry = {int32_t(i), 2, 3, 4};
    r.tag = "t";
    r.bindings = {{0, RoutineOffset(i)}};
    records.push_back(r);
  }
  return records;
}

// Every record reads back as the model says after an edit of record `edited`.
void ExpectRecordsIntact(const UnitTable& t, const std::vector<RecordModel>& expected,
                         const char* edit) {
  ASSERT_EQ(t.count(), expected.size()) << edit;
  for (size_t i = 0; i < expected.size(); ++i) {
    const RecordModel got = ReadRecordModel(t, i);
    EXPECT_EQ(WriteRecordData(got), WriteRecordData(expected[i]))
        << "after " << edit << ", record " << i << " must still read as written";
  }
  EXPECT_TRUE(IsCanonicalLayout(t)) << "after " << edit << ", records stay back to back";
}

TEST(FormEditTest, VariableLengthEditsMoveLaterRecords) {
  struct Edit {
    const char* name;
    std::function<bool(UnitTable&)> apply;
    std::function<void(RecordModel&)> expect;
  };
  const Bytes cursor(300, 0xCC);
  const Bytes picture(1000, 0xAB);
  const std::vector<Edit> edits = {
      {"a longer tag", [](UnitTable& t) { return t.SetTag(1, "一个更长的标记文本"); },
       [](RecordModel& r) { r.tag = "一个更长的标记文本"; }},
      {"an empty tag", [](UnitTable& t) { return t.SetTag(1, ""); },
       [](RecordModel& r) { r.tag = ""; }},
      {"a tag with a NUL, cut there",
       [](UnitTable& t) { return t.SetTag(1, std::string_view("ab\0cd", 5)); },
       [](RecordModel& r) { r.tag = "ab"; }},
      {"cursor bytes", [&](UnitTable& t) { return t.SetCursor(1, cursor.data(), cursor.size()); },
       [&](RecordModel& r) { r.cursor = cursor; }},
      {"a longer caption inside the type data",
       [](UnitTable& t) {
         const std::string caption = "很长很长的标题";
         return t.ReplaceTypeDataField(1, 8, reinterpret_cast<const uint8_t*>(caption.data()),
                                       caption.size());
       },
       [](RecordModel& r) {
         LabelData label;
         ParseTypeDataAs(r.type_data.data(), r.type_data.size(), &label);
         label.caption = "很长很长的标题";
         r.type_data = WriteTypeDataAs(label);
       }},
      {"a picture inside the type data",
       [&](UnitTable& t) { return t.ReplaceTypeDataField(1, 18, picture.data(), picture.size()); },
       [&](RecordModel& r) {
         LabelData label;
         ParseTypeDataAs(r.type_data.data(), r.type_data.size(), &label);
         label.background_picture = picture;
         r.type_data = WriteTypeDataAs(label);
       }},
      {"no type data at all", [](UnitTable& t) { return t.SetTypeData(1, nullptr, 0); },
       [](RecordModel& r) { r.type_data.clear(); }},
  };
  for (const Edit& e : edits) {
    std::vector<RecordModel> records = ThreeLabels();
    FormTable table;
    ASSERT_TRUE(LoadOne(&table, records).ok);
    UnitTable& t = table.at(0).units();
    ASSERT_TRUE(e.apply(t)) << e.name;
    e.expect(records[1]);
    ExpectRecordsIntact(t, records, e.name);
    EXPECT_EQ(table.at(0).handler(3, 0), &kRoutines[2]) << "bindings stay bound after " << e.name;
  }
}

TEST(FormEditTest, FixedFieldsAreWrittenInPlace) {
  std::vector<RecordModel> records = ThreeLabels();
  FormTable table;
  ASSERT_TRUE(LoadOne(&table, records).ok);
  UnitTable& t = table.at(0).units();
  t.set_geometry(2, {-5, 6, 70, 80});
  t.set_state_flags(2, kStateDisabled);
  records[2].geometry = {-5, 6, 70, 80};
  records[2].state_flags = kStateDisabled;
  ExpectRecordsIntact(t, records, "geometry and state writes");
}

TEST(FormEditTest, FieldsARecordDoesNotHaveAreNotReplaced) {
  std::vector<RecordModel> records = ThreeLabels();
  records[2].type_data.clear();
  FormTable table;
  ASSERT_TRUE(LoadOne(&table, records).ok);
  UnitTable& t = table.at(0).units();
  const uint8_t text[] = {'x'};
  EXPECT_FALSE(t.ReplaceTypeDataField(2, 8, text, 1)) << "no type data, no caption field in it";
  EXPECT_FALSE(t.ReplaceTypeDataField(1, 9, text, 1)) << "property 9 is a dword, not counted";
  EXPECT_FALSE(t.SetTag(9, "x")) << "no record 9";
  ExpectRecordsIntact(t, records, "refused edits");
}

TEST(FormSavedCopyTest, DestroyedWindowReturnsToTheStateOfItsLoad) {
  FormTable table;
  ASSERT_TRUE(LoadOne(&table, ThreeLabels()).ok);
  WindowDefinition& w = table.at(0);
  UnitTable& t = w.units();

  t.SetTag(1, "before load");  // written while the window is not loaded: kept
  w.SaveUnits();
  w.set_object_slot(1, 0x1234);
  t.SetTag(1, "while loaded");
  t.set_geometry(2, {9, 9, 9, 9});
  w.RestoreUnits();

  EXPECT_EQ(w.units().tag(1), "before load");
  EXPECT_EQ(w.units().geometry(2).left, 1) << "writes made while loaded are forgotten";
  EXPECT_EQ(w.object_slot(1), 0u) << "the destroyed window's unit objects are gone";
  EXPECT_FALSE(w.has_saved_units());

  w.SaveUnits();
  t.SetTag(1, "second load");
  w.RestoreUnits();
  EXPECT_EQ(w.units().tag(1), "before load") << "each load starts from the same state";

  w.SaveUnits();
  w.DropSavedUnits();
  w.units().SetTag(1, "failed load");
  w.RestoreUnits();
  EXPECT_EQ(w.units().tag(1), "failed load") << "without a saved copy nothing is put back";
}

}  // namespace
}  // namespace rc::forms
