// Fonts made from stored LOGFONTA records, and the element rules of the font property.
#include <cstring>

#include "base/text_w.h"
#include "runtime/draw/font.h"
#include "tests/win/draw_support.h"

namespace rc::draw::test {
namespace {

const wchar_t kSongTi[] = L"\u5B8B\u4F53";  // the face "宋体"

LOGFONTA Record(const char* face, LONG height = -20) {
  LOGFONTA f = {};
  f.lfHeight = height;
  f.lfWeight = FW_NORMAL;
  f.lfCharSet = GB2312_CHARSET;
  f.lfOutPrecision = OUT_TT_PRECIS;
  f.lfClipPrecision = CLIP_STROKE_PRECIS;
  f.lfQuality = CLEARTYPE_QUALITY;
  f.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  strncpy(f.lfFaceName, face, LF_FACESIZE - 1);
  return f;
}

LOGFONTW Created(const Font& font) {
  LOGFONTW w = {};
  EXPECT_EQ(GetObjectW(font.handle(), sizeof(w), &w), int(sizeof(w)));
  return w;
}

TEST(DrawFont, StoredRecordIsCreatedWithTheReplacements) {
  Font font = Font::FromRecord(Record("Arial"));
  ASSERT_FALSE(font.is_default());
  LOGFONTW w = Created(font);
  EXPECT_EQ(w.lfCharSet, 1) << "character set becomes DEFAULT_CHARSET";
  EXPECT_EQ(w.lfOutPrecision, 0);
  EXPECT_EQ(w.lfClipPrecision, 0);
  EXPECT_EQ(w.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(w.lfPitchAndFamily, 0);
  EXPECT_EQ(w.lfHeight, -20) << "other fields are kept";
  EXPECT_STREQ(w.lfFaceName, L"Arial");
}

TEST(DrawFont, ChineseFaceNameIsConvertedFromGbk) {
  LOGFONTW w = Created(Font::FromRecord(Record("宋体")));
  EXPECT_STREQ(w.lfFaceName, kSongTi);
}

TEST(DrawFont, EmptyFaceNameIsPassedAsItIs) {
  LOGFONTW w = Created(Font::FromRecord(Record("")));
  EXPECT_STREQ(w.lfFaceName, L"");
}

TEST(DrawFont, NoStoredRecordGivesTheDefaultGuiFont) {
  const HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  uint8_t short_record[59] = {};
  EXPECT_EQ(Font::FromStored(nullptr, 0).handle(), stock);
  EXPECT_EQ(Font::FromStored(short_record, sizeof short_record).handle(), stock)
      << "a record shorter than a LOGFONTA is no font";
  EXPECT_EQ(Font().handle(), stock);
  LOGFONTA stored = Record("Arial");
  EXPECT_NE(Font::FromStored(reinterpret_cast<uint8_t*>(&stored), sizeof stored).handle(), stock);
}

TEST(DrawFont, CopiesShareOneHandleThatTheLastOneDeletes) {
  HFONT handle;
  {
    Font first = Font::FromRecord(Record("Arial"));
    handle = first.handle();
    {
      Font copy = first;
      EXPECT_EQ(copy.handle(), handle) << "a copy must not create another font";
    }
    EXPECT_EQ(GetObjectType(handle), DWORD(OBJ_FONT)) << "still used by the first";
  }
  EXPECT_EQ(GetObjectType(handle), 0u) << "the last holder deletes the font";
}

// Text takes the room Windows gives it (Chinese Windows at 96 DPI), figures from the faces'
// published advance widths: Arial's digits 1139/2048 em, Times New Roman's 1024/2048, Courier
// New's 1229/2048; 宋体 and 黑体 half an em for a Latin letter and a whole one for a Chinese
// character. The plain face (no name) and the default GUI font are 宋体 there.
TEST(DrawFont, TextTakesTheRoomItTakesOnWindows) {
  struct Row {
    const char* face;  // nullptr: the default GUI font
    LONG height;
    int digits, chinese;  // extents of "0123456789" and "点名"; 0: not checked
  };
  const Row rows[] = {
      {"Arial", -16, 90, 0},        {"Times New Roman", -16, 80, 0},
      {"Courier New", -16, 100, 0}, {"宋体", -16, 80, 32},
      {"黑体", -16, 80, 32},        {"", -16, 80, 32},
      {"", -96, 480, 192},          {nullptr, 0, 60, 24},
  };
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  for (const Row& row : rows) {
    const Font font = row.face ? Font::FromRecord(Record(row.face, row.height)) : Font();
    HGDIOBJ old = SelectObject(dc, font.handle());
    SIZE digits = {}, chinese = {};
    GetTextExtentPoint32W(dc, L"0123456789", 10, &digits);
    GetTextExtentPoint32W(dc, L"\u70B9\u540D", 2, &chinese);
    SelectObject(dc, old);
    const char* name = row.face ? row.face : "(default GUI font)";
    EXPECT_EQ(digits.cx, row.digits)
        << name << " " << row.height << ": digits as wide as on Windows";
    if (row.chinese) {
      EXPECT_EQ(chinese.cx, row.chinese) << name << " " << row.height << ": a character an em";
    }
  }
  DeleteDC(dc);
}

TEST(DrawFontElements, WritesThenReadsGiveTheRuleValues) {
  const struct {
    int element;
    int32_t written, read;
    const char* rule;
  } cases[] = {
      {kFontAngle, 450, 450, "angle in tenths of a degree"},
      {kFontAngle, 3600, 0, "angle modulo 3600"},
      {kFontAngle, 7325, 125, "angle modulo 3600"},
      {kFontAngle, -100, 3500, "negative angles count back from 3600"},
      {kFontBold, 1, 1, "bold"},
      {kFontBold, 5, 1, "any non-zero is bold"},
      {kFontBold, 0, 0, "not bold"},
      {kFontItalic, 1, 1, "italic"},
      {kFontStrikeOut, 1, 1, "strikeout"},
      {kFontUnderline, 1, 1, "underline"},
      {kFontUnderline, 0, 0, "no underline"},
      {kFontSize, 24, 24, "size in pixels"},
  };
  const LOGFONTA base = Record("Arial", -12);
  for (const auto& c : cases) {
    LOGFONTA f = WriteFontNumber(base, c.element, c.written);
    EXPECT_EQ(ReadFontNumber(f, c.element), c.read) << c.rule << ", wrote " << c.written;
    EXPECT_STREQ(f.lfFaceName, "Arial") << "writing one field keeps the others";
  }
}

TEST(DrawFontElements, FieldsLandWhereGdiReadsThem) {
  LOGFONTA f = WriteFontNumber(Record("Arial"), kFontAngle, 3725);
  EXPECT_EQ(f.lfEscapement, 125);
  EXPECT_EQ(f.lfOrientation, 125) << "angle goes into escapement and orientation";
  EXPECT_EQ(WriteFontNumber(f, kFontBold, 1).lfWeight, 700);
  EXPECT_EQ(WriteFontNumber(f, kFontBold, 0).lfWeight, 0);
  EXPECT_EQ(WriteFontNumber(f, kFontSize, 30).lfHeight, -30) << "character height";
  f.lfHeight = 18;  // a cell height, as some stored records have
  EXPECT_EQ(ReadFontNumber(f, kFontSize), 18);
  f.lfHeight = INT32_MIN;
  EXPECT_GT(ReadFontNumber(f, kFontSize), 0) << "no overflow on stored extremes";
}

TEST(DrawFontElements, FaceNameEmptyOrTooLongBecomesSongTi) {
  const std::string song = Gbk(kSongTi);
  const LOGFONTA base = Record("Arial");
  const std::string len31(31, 'x'), len32(32, 'x');
  EXPECT_EQ(ReadFontFaceName(WriteFontFaceName(base, "Tahoma")), "Tahoma");
  EXPECT_EQ(ReadFontFaceName(WriteFontFaceName(base, "")), song);
  EXPECT_EQ(ReadFontFaceName(WriteFontFaceName(base, nullptr)), song);
  EXPECT_EQ(ReadFontFaceName(WriteFontFaceName(base, len31.c_str())), len31) << "31 bytes fit";
  EXPECT_EQ(ReadFontFaceName(WriteFontFaceName(base, len32.c_str())), song);
  LOGFONTA shorter = WriteFontFaceName(WriteFontFaceName(base, len31.c_str()), "Arial");
  EXPECT_EQ(0, memcmp(shorter.lfFaceName + 5, std::string(27, '\0').data(), 27))
      << "no bytes of the longer old name are left behind";
}

TEST(DrawFontElements, WholeRecordRoundTripsThroughItsBlock) {
  LOGFONTA f = Record("宋体", -16);
  f.lfWidth = 7;
  f = WriteFontNumber(f, kFontAngle, 900);
  f = WriteFontNumber(f, kFontItalic, 1);
  f = WriteFontNumber(f, kFontBold, 1);
  uint8_t block[kFontFieldsSize];
  PackFontFields(ReadFontFields(f), block);
  FontFields back;
  ASSERT_TRUE(UnpackFontFields(block, sizeof block, &back));
  EXPECT_EQ(back.angle, 900);
  EXPECT_EQ(back.bold, 1);
  EXPECT_EQ(back.italic, 1);
  EXPECT_EQ(back.underline, 0);
  EXPECT_EQ(back.size, 16);
  EXPECT_STREQ(back.face_name, "宋体");

  LOGFONTA again = WriteFontFields(f, back);
  EXPECT_EQ(memcmp(&again, &f, sizeof f), 0)
      << "reading the whole record and writing it back changes nothing";
  LOGFONTA other = Record("Arial");
  other.lfWidth = 3;
  LOGFONTA written = WriteFontFields(other, back);
  EXPECT_EQ(written.lfWidth, 3) << "fields outside the block are kept from the current font";
  EXPECT_EQ(written.lfEscapement, 900);
  EXPECT_STREQ(written.lfFaceName, "宋体");
  EXPECT_FALSE(UnpackFontFields(block, kFontFieldsSize - 1, &back)) << "short block";
}

TEST(DrawFontElements, WritingStartsFromTheDefaultGuiFontWhenThereIsNone) {
  LOGFONTW stock = {};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
  LOGFONTA current = CurrentFontRecord(nullptr, 0);
  EXPECT_EQ(current.lfHeight, stock.lfHeight);
  EXPECT_EQ(ReadFontFaceName(current), Gbk(stock.lfFaceName));
  LOGFONTA bold = WriteFontNumber(current, kFontBold, 1);
  EXPECT_EQ(bold.lfHeight, stock.lfHeight) << "only the written field changes";
}

}  // namespace
}  // namespace rc::draw::test
