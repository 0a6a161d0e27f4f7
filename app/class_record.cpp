#include "app/class_record.h"

#include <algorithm>
#include <map>
#include <set>

namespace app::record {
namespace {

// The words of the third column. u8 literals stay UTF-8 whatever the compiler's execution
// character set (the program's own texts are GBK).
struct Word {
  What what;
  const char* text;
};
const Word kWords[] = {
    {What::kCalled, u8"点名"},    {What::kAnswered, u8"按时回答"}, {What::kTimedOut, u8"超时"},
    {What::kTakenBack, u8"撤销"}, {What::kAbsent, u8"缺席"},       {What::kPresent, u8"出席"},
};
const char kBom[] = "\xEF\xBB\xBF";

// A cursor over one line's fields; a field that does not parse fails the line for good.
class FieldCursor {
 public:
  explicit FieldCursor(std::string_view line) : line_(line) {}
  bool failed() const { return failed_; }
  bool at_end() const { return pos_ > line_.size(); }

  std::string Next() {
    if (failed_ || pos_ > line_.size()) {
      failed_ = true;
      return std::string();
    }
    std::string field;
    if (pos_ < line_.size() && line_[pos_] == '"') {
      ++pos_;
      for (;;) {
        if (pos_ >= line_.size()) {  // no closing quote: the line was cut
          failed_ = true;
          return std::string();
        }
        const char c = line_[pos_++];
        if (c != '"') {
          field += c;
        } else if (pos_ < line_.size() && line_[pos_] == '"') {
          field += '"';
          ++pos_;
        } else {
          break;
        }
      }
      if (pos_ < line_.size() && line_[pos_] != ',') failed_ = true;
    } else {
      const size_t comma = line_.find(',', pos_);
      const size_t end = comma == std::string_view::npos ? line_.size() : comma;
      field.assign(line_.substr(pos_, end - pos_));
      pos_ = end;
    }
    ++pos_;  // past the comma, or past the end after the last field
    return failed_ ? std::string() : field;
  }

 private:
  std::string_view line_;
  size_t pos_ = 0;
  bool failed_ = false;
};

bool IsMoment(std::string_view s) {
  // 0000-00-00 00:00:00
  if (s.size() != 19) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const bool digit = s[i] >= '0' && s[i] <= '9';
    const char want = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : 'd';
    if (want == 'd' ? !digit : s[i] != want) return false;
  }
  return true;
}

bool ParseLine(std::string_view line, Entry* out) {
  FieldCursor cursor(line);
  out->when = cursor.Next();
  out->name = cursor.Next();
  const std::string word = cursor.Next();
  if (cursor.failed() || !cursor.at_end() || !IsMoment(out->when) || out->name.empty() ||
      out->name.find('\r') != std::string::npos) {
    return false;
  }
  for (const Word& w : kWords) {
    if (word == w.text) {
      out->what = w.what;
      return true;
    }
  }
  return false;
}

bool Complete(const std::vector<std::string>& names, const std::set<std::string>& called,
              const std::set<std::string>& absent) {
  if (names.empty()) return false;
  for (const std::string& name : names) {
    if (!called.count(name) && !absent.count(name)) return false;
  }
  return true;
}

}  // namespace

std::string Head() {
  return std::string(kBom) + u8"时间,姓名,事件\r\n";
}

std::string Line(const Entry& entry) {
  std::string name;
  for (char c : entry.name) name += c == '\r' || c == '\n' ? ' ' : c;
  if (name.find_first_of(",\"") != std::string::npos) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    name = quoted + "\"";
  }
  std::string word;
  for (const Word& w : kWords) {
    if (w.what == entry.what) word = w.text;
  }
  return entry.when + "," + name + "," + word + "\r\n";
}

std::vector<Entry> Read(std::string_view file) {
  std::vector<Entry> entries;
  if (file.substr(0, 3) == kBom) file.remove_prefix(3);
  while (!file.empty()) {
    const size_t end = file.find('\n');
    std::string_view line = file.substr(0, end);
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    Entry entry;
    if (ParseLine(line, &entry)) entries.push_back(std::move(entry));
  }
  return entries;
}

std::string_view DateOf(std::string_view when) {
  return when.substr(0, 10);
}

Standing Stand(const std::vector<Entry>& entries, const std::vector<std::string>& names,
               std::string_view today) {
  std::set<std::string> called, before_last_call, absent;
  std::string last_call, date;
  bool can_take_back = false;
  for (const Entry& e : entries) {
    if (DateOf(e.when) != date) {
      date = std::string(DateOf(e.when));
      absent.clear();
    }
    switch (e.what) {
      case What::kCalled:
        // A pupil called again begins a new round: the fair mode calls nobody twice in one.
        // The round ends only now, not when the list of the time was complete, so that the
        // history reads the same whatever the class list has become since, and taking back the
        // call that completed a round returns to that round.
        if (called.count(e.name) != 0) called.clear();
        before_last_call = called;
        last_call = e.name;
        can_take_back = true;
        called.insert(e.name);
        break;
      case What::kTakenBack:
        if (can_take_back && e.name == last_call) {
          called = before_last_call;
        } else {
          called.erase(e.name);
        }
        can_take_back = false;
        break;
      case What::kAbsent:
        absent.insert(e.name);
        break;
      case What::kPresent:
        absent.erase(e.name);
        break;
      case What::kAnswered:
      case What::kTimedOut:
        break;
    }
  }
  if (date != today) absent.clear();
  if (Complete(names, called, absent)) called.clear();
  Standing s;
  for (const std::string& name : names) {
    s.called.push_back(called.count(name) != 0);
    s.absent.push_back(absent.count(name) != 0);
  }
  return s;
}

std::vector<Tally> Tallies(const std::vector<Entry>& entries, const std::vector<std::string>& names,
                           std::string_view today) {
  std::map<std::string, std::vector<const Entry*>> calls;
  std::set<std::string> absent;
  for (const Entry& e : entries) {
    if (e.what == What::kCalled) calls[e.name].push_back(&e);
    if (e.what == What::kTakenBack && !calls[e.name].empty()) calls[e.name].pop_back();
    if (DateOf(e.when) != today) continue;
    if (e.what == What::kAbsent) absent.insert(e.name);
    if (e.what == What::kPresent) absent.erase(e.name);
  }
  std::vector<Tally> tallies;
  for (const std::string& name : names) {
    Tally t;
    t.name = name;
    const auto& mine = calls[name];
    t.times = int(mine.size());
    if (!mine.empty()) t.last = mine.back()->when;
    t.absent = absent.count(name) != 0;
    tallies.push_back(t);
  }
  std::stable_sort(tallies.begin(), tallies.end(),
                   [](const Tally& a, const Tally& b) { return a.times < b.times; });
  return tallies;
}

}  // namespace app::record
