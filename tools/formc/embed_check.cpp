// Checks the embedding pipeline of cmake/FormData.cmake: the test forms, compiled at build
// time and linked into this program, read back with the expected number of windows.
//   form_data_embed_check WINDOWS
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "forms/form_table.h"

namespace rc::formtest {
extern const uint8_t kTestFormData[];
extern const size_t kTestFormDataSize;
}  // namespace rc::formtest

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::vector<rc::forms::WindowDefinition> windows;
  const rc::forms::LoadStatus status = rc::forms::ParseFormData(
      rc::formtest::kTestFormData, rc::formtest::kTestFormDataSize, &windows);
  if (!status.ok) {
    std::fprintf(stderr, "embedded form data does not read (byte %zu)\n", status.offset);
    return 1;
  }
  const size_t expected = std::strtoul(argv[1], nullptr, 10);
  if (windows.size() != expected) {
    std::fprintf(stderr, "embedded form data holds %zu windows, expected %zu\n", windows.size(),
                 expected);
    return 1;
  }
  return 0;
}
