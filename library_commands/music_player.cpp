// The players: a list of files, played one after another by an event thread that starts a
// pipeline per file, the whole list a given number of times.
//
// Lock order: the registry lock, then a player's lock; no lock is held while a pipeline is
// destroyed, because its threads take the player's lock to report their end.
#include "library_commands/music_player.h"

#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "base/kernel_handle.h"
#include "base/library_shutdown.h"
#include "library_commands/music_pipeline.h"

namespace rc {

namespace {

constexpr int kQuit = -1;

}  // namespace

struct MusicPlayer {
  enum State { kPaused = 1, kPlaying = 2, kStopped = 3 };
  struct Event {
    int code;
    EndReport report;
  };

  MusicPlayer(std::vector<std::string> list, int32_t count)
      : names(std::move(list)),
        times(count),
        times_left(count),
        semaphore(CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr)) {}

  ~MusicPlayer() { StopThreads(); }

  void PostEvent(int code, const EndReport& report) {
    {
      std::lock_guard<std::mutex> lock(m);
      events.push_back({code, report});
    }
    ReleaseSemaphore(semaphore.get(), 1, nullptr);
  }

  void StartLocked(bool paused) {
    ++generation;
    pipeline = Pipeline::Start(names[current], generation, paused,
                               [this](const EndReport& r) { PostEvent(r.code, r); });
    state = paused ? kPaused : kPlaying;
  }

  void EventLoop() {
    for (;;) {
      WaitForSingleObject(semaphore.get(), INFINITE);
      std::unique_ptr<Pipeline> ended;
      bool finish = false;
      {
        std::lock_guard<std::mutex> lock(m);
        if (events.empty()) continue;
        const Event e = events.front();
        events.pop_front();
        if (e.code == kQuit) return;
        if ((e.code != kEndOfStream && e.code != kEndWithError) ||
            e.report.generation != generation) {
          continue;  // left over from a pipeline that was replaced
        }
        const bool was_paused = state == kPaused;
        ended = std::move(pipeline);
        state = kStopped;
        ++progress.files_ended;
        if (e.report.played) ++progress.files_played;
        progress.bytes_played += e.report.bytes;
        pass_played = pass_played || e.report.played;
        if (notify != nullptr) PostMessageA(notify, kPlayerEndMessage, kPlayerEndParam, 0);
        if (++current == names.size()) {
          current = 0;
          const bool last = times_left == 1;
          if (times_left > 0) --times_left;
          // A list of which nothing could be played would otherwise spin for ever.
          finish = last || !pass_played;
          pass_played = false;
        }
        if (finish) {
          finished = true;
        } else {
          StartLocked(was_paused);
        }
      }
      ended.reset();
      if (finish) return;
    }
  }

  // Ends the event thread and the pipeline; the player is left stopped.
  void StopThreads() {
    std::unique_ptr<Pipeline> old;
    {
      std::lock_guard<std::mutex> lock(m);
      old = std::move(pipeline);
      ++generation;
      state = kStopped;
    }
    if (event_thread.joinable()) {
      PostEvent(kQuit, EndReport{});
      event_thread.join();
    }
    old.reset();
    std::lock_guard<std::mutex> lock(m);
    events.clear();
    while (WaitForSingleObject(semaphore.get(), 0) == WAIT_OBJECT_0) {
    }
  }

  void NewPlay(HWND window) {
    StopThreads();
    std::lock_guard<std::mutex> lock(m);
    notify = window;
    if (finished) {
      // A list that has run its course plays its full count again, not without end.
      finished = false;
      times_left = times;
      current = 0;
    }
    pass_played = false;
    StartLocked(false);
    event_thread = std::thread([this] { EventLoop(); });
  }

  const std::vector<std::string> names;
  const int32_t times;

  std::mutex m;  // everything below
  size_t current = 0;
  int32_t times_left;
  int state = kStopped;
  HWND notify = nullptr;
  std::deque<Event> events;
  KernelHandle semaphore;
  std::unique_ptr<Pipeline> pipeline;
  uint32_t generation = 0;
  bool finished = false;
  bool pass_played = false;
  PlayerProgress progress;
  std::thread event_thread;
};

namespace {

std::mutex g_registry_m;
std::set<MusicPlayer*>& Players() {
  static std::set<MusicPlayer*> players;
  return players;
}

bool Known(PlayerHandle player) {
  return player != nullptr && Players().count(player) != 0;
}

// Linked in only with the players, this file leaves their removal to the runtime's shutdown.
const bool g_shutdown_registered = (AddLibraryCommandsShutdown(&RemoveAllPlayers), true);

}  // namespace

PlayerHandle CreatePlayer(const char* names, int32_t times) {
  if (names == nullptr) return nullptr;
  std::vector<std::string> list;
  for (const char* p = names; *p != '\0'; p += std::strlen(p) + 1) list.emplace_back(p);
  if (list.empty()) return nullptr;
  auto* player = new MusicPlayer(std::move(list), times < 0 ? 0 : times);
  std::lock_guard<std::mutex> lock(g_registry_m);
  Players().insert(player);
  return player;
}

int32_t NewPlay(PlayerHandle player, HWND notify_window, const char*, int32_t) {
  std::lock_guard<std::mutex> lock(g_registry_m);
  if (!Known(player)) return 0;
  player->NewPlay(notify_window);
  return 1;
}

int32_t Play(PlayerHandle player) {
  return NewPlay(player, nullptr, nullptr, 0);
}

void SetPauseState(PlayerHandle player, int32_t pause) {
  std::lock_guard<std::mutex> registry(g_registry_m);
  if (!Known(player)) return;
  std::lock_guard<std::mutex> lock(player->m);
  if (pause != 0 && player->state == MusicPlayer::kPlaying) {
    player->state = MusicPlayer::kPaused;
    if (player->pipeline) player->pipeline->Pause();
  } else if (pause == 0 && player->state == MusicPlayer::kPaused) {
    player->state = MusicPlayer::kPlaying;
    if (player->pipeline) player->pipeline->Resume();
  }
}

int32_t GetPlayState(PlayerHandle player) {
  std::lock_guard<std::mutex> registry(g_registry_m);
  if (!Known(player)) return 0;
  std::lock_guard<std::mutex> lock(player->m);
  switch (player->state) {
    case MusicPlayer::kPlaying:
      return 1;
    case MusicPlayer::kPaused:
      return -1;
    default:
      return 0;
  }
}

PlayerList GetPlayerList(PlayerHandle player) {
  std::lock_guard<std::mutex> registry(g_registry_m);
  if (!Known(player)) return {};
  return {player->names, player->times};
}

PlayerProgress GetPlayerProgress(PlayerHandle player) {
  std::lock_guard<std::mutex> registry(g_registry_m);
  if (!Known(player)) return {};
  std::lock_guard<std::mutex> lock(player->m);
  return player->progress;
}

void RemovePlayer(PlayerHandle player) {
  std::lock_guard<std::mutex> lock(g_registry_m);
  if (!Known(player)) return;
  Players().erase(player);
  delete player;
}

void RemoveAllPlayers() {
  std::lock_guard<std::mutex> lock(g_registry_m);
  for (MusicPlayer* player : Players()) delete player;
  Players().clear();
}

}  // namespace rc
