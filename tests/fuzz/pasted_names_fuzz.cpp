// Fuzz target of the cleaning of pasted names: any clipboard text (the input's bytes as UTF-16
// LE units) gives names that are not empty, carry no blank at either end and no line break or
// tab, stand once each, are no register number, and number at most the limit.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "app/pasted_names.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(char16_t(data[i] | data[i + 1] << 8));
  using namespace app::paste;
  const Names got = CleanNames(text);
  Check(got.names.size() <= kMaxNames);
  std::set<std::u16string> seen;
  for (const std::u16string& name : got.names) {
    Check(!name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()));
    Check(name.find_first_of(u"\r\n\t") == std::u16string::npos);
    Check(!IsNumber(name));
    Check(seen.insert(name).second);
  }
  for (const std::u16string& name : got.duplicates) Check(seen.count(name) == 1);
  return 0;
}
