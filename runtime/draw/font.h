// Fonts of units: the stored 60-byte LOGFONTA record, the HFONT made from it, and the rules of
// the font property (kind 1013), whose value is the whole record or one field of it.
//
// Element indexes of a font property value:
//   -1  the whole record, as a 56-byte block (FontFields, little-endian):
//         offset  0  int32 angle      tenths of a degree, 0..3599
//         offset  4  int32 bold       1 or 0
//         offset  8  int32 italic     1 or 0
//         offset 12  int32 strikeout  1 or 0
//         offset 16  int32 underline  1 or 0
//         offset 20  int32 size       character height in pixels
//         offset 24  char[32] face name, GBK, zero-terminated (bytes after the zero are zero)
//    0  angle   1 bold   2 italic   3 strikeout   4 underline   5 size   (integers)
//    6  face name (GBK text)
// Size is the character height in pixels: reading gives the magnitude of lfHeight (a positive
// stored lfHeight, a cell height, reads as it is), writing stores -size, the character height.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace rc::draw {

constexpr size_t kFontRecordSize = 60;
static_assert(sizeof(LOGFONTA) == kFontRecordSize, "the stored font record is a LOGFONTA");

enum FontElement : int {
  kFontWhole = -1,
  kFontAngle = 0,
  kFontBold = 1,
  kFontItalic = 2,
  kFontStrikeOut = 3,
  kFontUnderline = 4,
  kFontSize = 5,
  kFontFaceName = 6,
};

struct FontFields {
  int32_t angle = 0;
  int32_t bold = 0;
  int32_t italic = 0;
  int32_t strike_out = 0;
  int32_t underline = 0;
  int32_t size = 0;
  char face_name[32] = {};
};
constexpr size_t kFontFieldsSize = 56;

// Reads a stored font field: a record of at least 60 bytes (only the first 60 count). Anything
// shorter, the empty field among them, is no font.
bool ParseFontRecord(const uint8_t* data, size_t size, LOGFONTA* out);

// The record of the system's default GUI font, the font of every unit that has none, in design
// pixels (runtime/draw/dpi.h) like every stored record; its face name is converted to GBK.
LOGFONTA DefaultGuiFontRecord();

// The record a single-field write starts from: the stored one, or the default GUI font's.
LOGFONTA CurrentFontRecord(const uint8_t* stored, size_t size);

// Reading elements 0..5 of a record; other elements give 0.
int32_t ReadFontNumber(const LOGFONTA& font, int element);
// The face name up to its zero (at most 32 bytes when the record has none).
std::string ReadFontFaceName(const LOGFONTA& font);
FontFields ReadFontFields(const LOGFONTA& font);

void PackFontFields(const FontFields& fields, uint8_t out[kFontFieldsSize]);
// False when the block is shorter than 56 bytes.
bool UnpackFontFields(const uint8_t* data, size_t size, FontFields* out);

// Writing elements 0..5 into a copy of the current record; other elements leave it as it is.
// Angle goes into escapement and orientation modulo 3600 (negative angles count back from
// 3600); bold is weight 700 or 0; italic, strikeout and underline are 1 or 0.
LOGFONTA WriteFontNumber(LOGFONTA font, int element, int32_t value);
// A face name that is empty or longer than 31 bytes becomes "宋体".
LOGFONTA WriteFontFaceName(LOGFONTA font, const char* face_name);
// The whole record: every field above, the rest (width, character set, ...) kept from `font`.
LOGFONTA WriteFontFields(LOGFONTA font, const FontFields& fields);

void StoreFontRecord(const LOGFONTA& font, uint8_t out[kFontRecordSize]);

// The LOGFONTW a font is created from: the record with character set 1, precisions 0, quality
// 2 and pitch-and-family 0, and the face name converted from GBK (an empty one stays empty).
LOGFONTW MakeLogFontW(const LOGFONTA& font);

// A unit's font. Made once when the unit gets its font, not per paint, and cheap to copy: the
// copies share one HFONT, deleted with the last of them. The default font is the stock GUI font.
// Records hold design pixels; the font is made for the DPI its unit is drawn at.
class Font {
 public:
  Font() = default;  // the default GUI font
  static Font FromRecord(const LOGFONTA& font, int dpi = 96);
  // The stored font field; no font, or a font GDI cannot make, gives the default GUI font (the
  // stock one at the system's DPI, one made like it at another).
  static Font FromStored(const uint8_t* data, size_t size, int dpi = 96);

  HFONT handle() const;
  bool is_default() const { return !owned_; }

 private:
  std::shared_ptr<std::remove_pointer_t<HFONT>> owned_;
};

}  // namespace rc::draw
