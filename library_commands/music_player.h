// The runtime's music player behind PlayMusic and StopMusic. A player owns a list of sound files
// and plays it in the background, one file after another, the whole list a given number of
// times. Each file gets a pipeline (music_pipeline.h: reader, decoder, waveOut output); an event
// thread per player moves on from file to file. The players still there when the program ends
// are removed by the runtime's shutdown. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rc {

// Posted to the notify window of a player each time one of its files has ended.
constexpr UINT kPlayerEndMessage = 0x8075;
constexpr WPARAM kPlayerEndParam = 100;

struct MusicPlayer;
using PlayerHandle = MusicPlayer*;

// names: each zero-terminated, the list ended by an empty name; the player keeps its own copy.
// times: how often the whole list is played, 0 meaning without end. Null for an empty list.
PlayerHandle CreatePlayer(const char* names, int32_t times);
// Starts playing the list at its current file. When a file ends the player goes on with the next
// and, when notify_window is not null, posts it kPlayerEndMessage with kPlayerEndParam. The two
// further values are accepted for the callers that pass them and not used. 1 when started.
int32_t NewPlay(PlayerHandle player, HWND notify_window, const char* text, int32_t value);
int32_t Play(PlayerHandle player);  // NewPlay(player, none, none, 0)
// Non-zero pauses a playing player, 0 resumes a paused one; anything else is left alone.
void SetPauseState(PlayerHandle player, int32_t pause);
// 1 while playing, -1 while paused, 0 otherwise.
int32_t GetPlayState(PlayerHandle player);
// Stops the player's sound and destroys it. Unknown handles (also ones already removed) are
// ignored by every operation.
void RemovePlayer(PlayerHandle player);
// Program end: removes every player that still exists.
void RemoveAllPlayers();

// The files a player plays, in order, and how often it plays them (0: without end); empty for
// an unknown handle.
struct PlayerList {
  std::vector<std::string> files;
  int32_t times = 0;
};
PlayerList GetPlayerList(PlayerHandle player);

// What a player has done so far: files that ended (played or not) and the bytes the sound
// device reported as played, summed over those files.
struct PlayerProgress {
  uint32_t files_ended = 0;
  uint32_t files_played = 0;
  uint64_t bytes_played = 0;
};
PlayerProgress GetPlayerProgress(PlayerHandle player);

}  // namespace rc
