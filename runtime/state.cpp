#include "runtime/state.h"

#include "forms/form_table.h"

namespace rc {

Runtime::Runtime() = default;
Runtime::~Runtime() = default;

Runtime& TheRuntime() {
  static Runtime runtime;
  return runtime;
}

}  // namespace rc
