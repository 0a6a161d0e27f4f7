// The settings file through the Windows profile functions. Their ANSI side is used: the file
// holds GBK bytes, and section, key and value must meet it in the same code page the profile
// functions read the file with.
#include <windows.h>

#include "commands/command_args.h"
#include "commands/core_commands.h"

namespace rc {
namespace {

constexpr DWORD kIniValueBuffer = 10240;

// Blanks and control characters before a name are not part of it.
const char* SkipLeadingControls(const char* text) {
  if (text == nullptr) return nullptr;
  while (static_cast<unsigned char>(*text) >= 1 && static_cast<unsigned char>(*text) <= 32) {
    ++text;
  }
  return text;
}

// A text argument that was given, as the profile functions take it: the empty text is "", not
// null, because null means "delete" to them. Null when the argument was omitted.
const char* GivenText(int argc, const ArgRecord* args, int i) {
  const ArgRecord* a = OptionalArg(argc, args, i);
  if (a == nullptr) return nullptr;
  const char* text = a->tag == kTagText ? static_cast<const char*>(SlotPointer(*a)) : nullptr;
  return text != nullptr ? text : "";
}

}  // namespace

void ReadIniItem(ResultRecord* result, int argc, ArgRecord* args) {
  const char* file = SkipLeadingControls(TextArg(argc, args, 0));
  const char* section = SkipLeadingControls(TextArg(argc, args, 1));
  const char* key = SkipLeadingControls(TextArg(argc, args, 2));
  if (IsEmptyText(file) || IsEmptyText(section) || IsEmptyText(key)) return;
  const char* fallback = TextArg(argc, args, 3);
  HeapText value(static_cast<char*>(AllocMem(kIniValueBuffer)));
  GetPrivateProfileStringA(section, key, fallback != nullptr ? fallback : "", value.get(),
                           kIniValueBuffer, file);
  SetSlotPointer(result, CopyText(value.get()));
}

void WriteIniItem(ResultRecord* result, int argc, ArgRecord* args) {
  const char* file = TextArg(argc, args, 0);
  // An empty name would send the write to the Windows directory's own settings file.
  if (IsEmptyText(file)) return;
  const char* section = GivenText(argc, args, 1);
  // Only an omitted key or value deletes; an empty one is written as empty, so that a value
  // that happens to be empty never wipes out a key or a whole section.
  const char* key = GivenText(argc, args, 2);
  const char* value = GivenText(argc, args, 3);
  result->lo =
      WritePrivateProfileStringA(section != nullptr ? section : "", key, value, file) != FALSE ? 1u
                                                                                               : 0u;
}

}  // namespace rc
