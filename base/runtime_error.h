// Fatal runtime errors raised from the portable core. The core cannot show the "错误" box
// itself: the runtime installs a hook that reports the text and code and ends the program.
#pragma once

namespace rc {

// Must not return; a hook that does return ends the program with abort().
using RuntimeErrorHook = void (*)(const char* gbk_text, int code);

// Null restores the default, which writes the text to stderr and exits with -1.
void SetRuntimeErrorHook(RuntimeErrorHook hook);

[[noreturn]] void RaiseRuntimeError(const char* gbk_text, int code);

}  // namespace rc
