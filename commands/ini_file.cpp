// The settings file commands. They read and write the file themselves (ini_text.h holds the
// rules) instead of going through the system's ANSI profile functions: those read the path and
// a file without a UTF-16 mark in the ANSI code page, so on a Windows whose code page is not
// 936, or with a file saved as UTF-8, the class list read empty and writes went wrong. Paths
// are converted from GBK explicitly and opened with the W functions; GBK texts meet the file
// through code page 936, whatever the system's own.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/kernel_handle.h"
#include "base/text_w.h"
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "commands/ini_text.h"

namespace rc {
namespace {

constexpr DWORD kIniValueBuffer = 10240;
constexpr UINT kGbk = 936;
// A settings file larger than this is not one: it reads as unreadable and is not written.
constexpr LONGLONG kMaxIniFile = 16 << 20;

class CodePage936 final : public ini::GbkConverter {
 public:
  std::u16string ToUtf16(std::string_view gbk) const override {
    if (gbk.empty()) return std::u16string();
    const int in = static_cast<int>(gbk.size());
    const int n = MultiByteToWideChar(kGbk, 0, gbk.data(), in, nullptr, 0);
    std::u16string out(size_t(n > 0 ? n : 0), u'\0');
    if (n > 0) MultiByteToWideChar(kGbk, 0, gbk.data(), in, Wchars(&out), n);
    return out;
  }
  // No best-fit look-alikes: what GBK cannot hold is "?", as in every other conversion here.
  std::string ToGbk(std::u16string_view utf16) const override {
    if (utf16.empty()) return std::string();
    const auto* in = reinterpret_cast<const wchar_t*>(utf16.data());
    const int len = static_cast<int>(utf16.size());
    const int n =
        WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, in, len, nullptr, 0, "?", nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, in, len, &out[0], n, "?", nullptr);
    return out;
  }

 private:
  static wchar_t* Wchars(std::u16string* s) { return reinterpret_cast<wchar_t*>(&(*s)[0]); }
};

const CodePage936 kConverter;

// Blanks and control characters before a name are not part of it.
const char* SkipLeadingControls(const char* text) {
  if (text == nullptr) return nullptr;
  while (static_cast<unsigned char>(*text) >= 1 && static_cast<unsigned char>(*text) <= 32) {
    ++text;
  }
  return text;
}

// A text argument that was given; the empty text is "", not null, because null means "delete".
// Null when the argument was omitted.
const char* GivenText(int argc, const ArgRecord* args, int i) {
  const ArgRecord* a = OptionalArg(argc, args, i);
  if (a == nullptr) return nullptr;
  const char* text = a->tag == kTagText ? static_cast<const char*>(SlotPointer(*a)) : nullptr;
  return text != nullptr ? text : "";
}

// A bare file name means a file in the Windows directory, as it does to the profile functions;
// anything with a folder or drive in it is taken as it stands.
std::wstring IniPath(const char* gbk) {
  std::wstring path = Wide(gbk);
  if (path.find_first_of(L"\\/:") != std::wstring::npos) return path;
  wchar_t dir[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return path;
  return std::wstring(dir, n) + L"\\" + path;
}

// The whole file from its start; false when it cannot be read or is too large to be one.
bool ReadWhole(HANDLE h, std::string* bytes) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size) || size.QuadPart > kMaxIniFile) return false;
  bytes->resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes->empty() && !ReadFile(h, &(*bytes)[0], DWORD(bytes->size()), &got, nullptr)) {
    return false;
  }
  bytes->resize(got);
  return true;
}

// Writes `now` over the file that held `was`, from the first byte that differs.
bool WriteChanges(HANDLE h, const std::string& was, const std::string& now) {
  size_t from = 0;
  while (from < was.size() && from < now.size() && was[from] == now[from]) ++from;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(from);
  if (!SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) return false;
  const DWORD size = static_cast<DWORD>(now.size() - from);
  DWORD put = 0;
  if (size > 0 && (!WriteFile(h, now.data() + from, size, &put, nullptr) || put != size)) {
    return false;
  }
  return SetEndOfFile(h) != FALSE;
}

// One change of the file's bytes (ini::WriteValue or ini::AddSection).
using Edit = std::function<ini::WriteOutcome(std::string* bytes)>;

bool EditIni(const std::wstring& path, const Edit& edit) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Deleting from a file that is not there, or a refused write, must not create it.
    std::string nothing;
    const ini::WriteOutcome outcome = edit(&nothing);
    if (outcome != ini::WriteOutcome::kChanged) return outcome == ini::WriteOutcome::kUnchanged;
  }
  // Read and write through one handle that nobody else may write meanwhile. A file marked
  // read-only is not opened for writing even where the system would allow it (Wine run by root
  // does): the teacher marked it so that nothing changes it.
  KernelHandle file(
      (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
          ? INVALID_HANDLE_VALUE
          : CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  bool writable = file.ok();
  KernelHandle read_only(writable
                             ? INVALID_HANDLE_VALUE
                             : CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const HANDLE h = writable ? file.get() : read_only.get();
  std::string was;
  if (h == INVALID_HANDLE_VALUE || !ReadWhole(h, &was)) return false;
  std::string now = was;
  switch (edit(&now)) {
    case ini::WriteOutcome::kUnchanged:
      return true;
    case ini::WriteOutcome::kRefused:
      return false;
    case ini::WriteOutcome::kChanged:
      break;
  }
  // A file that may be read but not written keeps what it has: true only if nothing changes.
  return writable && WriteChanges(h, was, now);
}

bool WriteIni(const std::wstring& path, std::string_view section,
              std::optional<std::string_view> key, std::optional<std::string_view> value) {
  return EditIni(path, [&](std::string* bytes) {
    return ini::WriteValue(bytes, section, key, value, kConverter);
  });
}

uint64_t FromFileTime(const FILETIME& t) {
  return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// The bytes of the settings file as last read, kept for the reads that follow while the file
// stays as it was: the banner reads the class list file a hundred times a second, and opening,
// reading and closing it is three round trips to the server under Wine, while its directory
// entry is looked up without one. One file per thread: the program reads only its class list.
struct CachedFile {
  std::wstring path;
  ini::FileStamp stamp;
  uint64_t read_at = 0;
  std::string bytes;
};
thread_local CachedFile cached;

bool StampOf(const std::wstring& path, ini::FileStamp* stamp) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a) ||
      (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  stamp->size = (uint64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
  stamp->written = FromFileTime(a.ftLastWriteTime);
  stamp->created = FromFileTime(a.ftCreationTime);
  return true;
}

// The whole file, from the copy kept of it while that still stands for it (ini::CopyStillHolds
// tells), else read anew; null when it cannot be read.
const std::string* SettingsFileBytes(const std::wstring& path) {
  ini::FileStamp stamp;
  const bool stamped = StampOf(path, &stamp);
  if (stamped && cached.path == path && ini::CopyStillHolds(cached.stamp, cached.read_at, stamp)) {
    return &cached.bytes;
  }
  cached.path.clear();
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  // Others may write the file meanwhile: a teacher's editor saving it must not fail.
  KernelHandle h(CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.ok() || !ReadWhole(h.get(), &cached.bytes)) return nullptr;
  if (stamped) {
    cached.path = path;
    cached.stamp = stamp;
    cached.read_at = FromFileTime(now);
  }
  return &cached.bytes;
}

std::optional<std::string_view> Optional(const char* text) {
  return text != nullptr ? std::optional<std::string_view>(text) : std::nullopt;
}

}  // namespace

void ReadIniItem(ResultRecord* result, int argc, ArgRecord* args) {
  const char* file = SkipLeadingControls(TextArg(argc, args, 0));
  const char* section = SkipLeadingControls(TextArg(argc, args, 1));
  const char* key = SkipLeadingControls(TextArg(argc, args, 2));
  if (IsEmptyText(file) || IsEmptyText(section) || IsEmptyText(key)) return;
  const char* given = TextArg(argc, args, 3);
  const std::string_view fallback = given != nullptr ? given : "";
  const std::string* bytes = SettingsFileBytes(IniPath(file));
  const std::string value =
      bytes != nullptr ? ini::ReadValue(*bytes, section, key, fallback, kIniValueBuffer, kConverter)
                       : ini::MissingFileValue(fallback, kIniValueBuffer);
  SetSlotPointer(result, CopyText(value.c_str()));
}

void WriteIniItem(ResultRecord* result, int argc, ArgRecord* args) {
  const char* file = TextArg(argc, args, 0);
  // An empty name would send the write to the Windows directory's own settings file.
  if (IsEmptyText(file)) return;
  const char* section = GivenText(argc, args, 1);
  // Only an omitted key or value deletes; an empty one is written as empty, so that a value
  // that happens to be empty never wipes out a key or a whole section.
  const char* key = GivenText(argc, args, 2);
  const char* value = GivenText(argc, args, 3);
  // The file's new stamp would tell too; a write of our own need not wait for it.
  cached.path.clear();
  const bool ok =
      WriteIni(IniPath(file), section != nullptr ? section : "", Optional(key), Optional(value));
  result->lo = ok ? 1u : 0u;
}

void ListIniSections(ResultRecord* result, int argc, ArgRecord* args) {
  const char* file = TextArg(argc, args, 0);
  if (IsEmptyText(file)) return;
  const std::string* bytes = SettingsFileBytes(IniPath(file));
  if (bytes == nullptr) return;
  std::string names;
  for (const std::string& name : ini::SectionNames(*bytes, kConverter)) names += name + "\n";
  if (!names.empty()) SetSlotPointer(result, CopyText(names.c_str()));
}

void AddIniSection(ResultRecord* result, int argc, ArgRecord* args) {
  const char* file = TextArg(argc, args, 0);
  const char* section = TextArg(argc, args, 1);
  if (IsEmptyText(file) || IsEmptyText(section)) return;
  // The keys: UTF-16 LE lines "key=value", each ended by LF.
  std::vector<ini::NewKey> keys;
  const ArgRecord* lines = OptionalArg(argc, args, 2);
  const void* block = lines != nullptr && lines->tag == kTagBytes ? SlotPointer(*lines) : nullptr;
  if (block != nullptr) {
    const auto* data = static_cast<const uint8_t*>(ByteBlockData(block));
    const uint32_t size = ByteBlockLength(block);
    std::u16string line;
    for (uint32_t i = 0; i + 1 < size; i += 2) {
      const char16_t u = char16_t(data[i] | data[i + 1] << 8);
      if (u != u'\n') {
        line.push_back(u);
        continue;
      }
      const size_t eq = line.find(u'=');
      if (eq != std::u16string::npos) {
        keys.push_back({kConverter.ToGbk(line.substr(0, eq)), line.substr(eq + 1)});
      }
      line.clear();
    }
  }
  cached.path.clear();
  const bool ok = EditIni(IniPath(file), [&](std::string* bytes) {
    return ini::AddSection(bytes, section, keys, kConverter);
  });
  result->lo = ok ? 1u : 0u;
}

}  // namespace rc
