#include "base/text_w.h"

#include <windows.h>

namespace rc {

namespace {
constexpr UINT kGbk = 936;

std::wstring WideN(const char* gbk, int len) {
  if (len <= 0) return std::wstring();
  int n = MultiByteToWideChar(kGbk, 0, gbk, len, nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(kGbk, 0, gbk, len, &out[0], n);
  return out;
}

std::string GbkN(const wchar_t* wide, int len) {
  if (len <= 0) return std::string();
  int n = WideCharToMultiByte(kGbk, 0, wide, len, nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(kGbk, 0, wide, len, &out[0], n, nullptr, nullptr);
  return out;
}
}  // namespace

std::wstring Wide(const char* gbk) {
  return gbk ? WideN(gbk, int(lstrlenA(gbk))) : std::wstring();
}
std::wstring Wide(const std::string& gbk) {
  return WideN(gbk.data(), int(gbk.size()));
}
std::string Gbk(const wchar_t* wide) {
  return wide ? GbkN(wide, lstrlenW(wide)) : std::string();
}
std::string Gbk(const std::wstring& wide) {
  return GbkN(wide.data(), int(wide.size()));
}

}  // namespace rc
