// Typed type data of the unit types: defaults, versions, refusals, the lists of stored fields,
// and the font record.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "forms/type_data.h"

namespace rc::forms {
namespace {

template <class T>
TypeDataStatus ParseBytes(const Bytes& b, T* out) {
  return ParseTypeDataAs(b.data(), b.size(), out);
}

TEST(TypeDataTest, NoTypeDataGivesTheTypeDefaults) {
  TimerData timer;
  timer.interval = 99;
  ASSERT_EQ(ParseTypeDataAs(nullptr, 0, &timer), TypeDataStatus::kOk);
  EXPECT_EQ(timer.interval, 0) << "a record that ends after its reserved fields has defaults";
  GroupBoxData group;
  group.caption = "x";
  ASSERT_EQ(ParseTypeDataAs(nullptr, 0, &group), TypeDataStatus::kOk);
  EXPECT_EQ(group.caption, "");
  EXPECT_TRUE(group.font.empty()) << "no font record: the system's default GUI font";
  TransLabelData label;
  ASSERT_EQ(ParseTypeDataAs(nullptr, 0, &label), TypeDataStatus::kOk);
  EXPECT_EQ(label.caption, "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9") << "\"透明标签\" in GBK";
  EXPECT_EQ(label.vertical_alignment, 1);
}

TEST(TypeDataTest, EditBoxTextsTwentySevenAndTwentyEightComeWithVersionTwo) {
  EditBoxData v2;
  v2.content = "0";
  v2.data_binding_1 = "甲";
  v2.data_binding_2 = "乙";
  EditBoxData v1 = v2;
  v1.version = 1;
  const Bytes b1 = WriteTypeDataAs(v1);
  const Bytes b2 = WriteTypeDataAs(v2);
  EXPECT_EQ(b2.size(), b1.size() + 4 + v2.data_binding_1.size() + 4 + v2.data_binding_2.size())
      << "version 2 adds two counted texts";
  EditBoxData r1, r2;
  ASSERT_EQ(ParseBytes(b1, &r1), TypeDataStatus::kOk);
  ASSERT_EQ(ParseBytes(b2, &r2), TypeDataStatus::kOk);
  EXPECT_EQ(r1.data_binding_1, "") << "version 1 stores no text 27";
  EXPECT_EQ(r2.data_binding_1, "甲");
  EXPECT_EQ(r2.data_binding_2, "乙");
  EXPECT_EQ(r1.content, "0");
}

TEST(TypeDataTest, WindowClassNameComesWithVersionSix) {
  WindowData v6;
  v6.class_name = "MyClass";
  v6.title = "标题";
  WindowData v5 = v6;
  v5.version = 5;
  WindowData r5, r6;
  ASSERT_EQ(ParseBytes(WriteTypeDataAs(v5), &r5), TypeDataStatus::kOk);
  ASSERT_EQ(ParseBytes(WriteTypeDataAs(v6), &r6), TypeDataStatus::kOk);
  EXPECT_EQ(r6.class_name, "MyClass");
  EXPECT_EQ(r5.class_name, "") << "version 5 stores no class name";
  EXPECT_EQ(r5.title, "标题") << "the fields after the class name still line up";
  EXPECT_EQ(r6.title, "标题");
}

TEST(TypeDataTest, WindowFieldsAddedVersionByVersion) {
  // Version: number of dwords stored between help context and the counted fields.
  const size_t dwords[] = {0, 0, 1, 3, 4, 5};
  WindowData base;
  base.version = 0;
  const size_t size0 = WriteTypeDataAs(base).size();
  for (uint32_t v = 0; v <= 5; ++v) {
    WindowData d;
    d.version = v;
    EXPECT_EQ(WriteTypeDataAs(d).size(), size0 + 4 * dwords[v]) << "window version " << v;
  }
}

TEST(TypeDataTest, TextWithEmbeddedNulReadsAsTheTextBeforeIt) {
  ButtonData button;
  button.caption = std::string("开始\0垃圾", 10);
  ButtonData read;
  ASSERT_EQ(ParseBytes(WriteTypeDataAs(button), &read), TypeDataStatus::kOk);
  EXPECT_EQ(read.caption, "开始");
}

// Every unit type with type data refuses a version above its maximum and data that ends
// before its fields do; its maximum version reads back what was written.
TEST(TypeDataTest, EveryTypeRefusesTooHighVersionsAndShortData) {
  const uint32_t codes[] = {kTypeWindow,     kTypeEditBox, kTypePicBox,     kTypeGroupBox,
                            kTypeLabel,      kTypeButton,  kTypeRadioBox,   kTypeVScrollBar,
                            kTypeProcessBar, kTypeTimer,   kTypeTransLabel, kTypeSuperBtn,
                            kTypeSplitterBar};
  for (uint32_t code : codes) {
    const TypeInfo* info = FindTypeInfo(code);
    ASSERT_NE(info, nullptr);
    TypeData data;
    ASSERT_TRUE(MakeTypeData(code, &data));
    const Bytes written = WriteTypeData(data);

    TypeData read;
    EXPECT_EQ(ParseTypeData(code, written.data(), written.size(), &read), TypeDataStatus::kOk)
        << info->name;
    EXPECT_EQ(WriteTypeData(read), written) << info->name << " reads back what it wrote";

    Bytes too_new = written;
    StoreU32(too_new.data(), info->max_version + 1);
    EXPECT_EQ(ParseTypeData(code, too_new.data(), too_new.size(), &read),
              TypeDataStatus::kVersionTooHigh)
        << info->name << " refuses version " << info->max_version + 1;

    for (size_t n = 1; n < written.size(); ++n) {
      ASSERT_EQ(ParseTypeData(code, written.data(), n, &read), TypeDataStatus::kTruncated)
          << info->name << " type data cut to " << n << " bytes must be refused";
    }
  }
}

TEST(TypeDataTest, VolumeUnitIgnoresTypeData) {
  const Bytes junk = {1, 2, 3};
  TypeData read;
  EXPECT_EQ(ParseTypeData(kTypeSysVolume, junk.data(), junk.size(), &read), TypeDataStatus::kOk);
  EXPECT_TRUE(WriteTypeData(read).empty());
  EXPECT_EQ(ParseTypeData(0x00050007, junk.data(), junk.size(), &read),
            TypeDataStatus::kUnknownType);
}

TEST(TypeDataTest, CountedFieldsAreFoundByProperty) {
  SuperBtnData btn;
  btn.caption = "皮肤";
  btn.picture3 = {1, 2, 3};
  const Bytes b = WriteTypeDataAs(btn);
  const std::optional<size_t> caption = FindCountedField(kTypeSuperBtn, b.data(), b.size(), 22);
  ASSERT_TRUE(caption.has_value());
  ASSERT_EQ(LoadU32(&b[*caption]), btn.caption.size());
  EXPECT_EQ(std::string(b.begin() + *caption + 4, b.begin() + *caption + 4 + btn.caption.size()),
            btn.caption);
  const std::optional<size_t> pic3 = FindCountedField(kTypeSuperBtn, b.data(), b.size(), 19);
  ASSERT_TRUE(pic3.has_value());
  EXPECT_EQ(*pic3 + 4 + 3, b.size()) << "picture 3 is the last field of version 2";
  EXPECT_FALSE(FindCountedField(kTypeSuperBtn, b.data(), b.size(), 8)) << "8 is a dword";

  btn.version = 1;
  const Bytes v1 = WriteTypeDataAs(btn);
  EXPECT_FALSE(FindCountedField(kTypeSuperBtn, v1.data(), v1.size(), 19))
      << "version 1 stores no picture 3";
}

// Each type's own properties in index order, from forms/props/<type>.h.
template <class Data>
struct OwnOf;
#define RC_OWN_OF(Data, ns)                              \
  template <>                                            \
  struct OwnOf<Data> {                                   \
    static constexpr const auto& kOwn = props::ns::kOwn; \
  }
RC_OWN_OF(WindowData, window);
RC_OWN_OF(EditBoxData, edit_box);
RC_OWN_OF(PicBoxData, pic_box);
RC_OWN_OF(GroupBoxData, group_box);
RC_OWN_OF(LabelData, label);
RC_OWN_OF(ButtonData, button);
RC_OWN_OF(RadioBoxData, radio_box);
RC_OWN_OF(VScrollBarData, vscroll_bar);
RC_OWN_OF(ProcessBarData, process_bar);
RC_OWN_OF(TimerData, timer);
RC_OWN_OF(TransLabelData, trans_label);
RC_OWN_OF(SuperBtnData, super_btn);
RC_OWN_OF(SplitterBarData, splitter_bar);
#undef RC_OWN_OF

template <class Data>
void ExpectDeclaredOnce() {
  SCOPED_TRACE(Data::kName);
  std::set<int> indexes;
  std::set<std::string> names;
  ForEachField(Data::Fields(), [&](const auto& f) {
    const props::Property& p = f.property;
    EXPECT_TRUE(indexes.insert(p.index).second) << p.name << " is stored once";
    EXPECT_TRUE(names.insert(p.name).second) << p.name << " names one field";
    const auto& own = OwnOf<Data>::kOwn;
    const size_t at = size_t(p.index - props::kFirstOwn);
    ASSERT_LT(at, sizeof own / sizeof own[0]) << p.name << " is a declared property";
    EXPECT_STREQ(own[at].name, p.name) << "the stored field has the property's one name";
    EXPECT_EQ(own[at].kind, p.kind);
    EXPECT_LE(f.since, Data::kMaxVersion) << p.name << " comes with a version read";
  });
}

TEST(StoredFieldsTest, EveryStoredFieldIsADeclaredPropertyListedOnceUnderItsName) {
  ExpectDeclaredOnce<WindowData>();
  ExpectDeclaredOnce<EditBoxData>();
  ExpectDeclaredOnce<PicBoxData>();
  ExpectDeclaredOnce<GroupBoxData>();
  ExpectDeclaredOnce<LabelData>();
  ExpectDeclaredOnce<ButtonData>();
  ExpectDeclaredOnce<RadioBoxData>();
  ExpectDeclaredOnce<VScrollBarData>();
  ExpectDeclaredOnce<ProcessBarData>();
  ExpectDeclaredOnce<TimerData>();
  ExpectDeclaredOnce<TransLabelData>();
  ExpectDeclaredOnce<SuperBtnData>();
  ExpectDeclaredOnce<SplitterBarData>();
}

TEST(StoredFieldsTest, CreationFitsStoredNumbersAsWritesDo) {
  struct Case {
    Range range;
    int32_t stored, fitted;
  };
  const Case cases[] = {
      {Between(0, 2), -1, 0}, {Between(0, 2), 7, 2},
      {Between(0, 2), 1, 1},  {kFlag, 5, 1},
      {kFlag, -3, 1},         {kFlag, 0, 0},
      {AtLeast(5), 2, 5},     {kAnyValue, INT32_MIN, INT32_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.range.Fit(c.stored), c.fitted) << c.stored << " fits to " << c.fitted;
  }
  ButtonData button;
  button.button_type = 9;
  button.horizontal_alignment = -4;
  ProcessBarData bar;
  bar.maximum = 40000;
  bar.position = -1;
  FitStored(&button);
  FitStored(&bar);
  EXPECT_EQ(button.button_type, 1) << "the button types are 0 and 1";
  EXPECT_EQ(button.horizontal_alignment, 0);
  EXPECT_EQ(bar.maximum, props::process_bar::kLimit);
  EXPECT_EQ(bar.position, 0);
}

TEST(FontRecordTest, LayoutOfTheSixtyBytes) {
  FontRecord f;
  f.height = -56;
  f.weight = 700;
  f.italic = 1;
  f.underline = 1;
  f.char_set = 134;
  f.face = "方正舒体";
  const Bytes b = WriteFontRecord(f);
  ASSERT_EQ(b.size(), kFontRecordSize);
  EXPECT_EQ(int32_t(LoadU32(&b[0])), -56);
  EXPECT_EQ(LoadU32(&b[16]), 700u);
  EXPECT_EQ(b[20], 1) << "italic";
  EXPECT_EQ(b[21], 1) << "underline";
  EXPECT_EQ(b[23], 134) << "char set";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[28])), "方正舒体");
  FontRecord back;
  ASSERT_TRUE(ParseFontRecord(b, &back));
  EXPECT_EQ(back.face, f.face);
  EXPECT_EQ(back.height, -56);

  Bytes unterminated = b;
  for (size_t i = 28; i < 60; ++i) unterminated[i] = 'A';
  ASSERT_TRUE(ParseFontRecord(unterminated, &back));
  EXPECT_EQ(back.face.size(), 31u) << "a face without NUL ends at 31 bytes";
  EXPECT_FALSE(ParseFontRecord(Bytes(59), &back)) << "a font record is 60 bytes";
}

}  // namespace
}  // namespace rc::forms
