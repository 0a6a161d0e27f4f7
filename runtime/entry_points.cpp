// The entry table (program.h): the thirteen entry points through which application code reaches
// the runtime.
#include "base/program.h"
#include "base/values.h"
#include "runtime/dll_commands.h"
#include "runtime/error_report.h"
#include "runtime/message_loop.h"
#include "runtime/program_end.h"
#include "runtime/properties.h"
#include "runtime/services.h"
#include "runtime/window_loader.h"

namespace rc {

namespace {

ResultRecord CallCoreCommandEntry(CommandFn fn, uint32_t argc, ArgRecord* args) {
  ResultRecord result{0, 0, 0};
  fn(&result, static_cast<int>(argc), args);
  return result;
}

ResultRecord CallLibraryCommandEntry(CommandFn fn, uint32_t /*library*/, uint32_t argc,
                                     ArgRecord* args) {
  return CallCoreCommandEntry(fn, argc, args);
}

}  // namespace

const EntryPoints kEntryPoints = {
    &ReportRuntimeError,
    &CallDllCommand,
    &CallLibraryCommandEntry,
    &CallCoreCommandEntry,
    &ReadProperty,
    &WriteProperty,
    &AllocMem,
    &ReallocMem,
    &FreeMem,
    &ExitProgram,
    &RunMessageLoop,
    &LoadStartWindow,
    &RuntimeService,
};

}  // namespace rc
