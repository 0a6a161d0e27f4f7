#include "base/library_shutdown.h"

namespace rc {
namespace {

// Zero before any static initialiser runs, so the order in which files register does not matter.
constexpr int kSlots = 4;
LibraryCommandsShutdown g_shutdown[kSlots] = {};
int g_count = 0;

}  // namespace

void AddLibraryCommandsShutdown(LibraryCommandsShutdown shutdown) {
  if (shutdown != nullptr && g_count < kSlots) g_shutdown[g_count++] = shutdown;
}

void RunLibraryCommandsShutdown() {
  for (int i = 0; i < g_count; ++i) g_shutdown[i]();
}

}  // namespace rc
