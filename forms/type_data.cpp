#include "forms/type_data.h"

#include <algorithm>
#include <cstring>

namespace rc::forms {
namespace {

const TypeInfo kTypes[] = {
    {WindowData::kTypeCode, WindowData::kName, WindowData::kMaxVersion, true},
    {EditBoxData::kTypeCode, EditBoxData::kName, EditBoxData::kMaxVersion, true},
    {PicBoxData::kTypeCode, PicBoxData::kName, PicBoxData::kMaxVersion, true},
    {GroupBoxData::kTypeCode, GroupBoxData::kName, GroupBoxData::kMaxVersion, true},
    {LabelData::kTypeCode, LabelData::kName, LabelData::kMaxVersion, true},
    {ButtonData::kTypeCode, ButtonData::kName, ButtonData::kMaxVersion, true},
    {RadioBoxData::kTypeCode, RadioBoxData::kName, RadioBoxData::kMaxVersion, true},
    {VScrollBarData::kTypeCode, VScrollBarData::kName, VScrollBarData::kMaxVersion, true},
    {ProcessBarData::kTypeCode, ProcessBarData::kName, ProcessBarData::kMaxVersion, true},
    {TimerData::kTypeCode, TimerData::kName, TimerData::kMaxVersion, true},
    {TransLabelData::kTypeCode, TransLabelData::kName, TransLabelData::kMaxVersion, true},
    {SuperBtnData::kTypeCode, SuperBtnData::kName, SuperBtnData::kMaxVersion, true},
    {SplitterBarData::kTypeCode, SplitterBarData::kName, SplitterBarData::kMaxVersion, true},
    {SysVolumeData::kTypeCode, SysVolumeData::kName, SysVolumeData::kMaxVersion, false},
};

template <size_t I = 0>
bool EmplaceByCode(uint32_t code, TypeData* out) {
  if constexpr (I < std::variant_size_v<TypeData>) {
    if (std::variant_alternative_t<I, TypeData>::kTypeCode == code) {
      out->emplace<I>();
      return true;
    }
    return EmplaceByCode<I + 1>(code, out);
  } else {
    return false;
  }
}

// Walks the fields with a cursor and notes where the wanted counted field starts.
struct CountedFieldLocator {
  ByteReader& r;
  int wanted;
  std::optional<size_t> found;

  void Int(int32_t&, int, const char*) { r.Skip(4); }
  void Colour(uint32_t&, int, const char*) { r.Skip(4); }
  void Word(uint16_t&, int, const char*) { r.Skip(2); }
  void Counted(int property) {
    size_t at = r.pos();
    r.Skip(r.Count(1));
    if (property == wanted && !r.failed()) found = at;
  }
  void Text(std::string&, int property, const char*) { Counted(property); }
  void Blob(Bytes&, int property, const char*, BlobKind) { Counted(property); }
};

}  // namespace

const TypeInfo* FindTypeInfo(uint32_t type_code) {
  for (const TypeInfo& t : kTypes) {
    if (t.code == type_code) return &t;
  }
  return nullptr;
}

const TypeInfo* FindTypeInfoByName(std::string_view name) {
  for (const TypeInfo& t : kTypes) {
    if (name == t.name) return &t;
  }
  return nullptr;
}

bool MakeTypeData(uint32_t type_code, TypeData* out) {
  return EmplaceByCode(type_code, out);
}

uint32_t TypeCodeOf(const TypeData& data) {
  return std::visit([](const auto& d) { return std::decay_t<decltype(d)>::kTypeCode; }, data);
}

TypeDataStatus ParseTypeData(uint32_t type_code, const uint8_t* data, size_t size, TypeData* out) {
  if (!MakeTypeData(type_code, out)) return TypeDataStatus::kUnknownType;
  return std::visit([&](auto& d) { return ParseTypeDataAs(data, size, &d); }, *out);
}

Bytes WriteTypeData(const TypeData& data) {
  return std::visit([](const auto& d) { return WriteTypeDataAs(d); }, data);
}

std::optional<size_t> FindCountedField(uint32_t type_code, const uint8_t* data, size_t size,
                                       int property) {
  TypeData parsed;
  if (ParseTypeData(type_code, data, size, &parsed) != TypeDataStatus::kOk || size == 0) {
    return std::nullopt;
  }
  return std::visit(
      [&](auto& d) -> std::optional<size_t> {
        ByteReader r(data, size);
        r.Skip(4);
        CountedFieldLocator locator{r, property, std::nullopt};
        std::decay_t<decltype(d)>::Visit(d, locator);
        return locator.found;
      },
      parsed);
}

bool ParseFontRecord(const Bytes& bytes, FontRecord* out) {
  if (bytes.size() != kFontRecordSize) return false;
  ByteReader r(bytes.data(), bytes.size());
  out->height = r.I32();
  out->width = r.I32();
  out->escapement = r.I32();
  out->orientation = r.I32();
  out->weight = r.I32();
  const uint8_t* b = r.Take(8);
  out->italic = b[0];
  out->underline = b[1];
  out->strike_out = b[2];
  out->char_set = b[3];
  out->out_precision = b[4];
  out->clip_precision = b[5];
  out->quality = b[6];
  out->pitch_and_family = b[7];
  const uint8_t* face = r.Take(32);
  // A face without terminator is cut at 31 bytes, as the font functions would read it.
  size_t n = 0;
  while (n < 31 && face[n] != 0) ++n;
  out->face.assign(reinterpret_cast<const char*>(face), n);
  return true;
}

Bytes WriteFontRecord(const FontRecord& font) {
  Bytes out;
  ByteWriter w(&out);
  w.I32(font.height);
  w.I32(font.width);
  w.I32(font.escapement);
  w.I32(font.orientation);
  w.I32(font.weight);
  const uint8_t b[8] = {font.italic,   font.underline,       font.strike_out,
                        font.char_set, font.out_precision,   font.clip_precision,
                        font.quality,  font.pitch_and_family};
  w.Raw(b, 8);
  uint8_t face[32] = {};
  std::memcpy(face, font.face.data(), std::min<size_t>(font.face.size(), 31));
  w.Raw(face, 32);
  return out;
}

}  // namespace rc::forms
