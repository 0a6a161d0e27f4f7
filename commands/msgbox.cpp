// The message box command. MessageBoxW runs its own message loop until the box is answered, so
// timers and the other windows' messages keep being dispatched meanwhile.
#include <windows.h>

#include <string>

#include "base/text_w.h"
#include "commands/command_args.h"
#include "commands/convert.h"
#include "commands/core_commands.h"

namespace rc {
namespace {

// Numbers, logicals and date-times are shown as ToText gives them, cut to this many bytes.
constexpr size_t kNumberTextBuffer = 100;

std::string MessageText(int argc, const ArgRecord* args) {
  const ArgRecord* message = OptionalArg(argc, args, 0);
  if (message == nullptr) return std::string();
  if (message->tag == kTagText) {
    const char* text = static_cast<const char*>(SlotPointer(*message));
    return text != nullptr ? text : "";
  }
  char buffer[kNumberTextBuffer];
  if (!FormatScalarValue(*message, buffer, sizeof buffer)) return std::string();
  return buffer;
}

}  // namespace

void MsgBox(ResultRecord* result, int argc, ArgRecord* args) {
  const std::wstring text = Wide(MessageText(argc, args));
  const ArgRecord* title_arg = OptionalArg(argc, args, 2);
  const std::wstring title = title_arg != nullptr ? Wide(TextArg(argc, args, 2)) : Wide("信息：");
  auto style = static_cast<UINT>(IntArgOr(argc, args, 1, 0));
  // Without an owner the box would let the program's windows be used behind it; task-modal
  // disables them, unless the caller asked for system-modal.
  if ((style & MB_SYSTEMMODAL) == 0) style |= MB_TASKMODAL;
  int answer = MessageBoxW(nullptr, text.c_str(), title.c_str(), style);
  // A box with only an OK button has no other answer. Windows reports closing it as OK; Wine
  // reports Cancel, which the caller would take for a button that was never there.
  if ((style & MB_TYPEMASK) == MB_OK && answer == IDCANCEL) answer = IDOK;
  // IDOK 1 ... IDNO 7 come back as 0 ... 6.
  SetSlotInt(result, answer >= IDOK && answer <= IDNO ? answer - IDOK : 0);
}

}  // namespace rc
