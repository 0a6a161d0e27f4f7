// GBK conversion for the settings-file tests and fuzzing: on Windows the system's code page 936,
// as the commands use it; natively iconv's CP936. Both give "?" for each UTF-16 unit or GBK
// byte sequence they cannot convert.
#pragma once

#include <string>
#include <string_view>

#include "commands/ini_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace rc::test {

#ifdef _WIN32

class TestGbk final : public ini::GbkConverter {
 public:
  std::u16string ToUtf16(std::string_view gbk) const override {
    const int n = MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), nullptr, 0);
    std::u16string out(size_t(n > 0 ? n : 0), u'\0');
    if (n > 0) {
      MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), reinterpret_cast<wchar_t*>(&out[0]),
                          n);
    }
    return out;
  }
  std::string ToGbk(std::u16string_view utf16) const override {
    const auto* in = reinterpret_cast<const wchar_t*>(utf16.data());
    const int len = int(utf16.size());
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, in, len, nullptr, 0, "?", nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, in, len, &out[0], n, "?", nullptr);
    return out;
  }
};

#else

class TestGbk final : public ini::GbkConverter {
 public:
  TestGbk()
      : to_utf16_(iconv_open("UTF-16LE", "CP936")), to_gbk_(iconv_open("CP936", "UTF-16LE")) {}
  ~TestGbk() {
    iconv_close(to_utf16_);
    iconv_close(to_gbk_);
  }
  TestGbk(const TestGbk&) = delete;
  TestGbk& operator=(const TestGbk&) = delete;

  std::u16string ToUtf16(std::string_view gbk) const override {
    const std::string le = Run(to_utf16_, gbk.data(), gbk.size(), 1, std::string("?\0", 2));
    std::u16string out;
    for (size_t i = 0; i + 1 < le.size(); i += 2) {
      out.push_back(char16_t(uint8_t(le[i]) | uint8_t(le[i + 1]) << 8));
    }
    return out;
  }
  std::string ToGbk(std::u16string_view utf16) const override {
    std::string le;
    for (char16_t u : utf16) {
      le.push_back(char(u & 0xFF));
      le.push_back(char(u >> 8));
    }
    return Run(to_gbk_, le.data(), le.size(), 2, "?");
  }

 private:
  // Converts, putting `replacement` for each `unit` bytes of input that do not convert.
  static std::string Run(iconv_t cd, const char* in, size_t n, size_t unit,
                         const std::string& replacement) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buf[512];
    char* src = const_cast<char*>(in);
    while (n > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      const size_t r = iconv(cd, &src, &n, &dst, &room);
      out.append(buf, size_t(dst - buf));
      if (r == size_t(-1) && errno != E2BIG) {
        const size_t skip = n < unit ? n : unit;
        src += skip;
        n -= skip;
        out += replacement;
      }
    }
    return out;
  }

  iconv_t to_utf16_;
  iconv_t to_gbk_;
};

#endif

}  // namespace rc::test
