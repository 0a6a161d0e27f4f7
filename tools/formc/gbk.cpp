#include "tools/formc/gbk.h"

#include <iconv.h>

#include <cstdio>

namespace formc {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::optional<std::string> Convert(std::string_view in) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1) ||
        iconv(cd_, nullptr, nullptr, &dst, &dst_left) == static_cast<size_t>(-1)) {
      return std::nullopt;
    }
    out.resize(out.size() - dst_left);
    return out;
  }

 private:
  iconv_t cd_;
};

Converter& ToGbk() {
  static Converter c("GBK", "UTF-8");
  return c;
}

Converter& FromGbk() {
  static Converter c("UTF-8", "GBK");
  return c;
}

void AppendHex(std::string* out, unsigned char b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", b);
  *out += buf;
}

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
  return ToGbk().Convert(utf8);
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  return FromGbk().Convert(gbk);
}

std::string GbkToLiteral(std::string_view gbk) {
  std::string out = "\"";
  size_t i = 0;
  while (i < gbk.size()) {
    const unsigned char b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      switch (b) {
        case '"':
          out += "\\\"";
          break;
        case '\\':
          out += "\\\\";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          if (b < 0x20 || b == 0x7F) {
            AppendHex(&out, b);
          } else {
            out += static_cast<char>(b);
          }
      }
      ++i;
      continue;
    }
    // A double-byte character is written as itself only if it converts back unchanged.
    if (i + 1 < gbk.size()) {
      std::string_view ch = gbk.substr(i, 2);
      std::optional<std::string> utf8 = FromGbk().Convert(ch);
      if (utf8 && !utf8->empty()) {
        std::optional<std::string> back = ToGbk().Convert(*utf8);
        if (back && *back == ch) {
          out += *utf8;
          i += 2;
          continue;
        }
      }
    }
    AppendHex(&out, b);
    ++i;
  }
  out += '"';
  return out;
}

}  // namespace formc
