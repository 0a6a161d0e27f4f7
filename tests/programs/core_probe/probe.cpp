// A program on the runtime that calls the core commands through the entry point table, as the
// application does. Usage: core_probe.exe MODE
//   session         a timer of the main window asks a Yes/No question with MsgBox, writes and
//                   reads dede.ini at GetProgramDir + "/dede.ini", loads a modal window that
//                   closes itself with DestroyUnit, then closes the main window with DestroyUnit;
//                   session.txt tells what each step gave
//   destroymissing  DestroyUnit of a window that is not loaded
//   ini             without a window: creates dede.ini at GetProgramDir + "/dede.ini" as the
//                   application does, reads it back, reads and writes utf8.ini beside it, and
//                   leaves what it read, with the ANSI code page, in ini.txt
#include <windows.h>

#include <string>

#include "base/program.h"
#include "commands/core_commands.h"
#include "runtime/libraries.h"
#include "runtime/notify.h"
#include "tests/win/runtime_forms.h"

namespace {

constexpr uint32_t kMainWindow = 0x52010001;
constexpr uint32_t kMainUnit = 0x06010000;
constexpr uint32_t kModalWindow = 0x520100A4;
constexpr uint32_t kModalUnit = 0x060100A3;
constexpr rc::ArgRecord kMainRef{kMainWindow, kMainUnit, rc::kTagWindowRef};
constexpr rc::ArgRecord kModalRef{kModalWindow, kModalUnit, rc::kTagWindowRef};
constexpr rc::ArgRecord kOmitted{0, 0, 0};

const rc::EntryPoints& rt = rc::kEntryPoints;
std::string g_mode;
std::string g_note;

rc::ResultRecord Run(rc::CommandFn fn, std::initializer_list<rc::ArgRecord> args) {
  std::vector<rc::ArgRecord> records(args);
  return rt.CallCoreCommand(fn, uint32_t(records.size()), records.data());
}

rc::ArgRecord Text(const char* text) {
  return rc::PointerValue(text, rc::kTagText);
}

// A text result, freed after use as the application does.
std::string TakeText(const rc::ResultRecord& r) {
  char* text = static_cast<char*>(rc::SlotPointer(r));
  std::string copy = text != nullptr ? text : "";
  rt.FreeMem(text);
  return copy;
}

void Note(const std::string& line) {
  g_note += line + "\r\n";
}

void WriteNotes(const char* name = "session.txt") {
  std::string path = TakeText(Run(rc::GetProgramDir, {})) + "\\" + name;
  void* block = rc::BytesToByteBlock(g_note.data(), ptrdiff_t(g_note.size()));
  Run(rc::WriteBytesToFile, {Text(path.c_str()), rc::PointerValue(block, rc::kTagBytes)});
  rt.FreeMem(block);
}

void CALLBACK CloseModal(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  Run(rc::DestroyUnit, {kModalRef});
}

void CALLBACK Session(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  Note("answer=" +
       std::to_string(rc::SlotInt(Run(rc::MsgBox, {Text("要开始吗？"), rc::IntValue(4)}))));

  const std::string dir = TakeText(Run(rc::GetProgramDir, {}));
  Note("dir=" + dir);
  const std::string ini = dir + "/dede.ini";
  Run(rc::WriteIniItem, {Text(ini.c_str()), Text("全班人名："), Text("1"), Text("张三")});
  Note("name=" +
       TakeText(Run(rc::ReadIniItem, {Text(ini.c_str()), Text("全班人名："), Text("1")})));

  const rc::ResultRecord loaded = Run(rc::LoadWindow, {kModalRef, kOmitted, rc::BoolValue(true)});
  const bool gone = rc::FrameNotify(rc::kNotifyFindObject, kModalWindow, 0) == 0;
  Note("modal=" + std::to_string(loaded.lo) + " gone=" + std::to_string(gone));
  WriteNotes();
  Run(rc::DestroyUnit, {kMainRef});
}

// Routine 0: the main window's creation event.
void OnMainCreated(rc::HandlerCall&) {
  SetTimer(nullptr, 0, 50, Session);
}
// Routine 1: the modal window's creation event.
void OnModalCreated(rc::HandlerCall&) {
  SetTimer(nullptr, 0, 200, CloseModal);
}

const rc::Routine kRoutines[] = {OnMainCreated, OnModalCreated, nullptr};

rc::forms::Bytes g_forms;
rc::ProgramHeader g_header = {3,          0,
                              0x00010332, reinterpret_cast<uintptr_t>(kRoutines),
                              nullptr,    0,
                              nullptr,    0,
                              6,          rc::kStandardLibraries,
                              0,          nullptr,
                              nullptr};

std::string ReadIni(const std::string& file, const char* section, const char* key) {
  return TakeText(Run(rc::ReadIniItem, {Text(file.c_str()), Text(section), Text(key)}));
}

bool WriteIni(const std::string& file, const char* section, const char* key, const char* value) {
  return Run(rc::WriteIniItem, {Text(file.c_str()), Text(section), Text(key), Text(value)}).lo != 0;
}

void IniSession() {
  const std::string dir = TakeText(Run(rc::GetProgramDir, {}));
  const std::string ini = dir + "/dede.ini";
  const std::string hyphens(63, '-');
  const std::string sep_key = "[" + std::string(31, '=');
  const std::string sep_value = std::string(31, '=') + "]";
  bool ok = WriteIni(ini, "■提示：", "提示信息", "人名与人名之间不能有空缺。");
  ok = WriteIni(ini, "全班人名：", "1", "张三") && ok;
  ok = WriteIni(ini, "全班人名：", "2", "李四") && ok;
  ok = WriteIni(ini, "全班人名：", "3", "") && ok;
  ok = WriteIni(ini, hyphens.c_str(), sep_key.c_str(), sep_value.c_str()) && ok;
  ok = WriteIni(ini, "广告：", "内容", "欢迎使用岚川软件！") && ok;
  ok = WriteIni(ini, "Running State", "First run", "") && ok;
  ok = WriteIni(ini, hyphens.c_str(), sep_key.c_str(), sep_value.c_str()) && ok;
  Note("acp " + std::to_string(GetACP()));
  Note("writes " + std::to_string(ok));
  Note("first run before=" + ReadIni(ini, "Running State", "First run"));
  Note("no " + std::to_string(WriteIni(ini, "Running State", "First run", "no")));
  Note("first run after=" + ReadIni(ini, "Running State", "First run"));
  Note("1=" + ReadIni(ini, "全班人名：", "1") + " 2=" + ReadIni(ini, "全班人名：", "2") +
       " 3=" + ReadIni(ini, "全班人名：", "3"));
  Note("banner=" + ReadIni(ini, "广告：", "内容"));
  const std::string utf8 = dir + "\\utf8.ini";
  Note("utf8 1=" + ReadIni(utf8, "全班人名：", "1"));
  Note("utf8 no " + std::to_string(WriteIni(utf8, "Running State", "First run", "no")));
  Note("end");
  WriteNotes("ini.txt");
}

int StartRoutine() {
  rt.RuntimeService(rc::kServiceInitRuntime, &g_header);
  if (g_mode == "ini") {
    IniSession();
    return 0;
  }
  if (g_mode == "destroymissing") Run(rc::DestroyUnit, {kModalRef});
  rt.LoadStartWindow(kMainWindow);
  rt.RunMessageLoop();
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmd, int) {
  g_mode = cmd;
  g_forms = rc::test::WriteTestForms({
      {kMainWindow, kMainUnit, "核心命令探针", 60, 60, 320, 200, {{0, rc::RoutineOffset(0)}}},
      {kModalWindow, kModalUnit, "模态窗口", 420, 60, 240, 160, {{0, rc::RoutineOffset(1)}}},
  });
  g_header.form_data = g_forms.data();
  g_header.form_size = uint32_t(g_forms.size());
  rc::DataRange constants = rc::ProgramReadOnlyData();
  g_header.constant_data = constants.start;
  g_header.constant_size = constants.size;
  rc::RunProgram(StartRoutine);
}
