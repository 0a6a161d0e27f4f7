// Reads a form description into a window model: a line lexer, the value parsers, and the reader
// that follows the description's blocks (window, units, typed data, menu items).
#include "tools/formc/description.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

#include "forms/type_data.h"
#include "tools/formc/gbk.h"

namespace formc {

namespace {

class ParseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Token {
  enum Kind { kWord, kString, kPunct, kEnd } kind = kEnd;
  std::string text;  // a word or punctuation; for a string, the GBK text
  std::string raw;   // for a string, its bytes without conversion (file paths)
};

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '+' ||
         c == '.';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A string literal: runs of UTF-8 are converted to GBK, \xHH escapes are raw bytes.
void LexString(std::string_view line, size_t* i, Token* t) {
  std::string run;
  auto flush = [&] {
    if (run.empty()) return;
    std::optional<std::string> gbk = Utf8ToGbk(run);
    if (!gbk) throw ParseError("text is not UTF-8 or has a character that GBK cannot hold");
    t->text += *gbk;
    t->raw += run;
    run.clear();
  };
  ++*i;
  for (;;) {
    if (*i >= line.size()) throw ParseError("text without closing quote");
    const char c = line[(*i)++];
    if (c == '"') break;
    if (c != '\\') {
      run += c;
      continue;
    }
    if (*i >= line.size()) throw ParseError("text without closing quote");
    const char e = line[(*i)++];
    switch (e) {
      case '\\':
        run += '\\';
        break;
      case '"':
        run += '"';
        break;
      case 'r':
        run += '\r';
        break;
      case 'n':
        run += '\n';
        break;
      case 't':
        run += '\t';
        break;
      case 'x': {
        const int hi = *i < line.size() ? HexDigit(line[*i]) : -1;
        const int lo = *i + 1 < line.size() ? HexDigit(line[*i + 1]) : -1;
        if (hi < 0 || lo < 0) throw ParseError("\\x needs two hex digits");
        *i += 2;
        flush();
        t->text += static_cast<char>(hi * 16 + lo);
        t->raw += static_cast<char>(hi * 16 + lo);
        break;
      }
      default:
        throw ParseError(std::string("unknown escape \\") + e);
    }
  }
  flush();
}

class Line {
 public:
  explicit Line(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
      const char c = text[i];
      if (c == ' ' || c == '\t' || c == '\r') {
        ++i;
      } else if (c == '#') {
        break;
      } else if (c == '"') {
        Token t;
        t.kind = Token::kString;
        LexString(text, &i, &t);
        tokens_.push_back(std::move(t));
      } else if (IsWordChar(c)) {
        size_t j = i;
        while (j < text.size() && IsWordChar(text[j])) ++j;
        tokens_.push_back({Token::kWord, std::string(text.substr(i, j - i)), {}});
        i = j;
      } else if (c == '=' || c == ',' || c == '[' || c == ']') {
        tokens_.push_back({Token::kPunct, std::string(1, c), {}});
        ++i;
      } else {
        throw ParseError(std::string("unexpected character '") + c + "'");
      }
    }
  }

  bool empty() const { return tokens_.empty(); }
  bool AtEnd() const { return pos_ >= tokens_.size(); }
  const Token& Peek() const {
    static const Token kEnd;
    return AtEnd() ? kEnd : tokens_[pos_];
  }
  bool AcceptPunct(char c) {
    if (Peek().kind == Token::kPunct && Peek().text[0] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool AcceptWord(const char* w) {
    if (Peek().kind == Token::kWord && Peek().text == w) {
      ++pos_;
      return true;
    }
    return false;
  }
  void ExpectPunct(char c) {
    if (!AcceptPunct(c)) throw ParseError(std::string("expected '") + c + "'" + Found());
  }
  std::string Word(const char* what) {
    if (Peek().kind != Token::kWord) throw ParseError(std::string("expected ") + what + Found());
    return tokens_[pos_++].text;
  }
  const Token& String(const char* what) {
    if (Peek().kind != Token::kString) {
      throw ParseError(std::string("expected ") + what + " in quotes" + Found());
    }
    return tokens_[pos_++];
  }
  void End() {
    if (!AtEnd()) throw ParseError("unexpected " + Describe(Peek()) + " at the end of the line");
  }

 private:
  static std::string Describe(const Token& t) {
    switch (t.kind) {
      case Token::kEnd:
        return "end of line";
      case Token::kString:
        return "text";
      default:
        return "'" + t.text + "'";
    }
  }
  std::string Found() const { return ", found " + Describe(Peek()); }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
};

int64_t ParseNumberWord(const std::string& w) {
  const char* s = w.c_str();
  bool negative = false;
  if (*s == '-' || *s == '+') negative = *s++ == '-';
  int base = 10;
  if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s += 2;
  }
  if (*s == '\0') throw ParseError("'" + w + "' is not a number");
  uint64_t v = 0;
  for (; *s; ++s) {
    const int d = HexDigit(*s);
    if (d < 0 || d >= base) throw ParseError("'" + w + "' is not a number");
    v = v * base + d;
    if (v > 0xFFFFFFFFull) throw ParseError("'" + w + "' does not fit in 32 bits");
  }
  return negative ? -int64_t(v) : int64_t(v);
}

int64_t ParseNumber(Line& line, int64_t min, int64_t max) {
  const std::string w = line.Word("a number");
  const int64_t v = ParseNumberWord(w);
  if (v < min || v > max) {
    throw ParseError("'" + w + "' is outside " + std::to_string(min) + " to " +
                     std::to_string(max));
  }
  return v;
}

// A dword: any number that fits in 32 bits, signed or not.
uint32_t ParseDword(Line& line) {
  return uint32_t(ParseNumber(line, INT32_MIN, UINT32_MAX));
}
int32_t ParseInt(Line& line) {
  return int32_t(ParseDword(line));
}

uint32_t ParseColour(Line& line) {
  if (line.AcceptWord("default")) return rc::forms::kDefaultColour;
  return ParseDword(line);
}

void ParseDwordList(Line& line, uint32_t* out, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (i) line.ExpectPunct(',');
    out[i] = ParseDword(line);
  }
}

std::string ParseZeroText(Line& line) {
  const std::string& t = line.String("a text").text;
  if (t.find('\0') != std::string::npos) throw ParseError("this text cannot hold \\x00");
  return t;
}

bool IsIdentifier(const std::string& w) {
  if (w.empty() || !(std::isalpha(static_cast<unsigned char>(w[0])) || w[0] == '_')) return false;
  for (char c : w) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  return true;
}

int32_t ParseHandler(Line& line, RoutineNames* routines) {
  const std::string w = line.Word("a handler (a routine name, routine N, offset N or none)");
  if (w == "none") return rc::forms::kNoHandlerOffset;
  const bool numbered = w == "routine" || w == "offset";
  if (numbered || IsIdentifier(w)) {
    if (numbered ? !routines->names.empty() : routines->numbered) {
      throw ParseError("handlers are bound by name or by number, not both in one form data block");
    }
  }
  if (w == "routine" || w == "offset") routines->numbered = true;
  if (w == "routine") return int32_t(ParseNumber(line, 0, INT32_MAX / 4) * 4);
  if (w == "offset") return ParseInt(line);
  if (IsIdentifier(w)) return rc::RoutineOffset(routines->IndexOf(w));
  throw ParseError("expected a handler (a routine name, routine N, offset N or none), found '" + w +
                   "'");
}

uint32_t ParseFlags(Line& line) {
  if (line.Peek().kind == Token::kWord && !line.Peek().text.empty() &&
      (std::isdigit(static_cast<unsigned char>(line.Peek().text[0])))) {
    return ParseDword(line);
  }
  uint32_t flags = 0;
  do {
    const std::string w = line.Word("a state flag (visible, disabled, tabstop)");
    if (w == "visible") {
      flags |= rc::forms::kStateVisible;
    } else if (w == "disabled") {
      flags |= rc::forms::kStateDisabled;
    } else if (w == "tabstop") {
      flags |= rc::forms::kStateTabStop;
    } else if (w != "none") {
      throw ParseError("unknown state flag '" + w + "' (visible, disabled, tabstop or a number)");
    }
  } while (line.AcceptPunct(','));
  return flags;
}

class Reader {
 public:
  Reader(std::string path, std::vector<std::string>* inputs, RoutineNames* routines)
      : path_(std::move(path)), inputs_(inputs), routines_(routines) {
    const size_t slash = path_.rfind('/');
    dir_ = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
  }

  void Run(WindowModel* out) {
    std::ifstream in(path_, std::ios::binary);
    if (!in) throw ParseError("cannot read the description");
    std::string text;
    out_ = out;
    while (std::getline(in, text)) {
      ++line_no_;
      Line line(text);
      if (line.empty()) continue;
      Statement(line);
      line.End();
    }
    line_no_ = 0;
    FinishUnit();
    if (!have_window_) throw ParseError("no window line: a description holds one window");
    if (out->records.empty()) throw ParseError("the window has no units; it needs its window unit");
  }

  int line_no() const { return line_no_; }

 private:
  enum class Mode { kNone, kWindow, kRecord, kTyped, kRaw };

  void Statement(Line& line) {
    if (line.AcceptPunct('[')) {
      if (mode_ != Mode::kTyped) {
        throw ParseError("[N] fields belong to typed data, after 'data version N'");
      }
      return TypedIndexField(line);
    }
    const std::string w = line.Word("a key");
    if (w == "window") return StartWindow(line);
    if (w == "unit") return StartUnit(line);
    if (mode_ == Mode::kNone) throw ParseError("the description must start with a window line");
    if (w == "data") return StartData(line);
    if (mode_ == Mode::kWindow) return WindowField(w, line);
    if (mode_ == Mode::kRaw) throw ParseError("no fields can follow raw type data");
    if (mode_ == Mode::kTyped) return TypedField(w, line);
    RecordField(w, line);
  }

  void Once(const std::string& key) {
    if (!seen_.insert(key).second) throw ParseError("'" + key + "' is given twice");
  }

  void StartWindow(Line& line) {
    if (have_window_) throw ParseError("a description holds one window; this is a second one");
    have_window_ = true;
    out_->id = ParseDword(line);
    mode_ = Mode::kWindow;
  }

  void WindowField(const std::string& key, Line& line) {
    Once(key);
    line.ExpectPunct('=');
    if (key == "word_a") {
      out_->word_a = ParseDword(line);
    } else if (key == "word_b") {
      out_->word_b = ParseDword(line);
    } else if (key == "text1") {
      out_->text1 = line.String("a text").text;
    } else if (key == "text2") {
      out_->text2 = line.String("a text").text;
    } else if (key == "placeholder") {
      out_->placeholder = ParseDword(line);
    } else {
      throw ParseError("unknown window field '" + key +
                       "' (word_a, word_b, text1, text2, placeholder)");
    }
  }

  void StartUnit(Line& line) {
    if (mode_ == Mode::kNone) throw ParseError("a unit must follow the window line");
    FinishUnit();
    RecordModel r;
    r.id = ParseDword(line);
    const std::string type = line.Word("a unit type name or type code");
    if (const rc::forms::TypeInfo* info = rc::forms::FindTypeInfoByName(type)) {
      r.type_code = info->code;
    } else if (std::isdigit(static_cast<unsigned char>(type[0]))) {
      r.type_code = uint32_t(ParseNumberWord(type));
    } else {
      throw ParseError("unknown unit type '" + type + "'");
    }
    if (out_->records.empty() && (rc::forms::IdKind(r.id) != rc::forms::kKindWindowUnit ||
                                  r.type_code != rc::forms::kTypeWindow)) {
      throw ParseError("the first unit must be the window unit (id 0x06xxxxxx, type window)");
    }
    out_->records.push_back(std::move(r));
    seen_.clear();
    mode_ = Mode::kRecord;
  }

  void StartData(Line& line) {
    if (mode_ != Mode::kRecord) throw ParseError("'data' belongs to a unit and comes once");
    RecordModel& r = out_->records.back();
    if (line.AcceptWord("raw")) {
      r.type_data = ParseBytes(line, BlobKind::kPicture);
      mode_ = Mode::kRaw;
      return;
    }
    if (!line.AcceptWord("version")) throw ParseError("expected 'data version N' or 'data raw'");
    if (rc::forms::IsMenuItemId(r.id)) throw ParseError("a menu item has no typed data");
    const rc::forms::TypeInfo* info = rc::forms::FindTypeInfo(r.type_code);
    if (!info) throw ParseError("the unit type is unknown; give its data as 'data raw'");
    if (!info->has_data) {
      throw ParseError(std::string(info->name) + " stores no type data; use 'data raw'");
    }
    const int64_t version = ParseNumber(line, 0, UINT32_MAX);
    if (version > info->max_version) {
      throw ParseError("version " + std::to_string(version) + " is above the highest version " +
                       std::to_string(info->max_version) + " of " + info->name);
    }
    typed_.emplace();
    rc::forms::MakeTypeData(r.type_code, &*typed_);
    std::visit([&](auto& d) { d.version = uint32_t(version); }, *typed_);
    seen_.clear();
    mode_ = Mode::kTyped;
  }

  void FinishUnit() {
    if (mode_ == Mode::kTyped) {
      out_->records.back().type_data = rc::forms::WriteTypeData(*typed_);
      typed_.reset();
    }
  }

  void RecordField(const std::string& key, Line& line) {
    RecordModel& r = out_->records.back();
    const bool menu = rc::forms::IsMenuItemId(r.id);
    if (key == "event") {
      if (menu) throw ParseError("a menu item has one handler: use menu_handler");
      Binding b;
      b.event = ParseInt(line);
      line.ExpectPunct('=');
      b.offset = ParseHandler(line, routines_);
      r.bindings.push_back(b);
      return;
    }
    Once(key);
    line.ExpectPunct('=');
    if (key == "name") {
      r.name = ParseZeroText(line);
    } else if (key == "reserved_text") {
      r.reserved_text = ParseZeroText(line);
    } else if (key == "event_source") {
      r.event_source = ParseDword(line);
    } else if (key == "reserved") {
      ParseDwordList(line, r.reserved3, 4);
    } else if (menu) {
      MenuField(key, line, &r);
    } else if (key == "object_slot") {
      r.object_slot = ParseDword(line);
    } else if (key == "pos") {
      uint32_t g[4];
      ParseDwordList(line, g, 4);
      r.geometry = {int32_t(g[0]), int32_t(g[1]), int32_t(g[2]), int32_t(g[3])};
    } else if (key == "cursor_slot") {
      r.cursor_slot = ParseDword(line);
    } else if (key == "parent") {
      r.parent = ParseDword(line);
    } else if (key == "children") {
      do r.children.push_back(ParseDword(line));
      while (line.AcceptPunct(','));
    } else if (key == "cursor") {
      r.cursor = ParseBytes(line, BlobKind::kCursor);
    } else if (key == "tag") {
      r.tag = ParseZeroText(line);
    } else if (key == "reserved13") {
      r.reserved13 = ParseDword(line);
    } else if (key == "flags") {
      r.state_flags = ParseFlags(line);
    } else if (key == "reserved15") {
      r.reserved15 = ParseDword(line);
    } else if (key == "reserved17") {
      ParseDwordList(line, r.reserved17, 5);
    } else {
      throw ParseError("unknown unit field '" + key + "'");
    }
  }

  void MenuField(const std::string& key, Line& line, RecordModel* r) {
    if (key == "menu_extra") {
      Bytes b = ParseBytes(line, BlobKind::kPicture);
      if (b.size() != rc::forms::kMenuExtraSize) throw ParseError("menu_extra is 12 bytes");
      std::memcpy(r->menu_extra, b.data(), b.size());
    } else if (key == "menu_text") {
      r->menu_text = ParseZeroText(line);
    } else if (key == "menu_handler") {
      r->menu_handler = ParseHandler(line, routines_);
    } else {
      throw ParseError("unknown menu item field '" + key + "'");
    }
  }

  // Sets the one field of the typed data that the key names.
  struct FieldSetter {
    Reader& reader;
    Line& line;
    const std::string& key;
    int property;  // >= 0 when the key is [N]
    bool found = false;
    int matched = -1;

    bool Match(int p, const char* name) {
      if (found) return false;
      found = property >= 0 ? p == property : (name && key == name);
      if (found) matched = p;
      return found;
    }
    void Int(int32_t& v, int p, const char* n) {
      if (Match(p, n)) v = ParseInt(line);
    }
    void Colour(uint32_t& v, int p, const char* n) {
      if (Match(p, n)) v = ParseColour(line);
    }
    void Word(uint16_t& v, int p, const char* n) {
      if (Match(p, n)) v = uint16_t(ParseNumber(line, INT16_MIN, UINT16_MAX));
    }
    void Text(std::string& v, int p, const char* n) {
      if (Match(p, n)) v = line.String("a text").text;
    }
    void Blob(Bytes& v, int p, const char* n, BlobKind kind) {
      if (Match(p, n)) v = reader.ParseBytes(line, kind);
    }
  };

  void TypedField(const std::string& key, Line& line) {
    line.ExpectPunct('=');
    SetTypedField(key, -1, line);
  }

  void TypedIndexField(Line& line) {
    const int property = int(ParseNumber(line, 0, 1000));
    line.ExpectPunct(']');
    line.ExpectPunct('=');
    SetTypedField("[" + std::to_string(property) + "]", property, line);
  }

  void SetTypedField(const std::string& key, int property, Line& line) {
    FieldSetter setter{*this, line, key, property};
    std::visit([&](auto& d) { std::decay_t<decltype(d)>::Visit(d, setter); }, *typed_);
    if (!setter.found) UnknownTypedField(key, property);
    // A field named and given by number is still one field.
    Once("[" + std::to_string(setter.matched) + "]");
  }

  void UnknownTypedField(const std::string& key, int property) {
    const uint32_t code = rc::forms::TypeCodeOf(*typed_);
    const rc::forms::TypeInfo* info = rc::forms::FindTypeInfo(code);
    // Would a later version store it?
    TypeData latest;
    rc::forms::MakeTypeData(code, &latest);
    Line empty("");
    FieldSetter probe{*this, empty, key, property};
    struct Prober {
      FieldSetter& s;
      void Int(int32_t&, int p, const char* n) { s.Match(p, n); }
      void Colour(uint32_t&, int p, const char* n) { s.Match(p, n); }
      void Word(uint16_t&, int p, const char* n) { s.Match(p, n); }
      void Text(std::string&, int p, const char* n) { s.Match(p, n); }
      void Blob(Bytes&, int p, const char* n, BlobKind) { s.Match(p, n); }
    } prober{probe};
    std::visit([&](auto& d) { std::decay_t<decltype(d)>::Visit(d, prober); }, latest);
    if (probe.found) {
      throw ParseError("'" + key + "' is not stored by version " +
                       std::to_string(std::visit([](auto& d) { return d.version; }, *typed_)) +
                       " of " + info->name);
    }
    throw ParseError("'" + key + "' is not a field of " + info->name);
  }

  Bytes ReadFile(const std::string& name) {
    const std::string path = !name.empty() && name[0] == '/' ? name : dir_ + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ParseError("cannot read the file '" + path + "'");
    inputs_->push_back(path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 public:
  Bytes ParseBytes(Line& line, BlobKind) {
    const std::string w = line.Word("bytes (none, file, hex, system or face)");
    if (w == "none") return {};
    if (w == "file") return ReadFile(line.String("a file name").raw);
    if (w == "system") {
      Bytes b;
      rc::forms::ByteWriter(&b).U32(ParseDword(line));
      return b;
    }
    if (w == "hex") {
      const std::string& digits = line.String("hex digits").raw;
      Bytes b;
      int high = -1;
      for (char c : digits) {
        if (c == ' ') continue;
        const int d = HexDigit(c);
        if (d < 0) throw ParseError("'" + std::string(1, c) + "' is not a hex digit");
        if (high < 0) {
          high = d;
        } else {
          b.push_back(uint8_t(high * 16 + d));
          high = -1;
        }
      }
      if (high >= 0) throw ParseError("hex bytes need an even number of digits");
      return b;
    }
    if (w == "face") return ParseFont(line);
    throw ParseError("expected bytes (none, file, hex, system or face), found '" + w + "'");
  }

 private:
  Bytes ParseFont(Line& line) {
    FontRecord f;
    f.face = line.String("a face name").text;
    if (f.face.size() > 31) throw ParseError("a face name has at most 31 bytes in GBK");
    if (f.face.find('\0') != std::string::npos) throw ParseError("a face name cannot hold \\x00");
    std::set<std::string> seen;
    while (!line.AtEnd()) {
      const std::string a = line.Word("a font attribute");
      if (!seen.insert(a).second) throw ParseError("font attribute '" + a + "' is given twice");
      auto byte = [&] { return uint8_t(ParseNumber(line, 0, 255)); };
      // A flag alone means 1; a number after it gives the stored byte.
      auto flag = [&] {
        return line.Peek().kind == Token::kWord &&
                       std::isdigit(static_cast<unsigned char>(line.Peek().text[0]))
                   ? byte()
                   : uint8_t(1);
      };
      if (a == "size") {
        f.height = -int32_t(ParseNumber(line, 0, INT32_MAX));
        continue;
      }
      if (a == "bold") {
        f.weight = 700;
        continue;
      }
      const auto number = std::find_if(std::begin(kFontNumbers), std::end(kFontNumbers),
                                       [&](const FontNumber& n) { return a == n.name; });
      const auto byte_field = std::find_if(std::begin(kFontBytes), std::end(kFontBytes),
                                           [&](const FontByte& b) { return a == b.name; });
      if (number != std::end(kFontNumbers)) {
        f.*number->field = ParseInt(line);
      } else if (byte_field != std::end(kFontBytes)) {
        f.*byte_field->field = byte_field->flag ? flag() : byte();
      } else {
        throw ParseError("unknown font attribute '" + a + "'");
      }
    }
    if (seen.count("bold") && seen.count("weight")) throw ParseError("give bold or weight");
    if (seen.count("size") && seen.count("height")) throw ParseError("give size or height");
    return rc::forms::WriteFontRecord(f);
  }

  std::string path_;
  std::string dir_;
  std::vector<std::string>* inputs_;
  RoutineNames* routines_;
  WindowModel* out_ = nullptr;
  int line_no_ = 0;
  bool have_window_ = false;
  Mode mode_ = Mode::kNone;
  std::set<std::string> seen_;
  std::optional<TypeData> typed_;

  friend struct FieldSetter;
};

}  // namespace

uint32_t RoutineNames::IndexOf(const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return uint32_t(i);
  }
  names.push_back(name);
  return uint32_t(names.size() - 1);
}

bool ReadDescription(const std::string& path, WindowModel* out, std::vector<std::string>* inputs,
                     RoutineNames* routines, std::string* error) {
  *out = WindowModel();
  Reader reader(path, inputs, routines);
  try {
    reader.Run(out);
    return true;
  } catch (const ParseError& e) {
    *error =
        path + (reader.line_no() ? ":" + std::to_string(reader.line_no()) : "") + ": " + e.what();
    return false;
  }
}

}  // namespace formc
