// Fuzz target of the class record reader: any file bytes read without a fault; every entry
// read writes back to a line that reads as that entry alone; a whole line appended after any
// file (on a line of its own, as the program appends) is read back last; where the class stands
// has one flag per name whatever the lines say.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/class_record.h"

namespace {

using namespace app::record;

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const std::vector<Entry> entries = Read(file);
  for (const Entry& e : entries) {
    const std::vector<Entry> again = Read(Line(e));
    Check(again.size() == 1 && again[0] == e);
  }

  const Entry appended{"2026-09-01 08:00:00", "A,\"b\"", What::kTakenBack};
  std::string grown = file;
  if (!grown.empty() && grown.back() != '\n') grown += "\r\n";
  grown += Line(appended);
  const std::vector<Entry> after = Read(grown);
  Check(!after.empty() && after.back() == appended);
  Check(after.size() >= entries.size());

  const std::vector<std::string> names = {"A", "A,\"b\"", "x"};
  const Standing st = Stand(after, names, "2026-09-01");
  Check(st.called.size() == names.size() && st.absent.size() == names.size());
  int times = 0;
  for (const Tally& t : Tallies(after, names, "2026-09-01")) {
    Check(t.times >= times);
    times = t.times;
  }
  return 0;
}
