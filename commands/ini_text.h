// The settings file as text: reading one value and making one write the way the Windows
// profile-string functions do, on the bytes of a file in whatever encoding a teacher's editor
// saved it. Portable; the file itself is opened by the commands (ini_file.cpp).
//
// Encodings. A file that starts with a UTF-16 mark (LE or BE) is UTF-16, one that starts with
// the UTF-8 mark is UTF-8; without a mark, a file that is valid UTF-8 and holds non-ASCII bytes
// is UTF-8 (what today's editors save), anything else is GBK. Names and values always meet the
// caller in GBK. A write keeps the file's encoding and mark, touches only the line it changes
// (or inserts one), and gives new lines the file's own line end (CRLF in a file that has none).
// A character GBK cannot hold reads as one "?", as the runtime's other UTF-16 to GBK
// conversions give it; it never becomes "?" in the file, since lines a write does not change
// keep their bytes and a changed line keeps its bytes up to the "=".
//
// Lines. CRLF, LF and a lone CR each end a line. Blanks are space, tab, LF, VT, FF, CR and the
// old end-of-file mark 0x1A; they are cut from both ends of every line and of every name. A
// line whose first character is "[" and that holds a "]" after it opens a section named by what
// stands between the "[" and the last "]"; every other non-blank line is a key line, its name
// before the first "=" and its value after it (no "=": a key without value, which reads as
// missing). So the separator line "[====...====]" of the class list is a section of its own.
// Names match without regard to the case of ASCII letters; other characters must be the same.
// When a section or a key stands twice, the first one counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rc::ini {

// GBK (code page 936) to and from UTF-16, supplied by the platform: Windows converts with code
// page 936 itself, the native tests with iconv. Each UTF-16 unit GBK cannot hold becomes "?".
class GbkConverter {
 public:
  virtual std::u16string ToUtf16(std::string_view gbk) const = 0;
  virtual std::string ToGbk(std::u16string_view utf16) const = 0;

 protected:
  ~GbkConverter() = default;
};

enum class Encoding { kGbk, kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be };

Encoding DetectEncoding(std::string_view bytes);

// GBK text in the given encoding, with the encoding's mark when `mark` is set.
std::string EncodeText(std::string_view gbk, Encoding encoding, bool mark,
                       const GbkConverter& converter);

// The value of `key` in `section` of the file's bytes as the profile-string read delivers it
// into a buffer of `capacity` bytes: without the blanks around it and without one pair of
// quotation marks (single or double) that enclose it, cut to capacity - 1 bytes at a character
// boundary. A missing section or key, or a key without "=", gives the fallback without its
// trailing spaces and, as for a value, without one enclosing pair of quotation marks.
std::string ReadValue(std::string_view file, std::string_view section, std::string_view key,
                      std::string_view fallback, size_t capacity, const GbkConverter& converter);

// What a read of a missing or unreadable file gives: the fallback without its trailing spaces,
// quotation marks kept (the profile functions strip them only when the file could be read).
std::string MissingFileValue(std::string_view fallback, size_t capacity);

enum class WriteOutcome { kUnchanged, kChanged, kRefused };

// Makes one profile-string write to the file's bytes (empty for a new file, which becomes GBK):
// without a key the section is deleted; without a value the key is deleted; otherwise the key
// gets the value (blanks before it dropped, as the profile functions drop them): an existing
// key keeps its place and its line up to the "=", a new key goes after the last non-blank line
// of its section, a new section to the end of the file. Deleting what is not there, and writing
// the value a key already has, change nothing. Refused, changing nothing: a section or key that
// is empty or only blanks (nothing could read it back), and a name or value holding a line
// break (it would write lines nobody asked for).
WriteOutcome WriteValue(std::string* file, std::string_view section,
                        std::optional<std::string_view> key, std::optional<std::string_view> value,
                        const GbkConverter& converter);

// The names of the file's sections in file order, each once (a section that stands twice counts
// where it first stands).
std::vector<std::string> SectionNames(std::string_view file, const GbkConverter& converter);

// Adds a new section at the end of the file with these keys and values, the values given in
// UTF-16: a UTF-8 or UTF-16 file keeps every character of them, a GBK file gets "?" for one it
// cannot hold. Every byte of the file stays as it was; a last line without a line end gets the
// file's own first. Refused, changing nothing: a section of that name already there, a name
// that could not be read back, and a value holding a line break.
struct NewKey {
  std::string key;  // GBK
  std::u16string value;
};
WriteOutcome AddSection(std::string* file, std::string_view section,
                        const std::vector<NewKey>& keys, const GbkConverter& converter);

// What a file's directory entry tells of its content: its size and its times, in the system's
// 100 ns steps.
struct FileStamp {
  uint64_t size = 0;
  uint64_t written = 0;
  uint64_t created = 0;
  bool operator==(const FileStamp& o) const {
    return size == o.size && written == o.written && created == o.created;
  }
};

// File systems keep a file's times to a step of their own (2 s on FAT, a clock tick elsewhere),
// and a server's clock may run apart from ours: a write closer than this to the time the file
// was read may leave its stamp as it was.
constexpr uint64_t kStampUncertainty = 5 * 10000000ull;

// Whether bytes read at `read_at` (system time, taken before the read) from a file stamped
// `then` (taken before the read as well) still stand for the file now stamped `now`. An edit
// that keeps the size can only be told by the time of the write, so a copy read within
// kStampUncertainty of the file's last write is never trusted: the file is read again until it
// has been left alone for longer than that.
bool CopyStillHolds(const FileStamp& then, uint64_t read_at, const FileStamp& now);

// The longest start of GBK text of at most max_bytes bytes that does not split a double-byte
// character.
std::string_view CutGbk(std::string_view text, size_t max_bytes);

}  // namespace rc::ini
