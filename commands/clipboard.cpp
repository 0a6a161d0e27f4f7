// The clipboard's text, and UTF-16 text to GBK: what a list pasted from a spreadsheet needs.
// The clipboard's Unicode text keeps every character a cell held; GBK is what the runtime's
// texts are, and the application asks which of its names GBK would change.
#include <windows.h>

#include <string>

#include "commands/core_commands.h"

namespace rc {
namespace {

// The clipboard, open while this lives.
class OpenedClipboard {
 public:
  OpenedClipboard() {
    // Another program may hold it for a moment (a spreadsheet still putting its copy there).
    for (int i = 0; i < 10 && !open_; ++i) {
      open_ = OpenClipboard(nullptr) != FALSE;
      if (!open_) Sleep(20);
    }
  }
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool ok() const { return open_; }

 private:
  bool open_ = false;
};

// A global memory block, locked while this lives.
class Locked {
 public:
  explicit Locked(HANDLE h) : h_(h), p_(h != nullptr ? GlobalLock(h) : nullptr) {}
  ~Locked() {
    if (p_ != nullptr) GlobalUnlock(h_);
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  const void* get() const { return p_; }
  size_t size() const { return p_ != nullptr ? GlobalSize(h_) : 0; }

 private:
  HANDLE h_;
  void* p_;
};

std::wstring ClipboardText() {
  OpenedClipboard clipboard;
  if (!clipboard.ok()) return std::wstring();
  if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    Locked data(GetClipboardData(CF_UNICODETEXT));
    if (data.get() != nullptr) {
      // The block may be larger than its text, and a careless writer may leave out the zero.
      const auto* p = static_cast<const wchar_t*>(data.get());
      const size_t max = data.size() / sizeof(wchar_t);
      size_t n = 0;
      while (n < max && p[n] != L'\0') ++n;
      return std::wstring(p, n);
    }
  }
  if (IsClipboardFormatAvailable(CF_TEXT)) {
    Locked data(GetClipboardData(CF_TEXT));
    if (data.get() != nullptr) {
      const auto* p = static_cast<const char*>(data.get());
      const size_t max = data.size();
      size_t n = 0;
      while (n < max && p[n] != '\0') ++n;
      if (n == 0) return std::wstring();
      const int len = MultiByteToWideChar(CP_ACP, 0, p, int(n), nullptr, 0);
      std::wstring out(size_t(len > 0 ? len : 0), L'\0');
      if (len > 0) MultiByteToWideChar(CP_ACP, 0, p, int(n), &out[0], len);
      return out;
    }
  }
  return std::wstring();
}

}  // namespace

void ReadClipboardText(ResultRecord* result, int, ArgRecord*) {
  const std::wstring text = ClipboardText();
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  SetSlotPointer(result, BytesToByteBlock(bytes.data(), ptrdiff_t(bytes.size())));
}

void GbkFromUtf16(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* a = OptionalArg(argc, args, 0);
  const void* block = a != nullptr && a->tag == kTagBytes ? SlotPointer(*a) : nullptr;
  if (block == nullptr) return;
  const unsigned char* data = ByteBlockData(block);
  std::wstring wide;
  for (uint32_t i = 0; i + 1 < ByteBlockLength(block); i += 2) {
    wide.push_back(wchar_t(data[i] | data[i + 1] << 8));
  }
  if (wide.empty()) return;
  // No best-fit look-alikes: what GBK cannot hold is "?", as the settings file writes it.
  const int len = static_cast<int>(wide.size());
  const int n =
      WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), len, nullptr, 0, "?", nullptr);
  std::string gbk(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), len, &gbk[0], n, "?", nullptr);
  }
  SetSlotPointer(result, CopyText(gbk.c_str()));
}

}  // namespace rc
