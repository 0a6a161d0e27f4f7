#include "base/runtime_error.h"

#include <cstdio>
#include <cstdlib>

namespace rc {
namespace {

// Before the runtime is up (and in host tools) there is no window to show the error in.
void DefaultRuntimeErrorHook(const char* gbk_text, int code) {
  std::fprintf(stderr, "runtime error %d: %s\n", code, gbk_text != nullptr ? gbk_text : "");
  std::exit(-1);
}

RuntimeErrorHook g_hook = DefaultRuntimeErrorHook;

}  // namespace

void SetRuntimeErrorHook(RuntimeErrorHook hook) {
  g_hook = hook != nullptr ? hook : DefaultRuntimeErrorHook;
}

void RaiseRuntimeError(const char* gbk_text, int code) {
  g_hook(gbk_text, code);
  std::abort();
}

}  // namespace rc
