// The runtime's initialisation (runtime service 6) and the program's paths it starts from.
#pragma once

#include <cstddef>
#include <string>

#include "base/program.h"

namespace rc {

// Paths, the hidden runtime window, constant data, DLL commands, the libraries and the form
// data, in that order.
void InitRuntime(const ProgramHeader* header);

// Full path of the program module, GBK.
std::string ModulePath();

// Splits a GBK path at its last backslash, by characters, so that the second byte of a
// double-byte character is never taken for a separator.
struct SplitPath {
  std::string dir;
  std::string file;
};
SplitPath SplitProgramPath(const std::string& gbk_path);
// Position of that backslash, or npos.
size_t LastSeparator(const std::string& gbk_path);

}  // namespace rc
