#include "base/library_shutdown.h"

namespace rc {
namespace {

// Zero before any static initialiser runs, so the order in which files register does not matter.
LibraryCommandsShutdown g_shutdown = nullptr;

}  // namespace

void SetLibraryCommandsShutdown(LibraryCommandsShutdown shutdown) {
  g_shutdown = shutdown;
}

void RunLibraryCommandsShutdown() {
  if (g_shutdown != nullptr) g_shutdown();
}

}  // namespace rc
