// The class record: one CSV line per event of the roll call (a call, its answer, a call taken
// back, a pupil marked absent or present), in UTF-8 behind a byte-order mark so that spreadsheet
// programs show the names right. The file is only ever appended to; reading it takes every line
// that makes sense and passes over the rest, so a cut last line or a line spoiled by hand costs
// that line alone. Who is still due in the fair round, who is absent today and how often each
// pupil was called all follow from the lines: the record is the only state kept.
//
// Portable and free of the runtime: names and texts are UTF-8, dates the text the record holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app::record {

enum class What { kCalled, kAnswered, kTimedOut, kTakenBack, kAbsent, kPresent };

struct Entry {
  std::string when;  // "2026-09-01 08:05:00"
  std::string name;
  What what = What::kCalled;
  bool operator==(const Entry& o) const {
    return when == o.when && name == o.name && what == o.what;
  }
};

// The file's first bytes: the byte-order mark and the column titles.
std::string Head();
// One line, ending in CR LF. A name holding a comma or a quote is quoted.
std::string Line(const Entry& entry);
// The entries of a record file, in file order.
std::vector<Entry> Read(std::string_view file);

// The date of a moment ("2026-09-01").
std::string_view DateOf(std::string_view when);

// Where the class stands today, one flag per name of the class list (matched by name, so a
// list edited between lessons keeps what it can). `called`: called in the current round of the
// fair mode, a round being complete once every pupil present has been called; the next call
// begins a new one, and a round complete now reads as all due again.
struct Standing {
  std::vector<bool> called;
  std::vector<bool> absent;
};
Standing Stand(const std::vector<Entry>& entries, const std::vector<std::string>& names,
               std::string_view today);

// What the record says of one pupil: calls not taken back, the last of them, absent today.
struct Tally {
  std::string name;
  int times = 0;
  std::string last;  // empty: never called
  bool absent = false;
};
// One per name, fewest calls first (list order among equals).
std::vector<Tally> Tallies(const std::vector<Entry>& entries, const std::vector<std::string>& names,
                           std::string_view today);

}  // namespace app::record
