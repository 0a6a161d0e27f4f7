// The runtime's error report: the box "运行时出错!" and the end of the program.
#include "runtime/error_report.h"

#include <windows.h>

#include "base/text_w.h"
#include "runtime/program_end.h"
#include "runtime/state.h"

namespace rc {

const char* ErrorTableText(int32_t code) {
  static const char* const kTexts[] = {
      "数组成员引用下标超出定义范围",
      "未得到所需要的数值型数据",
      "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
      "数组成员引用下标必须大于等于1",
      "数据或数组类型不匹配",
      "调用DLL命令后发现堆栈错误",
      "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
      "被比较数据只能使用等于或不等于命令比较",
      "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
      "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
      "所提供参数的数据类型不符合要求",
  };
  if (code < 1 || code > int32_t(sizeof kTexts / sizeof kTexts[0])) return "";
  return kTexts[code - 1];
}

std::string FormatErrorReport(const char* gbk_text, int32_t code) {
  std::string message = "运行时出错!\r\n\r\n";
  if (code != 0) message += "错误代码：" + std::to_string(code) + "\r\n\r\n";
  if (gbk_text != nullptr && gbk_text[0] != '\0') {
    message += "错误信息：";
    message += gbk_text;
    message += "\r\n";
  }
  return message;
}

void ReportError(const char* gbk_text, int32_t code) {
  Runtime& rt = TheRuntime();
  // Timers and other messages keep arriving while the box is up; none may reach a handler.
  ++rt.handlers_blocked;
  std::wstring text = Wide(FormatErrorReport(gbk_text, code));
  MessageBoxW(nullptr, text.c_str(), Wide("错误").c_str(), MB_OK | MB_ICONERROR);
  rt.exit_routine = nullptr;
  ExitProgram(-1);
}

void ReportRuntimeError(int32_t code) {
  ReportError(ErrorTableText(code), code);
}

}  // namespace rc
