// UTF-8 <-> GBK for the form compiler. Descriptions are UTF-8; the form data holds GBK.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace formc {

// The GBK bytes of a UTF-8 text, or none when it is not UTF-8 or has a character that GBK
// cannot hold.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

// The UTF-8 text of GBK bytes, or none when they are not GBK.
std::optional<std::string> GbkToUtf8(std::string_view gbk);

// A quoted description literal for GBK bytes: characters as UTF-8, with \\ \" \r \n \t and
// \xHH for every byte that does not convert back to itself.
std::string GbkToLiteral(std::string_view gbk);

}  // namespace formc
