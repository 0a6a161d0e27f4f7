// Background music: the commands reach the runtime's music player through its component
// service, which hands out the player's operations by name.
#include <cstring>
#include <string>

#include "commands/core_commands.h"
#include "commands/core_win.h"
#include "library_commands/music_player.h"
#include "runtime/command_host.h"

namespace rc {
namespace {

// The player PlayMusic made last; StopMusic pauses it, the next PlayMusic removes it. The
// shutdown removes every player, after which the player operations ignore this handle.
PlayerHandle g_current_player = nullptr;

void* FindMusicOperation(const char* name) {
  return reinterpret_cast<void*>(FindPlayerOperation(name));
}

const ComponentService kMusicPlayerService = {&FindMusicOperation, &RemoveAllPlayers};

// The component must be known before the runtime initialises; the program's start routine runs
// long after static initialisation, and this file is linked whenever the commands are used.
const bool g_registered = (RegisterComponent(kMusicPlayerSlot, &kMusicPlayerService), true);

// The operation of the music player component named `name`, as the function type `Fn`, or null
// when there is no player component or no such operation.
template <typename Fn>
Fn Operation(const char* name) {
  const ComponentService* player = Component(kMusicPlayerSlot);
  if (player == nullptr || player->find_operation == nullptr) return nullptr;
  return reinterpret_cast<Fn>(player->find_operation(name));
}

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

const ComponentService* MusicPlayerComponent() {
  return &kMusicPlayerService;
}

void PlayMusic(ResultRecord*, int argc, ArgRecord* args) {
  if (g_current_player != nullptr) {
    if (auto remove = Operation<decltype(&RemovePlayer)>("RemovePlayer")) remove(g_current_player);
    g_current_player = nullptr;
  }
  int32_t times = IntArgOr(argc, args, 0, 1);
  if (times == 0) return;
  if (times < 0) times = 0;  // without end

  const std::string list = FileList(argc, args, 1);
  if (list.size() <= 1) return;
  auto create = Operation<decltype(&CreatePlayer)>("CreatePlayer");
  auto start = Operation<decltype(&NewPlay)>("NewPlay");
  if (create == nullptr) return;
  g_current_player = create(list.data(), times);
  if (g_current_player != nullptr && start != nullptr) start(g_current_player, nullptr, nullptr, 0);
}

void StopMusic(ResultRecord*, int, ArgRecord*) {
  if (g_current_player == nullptr) return;
  if (auto pause = Operation<decltype(&SetPauseState)>("SetPauseState")) {
    pause(g_current_player, 1);
  }
}

}  // namespace rc
