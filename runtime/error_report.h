// The runtime's error report: the box "运行时出错!" with the code and text, then the end of the
// program with exit code -1.
#pragma once

#include <cstdint>
#include <string>

namespace rc {

[[noreturn]] void ReportError(const char* gbk_text, int32_t code);
// The report's text (exposed for tests).
std::string FormatErrorReport(const char* gbk_text, int32_t code);
// The text of the error table for codes 1 to 11, "" for any other code.
const char* ErrorTableText(int32_t code);
[[noreturn]] void ReportRuntimeError(int32_t code);

}  // namespace rc
