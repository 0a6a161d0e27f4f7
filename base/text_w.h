// Texts stay GBK (code page 936) inside the runtime and the application. The window system is
// always addressed through its W functions, with an explicit conversion, so that the Chinese
// texts come out right whatever ANSI code page the system runs with.
#pragma once

#include <string>

namespace rc {

// GBK → UTF-16. A null pointer gives the empty string.
std::wstring Wide(const char* gbk);
std::wstring Wide(const std::string& gbk);
// UTF-16 → GBK; characters GBK cannot hold become '?'.
std::string Gbk(const wchar_t* wide);
std::string Gbk(const std::wstring& wide);

}  // namespace rc
