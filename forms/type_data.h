// The stored type data of each unit type: a version dword followed by fixed fields. Every type
// lists its fields once, in stored order, in forms/props/<type>.h (see forms/props/stored.h);
// reading, writing, locating a field and the form compiler's text form all walk that one list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/button.h"
#include "forms/props/edit_box.h"
#include "forms/props/group_box.h"
#include "forms/props/label.h"
#include "forms/props/pic_box.h"
#include "forms/props/process_bar.h"
#include "forms/props/radio_box.h"
#include "forms/props/splitter_bar.h"
#include "forms/props/super_btn.h"
#include "forms/props/timer.h"
#include "forms/props/trans_label.h"
#include "forms/props/vscroll_bar.h"
#include "forms/props/window.h"

namespace rc::forms {

// Size of a font record: a LOGFONTA.
inline constexpr size_t kFontRecordSize = 60;

// The volume unit stores no type data; whatever a record holds there is ignored.
struct SysVolumeData {
  static constexpr uint32_t kTypeCode = kTypeSysVolume;
  static constexpr uint32_t kMaxVersion = 0;
  static constexpr bool kHasVersion = false;
  static constexpr const char* kName = "SysVolume";

  uint32_t version = 0;

  template <class S, class V>
  static void Visit(S&, V&) {}
};

using TypeData = std::variant<WindowData, EditBoxData, PicBoxData, GroupBoxData, LabelData,
                              ButtonData, RadioBoxData, VScrollBarData, ProcessBarData, TimerData,
                              TransLabelData, SuperBtnData, SplitterBarData, SysVolumeData>;

enum class TypeDataStatus {
  kOk,
  kUnknownType,     // no unit type has this type code
  kVersionTooHigh,  // the unit type refuses data of a later version
  kTruncated,       // the type data ends before its fields do
};

// Reads fields from a cursor; a failed cursor leaves the remaining fields as they are.
struct TypeDataReader {
  ByteReader& r;
  void Int(int32_t& v, int, const char*) { v = r.failed() ? v : r.I32(); }
  void Colour(uint32_t& v, int, const char*) { v = r.failed() ? v : r.U32(); }
  void Word(uint16_t& v, int, const char*) { v = r.failed() ? v : r.U16(); }
  void Text(std::string& v, int, const char*) {
    if (!r.failed()) v = r.CountedText();
  }
  void Blob(Bytes& v, int, const char*, BlobKind) {
    if (!r.failed()) v = r.CountedBytes();
  }
};

struct TypeDataWriter {
  ByteWriter& w;
  void Int(const int32_t& v, int, const char*) { w.I32(v); }
  void Colour(const uint32_t& v, int, const char*) { w.U32(v); }
  void Word(const uint16_t& v, int, const char*) { w.U16(v); }
  void Text(const std::string& v, int, const char*) { w.CountedText(v); }
  void Blob(const Bytes& v, int, const char*, BlobKind) { w.CountedBytes(v); }
};

// Typed read of one unit type's data. No data (size 0) gives the type's defaults; this is
// the check the unit's create operation relies on.
template <class T>
TypeDataStatus ParseTypeDataAs(const uint8_t* data, size_t size, T* out) {
  *out = T();
  if (!T::kHasVersion || size == 0) return TypeDataStatus::kOk;
  ByteReader r(data, size);
  uint32_t version = r.U32();
  if (r.failed()) return TypeDataStatus::kTruncated;
  if (version > T::kMaxVersion) return TypeDataStatus::kVersionTooHigh;
  out->version = version;
  TypeDataReader reader{r};
  T::Visit(*out, reader);
  return r.failed() ? TypeDataStatus::kTruncated : TypeDataStatus::kOk;
}

template <class T>
Bytes WriteTypeDataAs(const T& data) {
  Bytes out;
  if (!T::kHasVersion) return out;
  ByteWriter w(&out);
  w.U32(data.version);
  TypeDataWriter writer{w};
  T::Visit(data, writer);
  return out;
}

struct TypeInfo {
  uint32_t code;
  const char* name;
  uint32_t max_version;
  bool has_data;
};

// The unit types of the program, or null.
const TypeInfo* FindTypeInfo(uint32_t type_code);
const TypeInfo* FindTypeInfoByName(std::string_view name);

// Default-constructed data of the type with this code; false if there is none.
bool MakeTypeData(uint32_t type_code, TypeData* out);
uint32_t TypeCodeOf(const TypeData& data);

TypeDataStatus ParseTypeData(uint32_t type_code, const uint8_t* data, size_t size, TypeData* out);
Bytes WriteTypeData(const TypeData& data);

// Where a counted field (a text or bytes field) with this property index starts inside the
// type data: the offset of its length dword. None when the data does not parse or the type
// does not store that property as a counted field at this version.
std::optional<size_t> FindCountedField(uint32_t type_code, const uint8_t* data, size_t size,
                                       int property);

// A font record read from or written into the 60-byte LOGFONTA layout.
struct FontRecord {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strike_out = 0;
  uint8_t char_set = 0;
  uint8_t out_precision = 0;
  uint8_t clip_precision = 0;
  uint8_t quality = 0;
  uint8_t pitch_and_family = 0;
  std::string face;  // GBK, at most 31 bytes; the bytes after its NUL are written as 0
};

bool ParseFontRecord(const Bytes& bytes, FontRecord* out);
Bytes WriteFontRecord(const FontRecord& font);

}  // namespace rc::forms
