// Where the tests find the files of the source tree (skins, forms, sounds, the screenshots'
// folder). The build names the tree's root: the compiler's __FILE__ is relative when a compiler
// cache rewrites paths, so it is no guide.
#pragma once

#include <string>

#ifndef ROLLCALL_SOURCE_ROOT
#error "the build defines ROLLCALL_SOURCE_ROOT for the tests"
#endif

namespace rc::test {

// `relative` (with '/' between its parts) below the source tree's root; in a Windows program a
// Windows path, the Unix root being Z: under Wine.
inline std::string SourcePath(const std::string& relative = "") {
  std::string path = std::string(ROLLCALL_SOURCE_ROOT) + "/" + relative;
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) c = c == '/' ? '\\' : c;
#endif
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

}  // namespace rc::test
