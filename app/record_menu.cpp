// The class record and the name display's menu: pupils absent today, a call taken back, the
// fair mode switched, and the record of who was called. The record is a CSV file of the
// program's own beside dede.ini (in the user's folder when the program's folder cannot be
// written), appended to and never rewritten; nothing is written until the fair mode is on or
// a pupil has been marked absent.
#include <algorithm>
#include <cstdlib>

#include "app/app.h"
#include "app/class_record.h"
#include "app/classes.h"
#include "commands/datetime.h"

namespace app {
namespace {

using namespace main_window;
namespace rec = record;

const char kRecordFile[] = "\\点名记录";
const char kNoRepeatKey[] = "不重复";
const char kNobodyShown[] = "→ _ ←";

// The record of the class in use, as read at the first need and appended to since; kept in
// memory too, so that a record that cannot be written still serves the run.
bool Loaded = false;
std::string LoadedClass;
std::vector<rec::Entry> Entries;
std::string RecordPath;  // where the lines go; empty until known
// The pupil the last stop called, until the next start (one call can be taken back).
std::string LastCall;

// Each class keeps a record of its own: "点名记录.csv" for the original class,
// "点名记录_高一(3)班.csv" for another, with what a file name cannot hold replaced.
std::string RecordFileName() {
  std::string name = kRecordFile;
  const std::string in_use = ClassInUse();
  if (!in_use.empty()) {
    name += "_";
    for (size_t i = 0; i < in_use.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(in_use[i]);
      if (c >= 0x81 && i + 1 < in_use.size()) {  // a GBK character: both bytes kept
        name += in_use.substr(i++, 2);
      } else {
        name += c < 0x20 || std::string("\\/:*?\"<>|").find(char(c)) != std::string::npos ? '_'
                                                                                          : char(c);
      }
    }
  }
  return name + ".csv";
}

std::string ProgramRecordPath() {
  return GetProgramDir() + RecordFileName();
}

std::string UserRecordPath() {
  const std::string dir = GetUserLibraryDir();
  return dir.empty() ? std::string() : dir + RecordFileName();
}

void Load() {
  const std::string in_use = ClassInUse();
  if (Loaded && in_use == LoadedClass) return;
  if (Loaded) LastCall.clear();  // another class: its own record
  Loaded = true;
  LoadedClass = in_use;
  Entries.clear();
  RecordPath.clear();
  // Lines the program's folder could not take when they were written (a spreadsheet holding
  // the record open, a folder that cannot be written) are in the user's folder: both files are
  // read, their lines in time order, so that none of them is lost to the round or the counts.
  for (const std::string& path : {ProgramRecordPath(), UserRecordPath()}) {
    if (path.empty() || !FileExists(path)) continue;
    if (RecordPath.empty()) RecordPath = path;
    const Bytes bytes = ReadFileBytes(path);
    const std::vector<rec::Entry> lines =
        rec::Read(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    Entries.insert(Entries.end(), lines.begin(), lines.end());
  }
  std::stable_sort(Entries.begin(), Entries.end(),
                   [](const rec::Entry& a, const rec::Entry& b) { return a.when < b.when; });
}

// Now, as the record writes it. The test build can move the date by whole days through the
// environment, so that a scenario can span days without waiting for them.
std::string Now() {
  double days = GetNow().days;
#ifdef ROLLCALL_TEST_CLOCK
  if (const char* shift = std::getenv("ROLLCALL_TEST_DAYS")) days += std::atof(shift);
#endif
  const rc::DateTimeParts p = rc::SplitDateTime(days);
  char text[32];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
           p.minute, p.second);
  return text;
}

std::string Today() {
  return std::string(rec::DateOf(Now()));
}

void Write(const std::string& gbk_name, rec::What what) {
  Load();
  const rec::Entry entry{Now(), Utf8FromGbk(gbk_name), what};
  Entries.push_back(entry);
  const std::string line = rec::Line(entry);
  // The program's folder first every time: a spreadsheet that held the record open may have
  // closed it since.
  for (const std::string& path : {ProgramRecordPath(), UserRecordPath()}) {
    if (path.empty()) continue;
    if (AppendLineToFile(path, line, rec::Head())) {
      RecordPath = path;
      return;
    }
  }
}

// Calls are written once the record is in use: the fair mode on, or a record begun.
bool Recording(bool fair) {
  Load();
  return fair || !Entries.empty();
}

std::vector<std::string> Utf8Names(const std::vector<std::string>& names) {
  std::vector<std::string> utf8;
  for (const std::string& n : names) utf8.push_back(Utf8FromGbk(n));
  return utf8;
}

bool AbsentToday(const std::string& name) {
  Load();
  const std::vector<std::string> one = {Utf8FromGbk(name)};
  return rec::Stand(Entries, one, Today()).absent[0];
}

bool InClass(const std::string& name) {
  for (const std::string& n : ReadClassList()) {
    if (n == name) return true;
  }
  return false;
}

// Whether the last stop's call can still be taken back: the names stand still on it.
bool CanTakeBack() {
  return !LastCall.empty() && 时钟1.interval() == 0;
}

void TakeBack() {
  if (!CanTakeBack()) return;
  if (Recording(FairModeOn())) Write(LastCall, rec::What::kTakenBack);
  LastCall.clear();
  时钟4.set_interval(0);
  按钮2.set_disabled(false);
  标签_随机.set_caption("-=-");
  透明标签1.set_caption(kNobodyShown);
}

void ToggleAbsent() {
  const std::string name = 透明标签1.caption();
  if (!InClass(name)) return;
  if (AbsentToday(name)) {
    Write(name, rec::What::kPresent);
    return;
  }
  // Called but not here: that call did not happen.
  if (name == LastCall && CanTakeBack()) TakeBack();
  Write(name, rec::What::kAbsent);
}

void ToggleFairMode() {
  WriteSetting(kNoRepeatKey, FairModeOn() ? "0" : "1");
}

void OpenRecordWindow();

void RecordSection(std::vector<MenuEntry>* entries) {
  const std::string shown = 透明标签1.caption();
  MenuItem absent{"今天缺席：" + shown + "(&A)"};
  absent.greyed = !InClass(shown);
  absent.ticked = !absent.greyed && AbsentToday(shown);
  MenuItem take_back{"撤销这次点名(&U)"};
  take_back.greyed = !CanTakeBack();
  MenuItem fair{"不重复点名(&F)"};
  fair.ticked = FairModeOn();
  entries->push_back({absent, &ToggleAbsent});
  entries->push_back({take_back, &TakeBack});
  entries->push_back({fair, &ToggleFairMode});
  entries->push_back({MenuItem{"点名记录…(&R)"}, &OpenRecordWindow});
}

std::vector<MenuSection>& Sections() {
  static std::vector<MenuSection> sections;
  return sections;
}

}  // namespace

void AddNameMenuSection(MenuSection section) {
  Sections().push_back(section);
}

std::vector<bool> LeftOutOfDraw(const std::vector<std::string>& names, bool fair) {
  // At a start the previous call is answered or over: it can no longer be taken back.
  LastCall.clear();
  Load();
  if (Entries.empty()) return std::vector<bool>(names.size(), false);
  const rec::Standing st = rec::Stand(Entries, Utf8Names(names), Today());
  std::vector<bool> out = st.absent;
  if (fair) {
    for (size_t i = 0; i < out.size(); ++i) out[i] = out[i] || st.called[i];
  }
  return out;
}

void NoteCall(const std::string& name, bool fair) {
  LastCall = name;
  if (Recording(fair)) Write(name, rec::What::kCalled);
}

void NoteAnswer(bool timed_out) {
  if (LastCall.empty()) return;
  if (Recording(FairModeOn())) {
    Write(LastCall, timed_out ? rec::What::kTimedOut : rec::What::kAnswered);
  }
  if (timed_out) LastCall.clear();
}

// The menu key, Shift+F10, or a right click (a long press on a touch screen) on the name
// display or its group box.
void OnMainWindowContextMenu(Event& e) {
  const int x = int32_t(e.words[0]), y = int32_t(e.words[1]);
  const uint32_t under = e.words[2];
  const bool keyboard = x == -1 && y == -1;
  if (!keyboard && under != 分组框1.unit_id()) return;
  std::vector<MenuEntry> entries;
  RecordSection(&entries);
  for (MenuSection section : Sections()) {
    MenuEntry separator;
    separator.item.separator = true;
    entries.push_back(separator);
    section(&entries);
  }
  std::vector<MenuItem> items;
  for (const MenuEntry& entry : entries) items.push_back(entry.item);
  const int chosen = PopupMenu(透明标签1, items, x, y);
  if (chosen >= 1 && chosen <= int(entries.size()) && entries[chosen - 1].chosen != nullptr) {
    entries[chosen - 1].chosen();
  }
}

namespace {

void OpenRecordWindow() {
  // Modal, so that the list shown cannot fall behind the roll call.
  LoadWindow(record_window::kWindow, true);
}

// A moment without its seconds: "2026-09-01 08:05".
std::string Minutes(const std::string& when) {
  return when.size() >= 16 ? when.substr(0, 16) : when;
}

}  // namespace

void OnRecordWindowCreated(Event&) {
  Load();
  const std::vector<std::string> names = ReadClassList();
  std::string text = "姓名\t\t次数\t上次点名\t\t今天\r\n";
  for (const rec::Tally& t : rec::Tallies(Entries, Utf8Names(names), Today())) {
    text += GbkFromUtf8(t.name) + "\t\t" + std::to_string(t.times) + "\t" +
            (t.last.empty() ? std::string("还没点过\t") : Minutes(t.last)) + "\t" +
            (t.absent ? "缺席" : "") + "\r\n";
  }
  record_window::编辑框_记录.set_content(text);
  record_window::标签_记录说明.set_caption("全班 " + std::to_string(names.size()) +
                                           " 人，点名次数少的在前。");
}

void OnOpenRecordClick(Event&) {
  Load();
  if (RecordPath.empty() || !FileExists(RecordPath)) {
    MsgBox("还没有点名记录。", kBoxInformation, "点名记录");
    return;
  }
  // The system's program for CSV files, as a double click on the file would start it.
  OpenWebPage(RecordPath);
}

}  // namespace app
