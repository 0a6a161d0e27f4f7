// Background music: the commands drive the runtime's music player.
#include <cstring>
#include <string>

#include "commands/core_commands.h"
#include "commands/core_win.h"

namespace rc {
namespace {

// The player PlayMusic made last; StopMusic pauses it, the next PlayMusic removes it. The
// shutdown removes every player, after which the player operations ignore this handle.
PlayerHandle g_current_player = nullptr;

void AppendName(std::string* list, const char* name) {
  if (name == nullptr || name[0] == '\0') return;
  list->append(name);
  list->push_back('\0');
}

// Every non-empty text among the arguments from `first` on, and every non-empty element of a
// text array among them, each with its zero; the list ends with one more zero.
std::string FileList(int argc, const ArgRecord* args, int first) {
  std::string list;
  for (int i = first; i < argc; ++i) {
    const ArgRecord& a = args[i];
    if (a.tag == kTagText) {
      AppendName(&list, static_cast<const char*>(SlotPointer(a)));
    } else if (a.tag == (kTagText | kTagArrayFlag) && SlotPointer(a) != nullptr) {
      const void* array = SlotPointer(a);
      const unsigned char* elements = ArrayElements(array);
      for (size_t k = 0, n = ArrayElementCount(array); k < n; ++k) {
        const char* name;
        std::memcpy(&name, elements + k * sizeof name, sizeof name);
        AppendName(&list, name);
      }
    }
  }
  list.push_back('\0');
  return list;
}

}  // namespace

PlayerHandle CurrentMusicPlayer() {
  return g_current_player;
}

void PlayMusic(ResultRecord*, int argc, ArgRecord* args) {
  if (g_current_player != nullptr) {
    RemovePlayer(g_current_player);
    g_current_player = nullptr;
  }
  int32_t times = IntArgOr(argc, args, 0, 1);
  if (times == 0) return;
  if (times < 0) times = 0;  // without end

  const std::string list = FileList(argc, args, 1);
  if (list.size() <= 1) return;
  g_current_player = CreatePlayer(list.data(), times);
  if (g_current_player != nullptr) Play(g_current_player);
}

void StopMusic(ResultRecord*, int, ArgRecord*) {
  if (g_current_player != nullptr) SetPauseState(g_current_player, 1);
}

}  // namespace rc
