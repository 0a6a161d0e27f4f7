#include "commands/ini_text.h"

#include <cstdint>
#include <vector>

namespace rc::ini {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

bool IsBlank(unsigned c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

bool IsGbkLead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
bool IsGbkTrail(unsigned char c) {
  return c >= 0x40 && c <= 0xFE && c != 0x7F;
}
// Bytes of the GBK character at text[i]: a lead byte without a valid trail byte stands alone,
// so that the ASCII byte after it is still seen for what it is.
size_t GbkCharLength(std::string_view text, size_t i) {
  return IsGbkLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                 IsGbkTrail(static_cast<unsigned char>(text[i + 1]))
             ? 2
             : 1;
}

std::string_view TrimLeft(std::string_view text) {
  size_t b = 0;
  while (b < text.size() && IsBlank(static_cast<unsigned char>(text[b]))) ++b;
  return text.substr(b);
}
// Blank bytes are all below 0x40, so they are never the second byte of a GBK character.
std::string_view TrimRight(std::string_view text) {
  size_t e = text.size();
  while (e > 0 && IsBlank(static_cast<unsigned char>(text[e - 1]))) --e;
  return text.substr(0, e);
}
std::string_view Trim(std::string_view text) {
  return TrimRight(TrimLeft(text));
}

unsigned char AsciiLower(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// ASCII letters match either case; the bytes of a double-byte character (whose second byte may
// look like a letter) must be the same.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    const size_t n = GbkCharLength(a, i);
    if (n == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (AsciiLower(static_cast<unsigned char>(a[i])) !=
               AsciiLower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
    i += n;
  }
  return true;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// One pair of the same quotation mark around the whole value goes.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string_view WithoutTrailingSpaces(std::string_view text) {
  size_t e = text.size();
  while (e > 0 && text[e - 1] == ' ') --e;
  return text.substr(0, e);
}

std::string Fit(std::string_view text, size_t capacity) {
  if (capacity == 0) return std::string();
  return std::string(CutGbk(text, capacity - 1));
}

// --- UTF-8 and UTF-16 ---------------------------------------------------------------------

// The code point of the UTF-8 sequence at text[*i], advancing *i; -1 for a byte that starts no
// valid sequence (overlong forms, surrogates and values above U+10FFFF are not valid).
int32_t NextUtf8(std::string_view text, size_t* i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(*i);
  if (c < 0x80) {
    ++*i;
    return c;
  }
  size_t n;
  int32_t cp, min;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 1, cp = c & 0x1F, min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 2, cp = c & 0x0F, min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 3, cp = c & 0x07, min = 0x10000;
  } else {
    ++*i;
    return -1;
  }
  if (text.size() - *i <= n) {
    ++*i;
    return -1;
  }
  for (size_t k = 1; k <= n; ++k) {
    const unsigned char t = byte(*i + k);
    if ((t & 0xC0) != 0x80) {
      ++*i;
      return -1;
    }
    cp = (cp << 6) | (t & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++*i;
    return -1;
  }
  *i += n + 1;
  return cp;
}

bool IsUtf8WithNonAscii(std::string_view text) {
  bool non_ascii = false;
  for (size_t i = 0; i < text.size();) {
    const int32_t cp = NextUtf8(text, &i);
    if (cp < 0) return false;
    non_ascii = non_ascii || cp >= 0x80;
  }
  return non_ascii;
}

// A character outside the 16-bit range, or a broken sequence, is one U+FFFD: GBK holds no such
// character, and so it becomes one "?" rather than one per unit.
std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const int32_t cp = NextUtf8(text, &i);
    out.push_back(cp < 0 || cp > 0xFFFF ? u'\xFFFD' : static_cast<char16_t>(cp));
  }
  return out;
}

void AppendUtf8(std::string* out, uint32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(&out, cp);
  }
  return out;
}

// UTF-16 units to GBK, with each surrogate pair (and each stray surrogate) as one U+FFFD.
std::string Utf16ToGbk(std::u16string text, const GbkConverter& converter) {
  size_t put = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        ++i;
      }
      c = u'\xFFFD';
    }
    text[put++] = c;
  }
  text.resize(put);
  return converter.ToGbk(text);
}

size_t MarkSize(Encoding e) {
  switch (e) {
    case Encoding::kUtf8Bom:
      return 3;
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      return 2;
    default:
      return 0;
  }
}

bool IsUtf16(Encoding e) {
  return e == Encoding::kUtf16Le || e == Encoding::kUtf16Be;
}

// --- The file as lines ----------------------------------------------------------------------

// One line: its text in the file [begin, end), its line end [end, next), byte offsets; and its
// text in GBK.
struct Line {
  size_t begin, end, next;
  std::string_view text;
};

// What a line says.
struct Entry {
  enum Kind { kBlank, kSection, kKey } kind = kBlank;
  std::string_view name;
  bool has_value = false;
  std::string_view value;
};

Entry ParseLine(std::string_view text) {
  Entry e;
  const std::string_view t = Trim(text);
  if (t.empty()) return e;
  if (t[0] == '[') {
    size_t close = kNone;
    for (size_t i = 1; i < t.size(); i += GbkCharLength(t, i)) {
      if (t[i] == ']') close = i;
    }
    if (close != kNone) {
      e.kind = Entry::kSection;
      e.name = Trim(t.substr(1, close - 1));
      return e;
    }
  }
  e.kind = Entry::kKey;
  const size_t eq = t.find('=');  // '=' is below 0x40: never the second byte of a character
  if (eq == std::string_view::npos) {
    e.name = t;
    return e;
  }
  e.name = TrimRight(t.substr(0, eq));
  e.has_value = true;
  e.value = TrimLeft(t.substr(eq + 1));
  return e;
}

class Document {
 public:
  Document(std::string_view bytes, const GbkConverter& converter)
      : bytes_(bytes), converter_(converter), encoding_(DetectEncoding(bytes)) {
    begin_ = MarkSize(encoding_);
    end_ = IsUtf16(encoding_) ? begin_ + (bytes.size() - begin_) / 2 * 2 : bytes.size();
    Split();
  }

  Encoding encoding() const { return encoding_; }
  const std::vector<Line>& lines() const { return lines_; }
  // Where text appended to the file goes: after the last whole unit.
  size_t content_end() const { return end_; }

  // Index of the header line of the first section of that name, or kNone.
  size_t FindSection(std::string_view name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
      const Entry e = ParseLine(lines_[i].text);
      if (e.kind == Entry::kSection && SameName(e.name, name)) return i;
    }
    return kNone;
  }
  // Index of the line after the section that starts at `header`.
  size_t SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && ParseLine(lines_[i].text).kind != Entry::kSection) ++i;
    return i;
  }
  size_t FindKey(size_t header, std::string_view name) const {
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
      const Entry e = ParseLine(lines_[i].text);
      if (e.kind == Entry::kKey && SameName(e.name, name)) return i;
    }
    return kNone;
  }

  std::string Encode(std::string_view gbk) const {
    return EncodeText(gbk, encoding_, false, converter_);
  }
  // The file's own line end: that of its first line that has one.
  std::string LineEnd() const {
    for (const Line& line : lines_) {
      if (line.next > line.end) return std::string(bytes_.substr(line.end, line.next - line.end));
    }
    return Encode("\r\n");
  }
  // The bytes of line i up to and including its first "=", or its text without the blanks at
  // its end followed by a new "=" when it has none.
  std::string KeyPrefix(size_t i) const {
    const Line& line = lines_[i];
    const size_t step = IsUtf16(encoding_) ? 2 : 1;
    size_t cut = line.end;
    for (size_t p = line.begin; p < line.end; p += step) {
      if (Unit(p) == '=') return std::string(bytes_.substr(line.begin, p + step - line.begin));
    }
    while (cut > line.begin && IsBlank(Unit(cut - step))) cut -= step;
    return std::string(bytes_.substr(line.begin, cut - line.begin)) + Encode("=");
  }

 private:
  unsigned Unit(size_t p) const {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(bytes_[k]); };
    switch (encoding_) {
      case Encoding::kUtf16Le:
        return b(p) | unsigned(b(p + 1)) << 8;
      case Encoding::kUtf16Be:
        return unsigned(b(p)) << 8 | b(p + 1);
      default:
        return b(p);
    }
  }

  void Split() {
    const size_t step = IsUtf16(encoding_) ? 2 : 1;
    std::vector<size_t> offsets;  // where each line's GBK text starts in decoded_
    for (size_t p = begin_; p < end_;) {
      Line line{p, p, p, {}};
      while (line.end < end_ && Unit(line.end) != '\r' && Unit(line.end) != '\n') line.end += step;
      line.next = line.end;
      if (line.next < end_ && Unit(line.next) == '\r') {
        line.next += step;
        if (line.next < end_ && Unit(line.next) == '\n') line.next += step;
      } else if (line.next < end_) {
        line.next += step;  // LF
      }
      if (encoding_ == Encoding::kGbk) {
        line.text = bytes_.substr(line.begin, line.end - line.begin);
      } else {
        offsets.push_back(decoded_.size());
        decoded_ += Decode(line.begin, line.end);
      }
      lines_.push_back(line);
      p = line.next;
    }
    if (encoding_ == Encoding::kGbk) return;
    offsets.push_back(decoded_.size());
    const std::string_view all(decoded_);
    for (size_t i = 0; i < lines_.size(); ++i) {
      lines_[i].text = all.substr(offsets[i], offsets[i + 1] - offsets[i]);
    }
  }

  std::string Decode(size_t b, size_t e) const {
    if (b == e) return std::string();
    if (!IsUtf16(encoding_)) return Utf16ToGbk(Utf8ToUtf16(bytes_.substr(b, e - b)), converter_);
    std::u16string units;
    units.reserve((e - b) / 2);
    for (size_t p = b; p < e; p += 2) units.push_back(static_cast<char16_t>(Unit(p)));
    return Utf16ToGbk(std::move(units), converter_);
  }

  std::string_view bytes_;
  const GbkConverter& converter_;
  Encoding encoding_;
  size_t begin_ = 0, end_ = 0;
  std::vector<Line> lines_;
  std::string decoded_;
};

}  // namespace

Encoding DetectEncoding(std::string_view bytes) {
  const auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xFF\xFE")) return Encoding::kUtf16Le;
  if (starts("\xFE\xFF")) return Encoding::kUtf16Be;
  if (starts("\xEF\xBB\xBF")) return Encoding::kUtf8Bom;
  return IsUtf8WithNonAscii(bytes) ? Encoding::kUtf8 : Encoding::kGbk;
}

std::string EncodeText(std::string_view gbk, Encoding encoding, bool mark,
                       const GbkConverter& converter) {
  std::string out;
  switch (encoding) {
    case Encoding::kGbk:
      return std::string(gbk);
    case Encoding::kUtf8:
    case Encoding::kUtf8Bom:
      if (mark && encoding == Encoding::kUtf8Bom) out = "\xEF\xBB\xBF";
      return out + Utf16ToUtf8(converter.ToUtf16(gbk));
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      const bool le = encoding == Encoding::kUtf16Le;
      std::u16string units = converter.ToUtf16(gbk);
      if (mark) units.insert(units.begin(), u'\xFEFF');
      out.reserve(units.size() * 2);
      for (char16_t u : units) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out.push_back(le ? lo : hi);
        out.push_back(le ? hi : lo);
      }
      return out;
    }
  }
  return out;
}

std::string_view CutGbk(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t i = 0;
  while (i < text.size()) {
    const size_t n = GbkCharLength(text, i);
    if (i + n > max_bytes) break;
    i += n;
  }
  return text.substr(0, i);
}

std::string ReadValue(std::string_view file, std::string_view section, std::string_view key,
                      std::string_view fallback, size_t capacity, const GbkConverter& converter) {
  const Document doc(file, converter);
  const size_t header = doc.FindSection(Trim(section));
  const size_t at = header == kNone ? kNone : doc.FindKey(header, Trim(key));
  if (at != kNone) {
    const Entry e = ParseLine(doc.lines()[at].text);
    if (e.has_value) {
      std::string_view value = e.value;
      value = value.substr(0, value.find('\0'));  // the value is a zero-terminated text
      return Fit(Unquote(value), capacity);
    }
  }
  return Fit(Unquote(WithoutTrailingSpaces(fallback)), capacity);
}

std::string MissingFileValue(std::string_view fallback, size_t capacity) {
  return Fit(WithoutTrailingSpaces(fallback), capacity);
}

WriteOutcome WriteValue(std::string* file, std::string_view section,
                        std::optional<std::string_view> key, std::optional<std::string_view> value,
                        const GbkConverter& converter) {
  if (Trim(section).empty() || HasLineBreak(section)) return WriteOutcome::kRefused;
  if (key && (Trim(*key).empty() || HasLineBreak(*key))) return WriteOutcome::kRefused;
  if (key && value && HasLineBreak(*value)) return WriteOutcome::kRefused;

  const Document doc(*file, converter);
  const std::vector<Line>& lines = doc.lines();
  const size_t header = doc.FindSection(Trim(section));
  // Replaces the bytes [from, to) of the file.
  const auto splice = [&](size_t from, size_t to, const std::string& with) {
    file->replace(from, to - from, with);
    return WriteOutcome::kChanged;
  };

  if (!key) {
    if (header == kNone) return WriteOutcome::kUnchanged;
    const size_t end = doc.SectionEnd(header);
    return splice(lines[header].begin, end < lines.size() ? lines[end].begin : doc.content_end(),
                  std::string());
  }
  const size_t at = header == kNone ? kNone : doc.FindKey(header, Trim(*key));
  if (!value) {
    if (at == kNone) return WriteOutcome::kUnchanged;
    return splice(lines[at].begin, lines[at].next, std::string());
  }

  const std::string_view new_value = TrimLeft(*value);
  if (at != kNone) {
    const Entry e = ParseLine(lines[at].text);
    if (e.has_value && e.value == new_value) return WriteOutcome::kUnchanged;
    return splice(lines[at].begin, lines[at].end, doc.KeyPrefix(at) + doc.Encode(new_value));
  }

  const std::string eol = doc.LineEnd();
  std::string added = doc.Encode(std::string(TrimLeft(*key)) + "=" + std::string(new_value)) + eol;
  size_t after;  // the line the new text follows, or kNone at the start of the file
  if (header != kNone) {
    after = header;
    const size_t end = doc.SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
      if (ParseLine(lines[i].text).kind != Entry::kBlank) after = i;
    }
  } else {
    added = doc.Encode("[" + std::string(TrimLeft(section)) + "]") + eol + added;
    after = lines.empty() ? kNone : lines.size() - 1;
  }
  if (after == kNone) return splice(doc.content_end(), doc.content_end(), added);
  const Line& line = lines[after];
  // A last line without a line end gets one before the new text.
  if (line.next == line.end) added = eol + added;
  return splice(line.next, line.next, added);
}

std::vector<std::string> SectionNames(std::string_view file, const GbkConverter& converter) {
  const Document doc(file, converter);
  std::vector<std::string> names;
  for (const Line& line : doc.lines()) {
    const Entry e = ParseLine(line.text);
    if (e.kind != Entry::kSection) continue;
    bool known = false;
    for (const std::string& n : names) known = known || SameName(n, e.name);
    if (!known) names.emplace_back(e.name);
  }
  return names;
}

WriteOutcome AddSection(std::string* file, std::string_view section,
                        const std::vector<NewKey>& keys, const GbkConverter& converter) {
  if (Trim(section).empty() || HasLineBreak(section)) return WriteOutcome::kRefused;
  for (const NewKey& k : keys) {
    if (Trim(k.key).empty() || HasLineBreak(k.key) ||
        k.value.find_first_of(u"\r\n") != std::u16string::npos) {
      return WriteOutcome::kRefused;
    }
  }
  const Document doc(*file, converter);
  if (doc.FindSection(Trim(section)) != kNone) return WriteOutcome::kRefused;
  const std::string eol = doc.LineEnd();
  std::string added = doc.Encode("[" + std::string(Trim(section)) + "]") + eol;
  for (const NewKey& k : keys) {
    added += doc.Encode(std::string(Trim(k.key)) + "=");
    switch (doc.encoding()) {
      case Encoding::kGbk:
        added += Utf16ToGbk(k.value, converter);
        break;
      case Encoding::kUtf8:
      case Encoding::kUtf8Bom:
        added += Utf16ToUtf8(k.value);
        break;
      case Encoding::kUtf16Le:
      case Encoding::kUtf16Be:
        for (char16_t u : k.value) {
          const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
          added.push_back(doc.encoding() == Encoding::kUtf16Le ? lo : hi);
          added.push_back(doc.encoding() == Encoding::kUtf16Le ? hi : lo);
        }
        break;
    }
    added += eol;
  }
  const std::vector<Line>& lines = doc.lines();
  // A last line without a line end gets one before the new section; a UTF-16 file's odd last
  // byte stays where it is, after the new text.
  if (!lines.empty() && lines.back().next == lines.back().end) added = eol + added;
  file->insert(doc.content_end(), added);
  return WriteOutcome::kChanged;
}

bool CopyStillHolds(const FileStamp& then, uint64_t read_at, const FileStamp& now) {
  return then == now && then.written < read_at && read_at - then.written > kStampUncertainty;
}

}  // namespace rc::ini
