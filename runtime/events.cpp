#include "runtime/events.h"

#include "forms/form_table.h"
#include "runtime/runtime.h"
#include "runtime/windows.h"

namespace rc {

bool RaiseEvent(EventRecord* record) {
  Runtime& rt = TheRuntime();
  if (record == nullptr || rt.recreation_counter > 0) return false;
  forms::WindowDefinition* def = rt.forms ? rt.forms->Find(record->window_id) : nullptr;
  if (def == nullptr) ReportError("未找到引发事件的窗口", 0);
  forms::UnitTable& units = def->units();
  std::optional<size_t> index = RecordIndex(*def, record->unit_id);
  if (!index) ReportError("未找到引发事件的窗口组件", 0);

  // A unit may use the bindings of another unit of the same type in its window; the chain is
  // bounded by the record count so that a loop in the data cannot hang the program.
  size_t at = *index;
  for (size_t steps = 0; steps < units.count(); ++steps) {
    uint32_t source = units.event_source(at);
    if (source == 0) break;
    std::optional<size_t> next = units.Find(source);
    if (!next || *next == at || units.type_code(*next) != units.type_code(at)) break;
    at = *next;
  }
  if (!units.is_menu_item(at)) {
    const DataTypeDescriptor* type = FindDataType(units.type_code(at));
    if (type == nullptr || (type->flags & kTypeHasEvents) == 0) {
      ReportError("引发事件的窗口组件无效", 0);
    }
  }
  const Routine* routine = def->handler(at, record->event);
  if (routine == nullptr || *routine == nullptr) return false;

  HandlerCall call;
  call.word_count = record->argc > 5 ? 5 : record->argc;
  for (uint32_t i = 0; i < call.word_count; ++i) call.words[i] = record->args[i];
  rt.current_event_window = record->window_id;
  rt.current_event_unit = record->unit_id;
  (*routine)(call);
  rt.current_event_window = 0;
  if (call.returned) {
    record->result_flag = 1;
    record->result = static_cast<uint32_t>(call.result);
  }
  return true;
}

}  // namespace rc
