// Helpers of the Windows-side core command tests: a scratch folder addressed by GBK paths, and
// raw file access through the W functions, independent of the commands under test.
#pragma once

#include <windows.h>

#include <string>

#include "base/text_w.h"
#include "base/values.h"

namespace rc::test {

// A fresh folder under the temp directory, removed with its files at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    path_ = Gbk(base) + "rollcall-core-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    CreateDirectoryW(Wide(path_).c_str(), nullptr);
  }
  ~ScratchDir() {
    WIN32_FIND_DATAW found;
    const std::wstring dir = Wide(path_) + L"\\";
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring full = dir + found.cFileName;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveDirectoryW(full.c_str());
        } else {
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(h, &found));
      FindClose(h);
    }
    RemoveDirectoryW(Wide(path_).c_str());
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // Full GBK path of a name inside the folder.
  std::string Path(const std::string& name) const { return path_ + "\\" + name; }
  const std::string& path() const { return path_; }

  // Number of entries in the folder ("." and ".." not counted).
  int Count() const {
    int n = 0;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((Wide(path_) + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
      if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0) ++n;
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return n;
  }

 private:
  std::string path_;
};

inline bool WriteRaw(const std::string& gbk_path, const std::string& bytes) {
  HANDLE h = CreateFileW(Wide(gbk_path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok =
      bytes.empty() ||
      (WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr) && put == bytes.size());
  CloseHandle(h);
  return ok;
}

// The file's bytes; `exists` tells a missing file from an empty one.
inline std::string ReadRaw(const std::string& gbk_path, bool* exists = nullptr) {
  HANDLE h = CreateFileW(Wide(gbk_path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (exists != nullptr) *exists = h != INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

inline bool FileThere(const std::string& gbk_path) {
  return GetFileAttributesW(Wide(gbk_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A text argument that points at the bytes of `s` (which must outlive the call).
inline ArgRecord TextValue(const std::string& s) {
  return PointerValue(s.c_str(), kTagText);
}
// Literals point at themselves: going through a temporary string would leave a record kept
// beyond the full expression (a table of cases) pointing at freed memory.
inline ArgRecord TextValue(const char* literal) {
  return PointerValue(literal, kTagText);
}

}  // namespace rc::test
