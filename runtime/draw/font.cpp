#include "runtime/draw/font.h"

#include <cstdint>
#include <cstring>

#include "base/byte_cursor.h"
#include "base/text_w.h"
#include "runtime/draw/dpi.h"

namespace rc::draw {

namespace {

// The face every too-long or empty face name written through the property becomes.
const char kReplacementFace[] = "宋体";

size_t FaceLength(const char (&face)[LF_FACESIZE]) {
  return strnlen(face, LF_FACESIZE);
}

// Negation that cannot overflow: stored records are input and may hold any value.
int32_t Negate(int32_t v) {
  return v == INT32_MIN ? INT32_MAX : -v;
}

int32_t NormalAngle(int32_t tenths) {
  int32_t a = tenths % 3600;
  return a < 0 ? a + 3600 : a;
}

}  // namespace

bool ParseFontRecord(const uint8_t* data, size_t size, LOGFONTA* out) {
  if (!data || size < kFontRecordSize) return false;
  memcpy(out, data, kFontRecordSize);
  return true;
}

void StoreFontRecord(const LOGFONTA& font, uint8_t out[kFontRecordSize]) {
  memcpy(out, &font, kFontRecordSize);
}

LOGFONTA DefaultGuiFontRecord() {
  LOGFONTW w = {};
  LOGFONTA a = {};
  if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(w), &w) != sizeof(w)) return a;
  memcpy(&a, &w, offsetof(LOGFONTA, lfFaceName));
  a.lfHeight = UnscaleEdge(a.lfHeight, SystemDpi());
  a.lfWidth = UnscaleEdge(a.lfWidth, SystemDpi());
  std::string face = Gbk(w.lfFaceName);
  if (face.size() < LF_FACESIZE) memcpy(a.lfFaceName, face.data(), face.size());
  return a;
}

LOGFONTA CurrentFontRecord(const uint8_t* stored, size_t size) {
  LOGFONTA font;
  return ParseFontRecord(stored, size, &font) ? font : DefaultGuiFontRecord();
}

int32_t ReadFontNumber(const LOGFONTA& font, int element) {
  switch (element) {
    case kFontAngle:
      return NormalAngle(font.lfEscapement);
    case kFontBold:
      // GDI draws weights from semibold up as bold.
      return font.lfWeight >= FW_SEMIBOLD ? 1 : 0;
    case kFontItalic:
      return font.lfItalic ? 1 : 0;
    case kFontStrikeOut:
      return font.lfStrikeOut ? 1 : 0;
    case kFontUnderline:
      return font.lfUnderline ? 1 : 0;
    case kFontSize:
      return font.lfHeight < 0 ? Negate(font.lfHeight) : font.lfHeight;
    default:
      return 0;
  }
}

std::string ReadFontFaceName(const LOGFONTA& font) {
  return std::string(font.lfFaceName, FaceLength(font.lfFaceName));
}

FontFields ReadFontFields(const LOGFONTA& font) {
  FontFields f;
  f.angle = ReadFontNumber(font, kFontAngle);
  f.bold = ReadFontNumber(font, kFontBold);
  f.italic = ReadFontNumber(font, kFontItalic);
  f.strike_out = ReadFontNumber(font, kFontStrikeOut);
  f.underline = ReadFontNumber(font, kFontUnderline);
  f.size = ReadFontNumber(font, kFontSize);
  // A face name of all 32 bytes has no room for its zero in the block: keep 31.
  std::string face = ReadFontFaceName(font);
  memcpy(f.face_name, face.data(), face.size() < 32 ? face.size() : 31);
  return f;
}

void PackFontFields(const FontFields& f, uint8_t out[kFontFieldsSize]) {
  const int32_t numbers[6] = {f.angle, f.bold, f.italic, f.strike_out, f.underline, f.size};
  for (int i = 0; i < 6; ++i) forms::StoreU32(out + 4 * i, static_cast<uint32_t>(numbers[i]));
  memset(out + 24, 0, 32);
  memcpy(out + 24, f.face_name, strnlen(f.face_name, 31));
}

bool UnpackFontFields(const uint8_t* data, size_t size, FontFields* out) {
  forms::ByteReader r(data, size);
  FontFields f;
  int32_t* numbers[6] = {&f.angle, &f.bold, &f.italic, &f.strike_out, &f.underline, &f.size};
  for (int32_t* n : numbers) *n = r.I32();
  const uint8_t* face = r.Take(32);
  if (r.failed()) return false;
  memcpy(f.face_name, face, 32);
  *out = f;
  return true;
}

LOGFONTA WriteFontNumber(LOGFONTA font, int element, int32_t value) {
  switch (element) {
    case kFontAngle:
      font.lfEscapement = font.lfOrientation = NormalAngle(value);
      break;
    case kFontBold:
      font.lfWeight = value ? FW_BOLD : 0;
      break;
    case kFontItalic:
      font.lfItalic = value ? 1 : 0;
      break;
    case kFontStrikeOut:
      font.lfStrikeOut = value ? 1 : 0;
      break;
    case kFontUnderline:
      font.lfUnderline = value ? 1 : 0;
      break;
    case kFontSize:
      font.lfHeight = Negate(value);
      break;
    default:
      break;
  }
  return font;
}

LOGFONTA WriteFontFaceName(LOGFONTA font, const char* face_name) {
  size_t n = face_name ? strlen(face_name) : 0;
  if (n == 0 || n > LF_FACESIZE - 1) {
    face_name = kReplacementFace;
    n = strlen(kReplacementFace);
  }
  memset(font.lfFaceName, 0, sizeof(font.lfFaceName));
  memcpy(font.lfFaceName, face_name, n);
  return font;
}

LOGFONTA WriteFontFields(LOGFONTA font, const FontFields& f) {
  font = WriteFontNumber(font, kFontAngle, f.angle);
  font = WriteFontNumber(font, kFontBold, f.bold);
  font = WriteFontNumber(font, kFontItalic, f.italic);
  font = WriteFontNumber(font, kFontStrikeOut, f.strike_out);
  font = WriteFontNumber(font, kFontUnderline, f.underline);
  font = WriteFontNumber(font, kFontSize, f.size);
  std::string face(f.face_name, strnlen(f.face_name, sizeof(f.face_name)));
  return WriteFontFaceName(font, face.c_str());
}

LOGFONTW MakeLogFontW(const LOGFONTA& font) {
  LOGFONTW w = {};
  memcpy(&w, &font, offsetof(LOGFONTA, lfFaceName));
  w.lfCharSet = DEFAULT_CHARSET;
  w.lfOutPrecision = OUT_DEFAULT_PRECIS;
  w.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  w.lfQuality = PROOF_QUALITY;
  w.lfPitchAndFamily = 0;
  std::wstring face = Wide(std::string(font.lfFaceName, FaceLength(font.lfFaceName)));
  size_t n = face.size() < LF_FACESIZE ? face.size() : LF_FACESIZE - 1;
  wmemcpy(w.lfFaceName, face.data(), n);
  return w;
}

Font Font::FromRecord(const LOGFONTA& font, int dpi) {
  Font f;
  LOGFONTW w = MakeLogFontW(font);
  w.lfHeight = ScaleEdge(w.lfHeight, dpi);
  w.lfWidth = ScaleEdge(w.lfWidth, dpi);
  if (HFONT h = CreateFontIndirectW(&w)) {
    f.owned_.reset(h, [](HFONT font) { DeleteObject(font); });
  }
  return f;
}

Font Font::FromStored(const uint8_t* data, size_t size, int dpi) {
  LOGFONTA font;
  if (ParseFontRecord(data, size, &font)) return FromRecord(font, dpi);
  return dpi == SystemDpi() ? Font() : FromRecord(DefaultGuiFontRecord(), dpi);
}

HFONT Font::handle() const {
  return owned_ ? owned_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace rc::draw
