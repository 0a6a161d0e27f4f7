// Writes a window model as a form description: numbers, colours, handlers, flags, fonts and
// bytes in their readable form, larger byte values into files beside the description.
#include "tools/formc/description.h"

#include <cstdio>
#include <map>
#include <string>

#include "forms/type_data.h"
#include "tools/formc/gbk.h"

namespace formc {

namespace {

std::string Hex32(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

std::string FormatColour(uint32_t v) {
  if (v == rc::forms::kDefaultColour) return "default";
  char buf[16];
  std::snprintf(buf, sizeof buf, v <= 0xFFFFFF ? "0x%06X" : "0x%08X", v);
  return buf;
}

std::string FormatHandler(int32_t offset) {
  if (offset == rc::forms::kNoHandlerOffset) return "none";
  if (offset >= 0 && offset % rc::kRoutineOffsetStride == 0) {
    return "routine " + std::to_string(offset / rc::kRoutineOffsetStride);
  }
  return "offset " + std::to_string(offset);
}

std::string FormatFlags(uint32_t flags) {
  using namespace rc::forms;
  if (flags & ~(kStateVisible | kStateDisabled | kStateTabStop)) return Hex32(flags);
  if (flags == 0) return "none";
  std::string out;
  auto add = [&](uint32_t bit, const char* name) {
    if (!(flags & bit)) return;
    if (!out.empty()) out += ", ";
    out += name;
  };
  add(kStateVisible, "visible");
  add(kStateDisabled, "disabled");
  add(kStateTabStop, "tabstop");
  return out;
}

template <class T>
std::string JoinNumbers(const T* v, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += (i ? ", " : "") + std::to_string(v[i]);
  return out;
}

bool AllZero(const uint32_t* v, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (v[i]) return false;
  }
  return true;
}

const char* Extension(const Bytes& b) {
  auto starts = [&](const char* magic, size_t n, size_t at = 0) {
    return b.size() >= at + n && std::memcmp(b.data() + at, magic, n) == 0;
  };
  if (starts("\xFF\xD8\xFF", 3)) return "jpg";
  if (starts("\0\0\1\0", 4)) return "ico";
  if (starts("\0\0\2\0", 4)) return "cur";
  if (starts("RIFF", 4) && starts("WAVE", 4, 8)) return "wav";
  if (starts("MThd", 4)) return "mid";
  if (starts("\x89PNG", 4)) return "png";
  if (starts("GIF8", 4)) return "gif";
  if (starts("BM", 2)) return "bmp";
  return "bin";
}

std::string FormatFont(const Bytes& bytes) {
  FontRecord f;
  if (!rc::forms::ParseFontRecord(bytes, &f) || rc::forms::WriteFontRecord(f) != bytes) return {};
  std::string out = "face " + GbkToLiteral(f.face);
  for (const FontNumber& n : kFontNumbers) {
    const int32_t v = f.*n.field;
    if (n.field == &FontRecord::height && v < 0) {
      out += " size " + std::to_string(-int64_t(v));
    } else if (n.field == &FontRecord::weight && v == 700) {
      out += " bold";
    } else if (v != 0) {
      out += std::string(" ") + n.name + " " + std::to_string(v);
    }
  }
  for (const FontByte& b : kFontBytes) {
    const uint8_t v = f.*b.field;
    if (v != 0) out += std::string(" ") + b.name;
    if (v != 0 && !(b.flag && v == 1)) out += " " + std::to_string(v);
  }
  return out;
}

// Small byte values are written inline; larger ones go to a file beside the description.
constexpr size_t kInlineBytes = 32;

std::string FormatBytes(const Bytes& b, BlobKind kind, const std::string& stem, FileStore* files) {
  if (b.empty()) return "none";
  if (kind == BlobKind::kFont) {
    std::string font = FormatFont(b);
    if (!font.empty()) return font;
  }
  if (kind == BlobKind::kCursor && b.size() == 4) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "system 0x%X", rc::forms::LoadU32(b.data()));
    return buf;
  }
  if (b.size() <= kInlineBytes) {
    std::string out = "hex \"";
    char buf[4];
    for (uint8_t v : b) {
      std::snprintf(buf, sizeof buf, "%02X", v);
      out += buf;
    }
    return out + "\"";
  }
  return "file " + GbkToLiteral(files->Add(stem + "." + Extension(b), b));
}

struct FieldPrinter {
  std::string& out;
  const std::string& stem;
  FileStore* files;

  void Key(int p, const char* n) {
    out += "  ";
    out += n ? n : "[" + std::to_string(p) + "]";
    out += " = ";
  }
  void Int(const int32_t& v, int p, const char* n) {
    Key(p, n);
    out += std::to_string(v) + "\n";
  }
  void Colour(const uint32_t& v, int p, const char* n) {
    Key(p, n);
    out += FormatColour(v) + "\n";
  }
  void Word(const uint16_t& v, int p, const char* n) {
    Key(p, n);
    out += std::to_string(v) + "\n";
  }
  void Text(const std::string& v, int p, const char* n) {
    Key(p, n);
    out += GbkToLiteral(v) + "\n";
  }
  void Blob(const Bytes& v, int p, const char* n, BlobKind kind) {
    Key(p, n);
    out += FormatBytes(v, kind, stem + "-" + (n ? n : "p" + std::to_string(p)), files) + "\n";
  }
};

// Typed text for type data that reads and writes back to exactly the stored bytes.
bool FormatTypedData(const RecordModel& r, const std::string& stem, FileStore* files,
                     std::string* out) {
  TypeData data;
  if (rc::forms::IsMenuItemId(r.id) ||
      rc::forms::ParseTypeData(r.type_code, r.type_data.data(), r.type_data.size(), &data) !=
          rc::forms::TypeDataStatus::kOk ||
      rc::forms::WriteTypeData(data) != r.type_data) {
    return false;
  }
  FieldPrinter printer{*out, stem, files};
  std::visit(
      [&](const auto& d) {
        *out += "data version " + std::to_string(d.version) + "\n";
        std::decay_t<decltype(d)>::Visit(d, printer);
      },
      data);
  return true;
}

void FormatRecord(const RecordModel& r, const std::string& stem, FileStore* files,
                  std::string* out) {
  std::string& o = *out;
  const rc::forms::TypeInfo* info = rc::forms::FindTypeInfo(r.type_code);
  o += "\nunit " + Hex32(r.id) + " " + (info ? info->name : Hex32(r.type_code)) + "\n";
  o += "name = " + GbkToLiteral(r.name) + "\n";
  if (!r.reserved_text.empty()) o += "reserved_text = " + GbkToLiteral(r.reserved_text) + "\n";
  if (r.event_source) o += "event_source = " + Hex32(r.event_source) + "\n";
  if (!AllZero(r.reserved3, 4)) o += "reserved = " + JoinNumbers(r.reserved3, 4) + "\n";
  if (rc::forms::IsMenuItemId(r.id)) {
    const Bytes extra(r.menu_extra, r.menu_extra + rc::forms::kMenuExtraSize);
    if (extra != Bytes(extra.size(), 0)) {
      o += "menu_extra = " + FormatBytes(extra, BlobKind::kPicture, stem, files) + "\n";
    }
    o += "menu_text = " + GbkToLiteral(r.menu_text) + "\n";
    o += "menu_handler = " + FormatHandler(r.menu_handler) + "\n";
  } else {
    if (r.object_slot) o += "object_slot = " + std::to_string(r.object_slot) + "\n";
    const int32_t g[4] = {r.geometry.left, r.geometry.top, r.geometry.width, r.geometry.height};
    o += "pos = " + JoinNumbers(g, 4) + "\n";
    if (r.cursor_slot) o += "cursor_slot = " + std::to_string(r.cursor_slot) + "\n";
    if (r.parent) o += "parent = " + Hex32(r.parent) + "\n";
    if (!r.children.empty()) {
      o += "children = ";
      for (size_t i = 0; i < r.children.size(); ++i) o += (i ? ", " : "") + Hex32(r.children[i]);
      o += "\n";
    }
    if (!r.cursor.empty()) {
      o += "cursor = " + FormatBytes(r.cursor, BlobKind::kCursor, stem + "-cursor", files) + "\n";
    }
    if (!r.tag.empty()) o += "tag = " + GbkToLiteral(r.tag) + "\n";
    if (r.reserved13) o += "reserved13 = " + std::to_string(r.reserved13) + "\n";
    o += "flags = " + FormatFlags(r.state_flags) + "\n";
    if (r.reserved15) o += "reserved15 = " + std::to_string(r.reserved15) + "\n";
    for (const Binding& b : r.bindings) {
      o += "event " + std::to_string(b.event) + " = " + FormatHandler(b.offset) + "\n";
    }
    if (!AllZero(r.reserved17, 5)) o += "reserved17 = " + JoinNumbers(r.reserved17, 5) + "\n";
  }
  if (r.type_data.empty()) return;
  if (FormatTypedData(r, stem, files, out)) return;
  o += "# type data kept as stored\n";
  o += "data raw " + FormatBytes(r.type_data, BlobKind::kPicture, stem + "-data", files) + "\n";
}

}  // namespace

std::string FileStore::Add(const std::string& wanted_name, const Bytes& bytes) {
  auto known = names_.find(bytes);
  if (known != names_.end()) return known->second;
  std::string name = wanted_name;
  for (int n = 2; files_.count(name); ++n) {
    const size_t dot = wanted_name.rfind('.');
    name = wanted_name.substr(0, dot) + "-" + std::to_string(n) + wanted_name.substr(dot);
  }
  files_[name] = bytes;
  names_[bytes] = name;
  return name;
}

std::string WriteDescription(const WindowModel& w, const std::string& base, FileStore* files) {
  std::string o = "# Written by formc --dump.\nwindow " + Hex32(w.id) + "\n";
  o += "word_a = " + Hex32(w.word_a) + "\n";
  o += "word_b = " + Hex32(w.word_b) + "\n";
  if (!w.text1.empty()) o += "text1 = " + GbkToLiteral(w.text1) + "\n";
  if (!w.text2.empty()) o += "text2 = " + GbkToLiteral(w.text2) + "\n";
  if (w.placeholder) o += "placeholder = " + Hex32(w.placeholder) + "\n";
  for (size_t i = 0; i < w.records.size(); ++i) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "-u%02zu", i);
    FormatRecord(w.records[i], base + stem, files, &o);
  }
  return o;
}

}  // namespace formc
