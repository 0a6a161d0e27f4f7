// The runtime's music player behind PlayMusic and StopMusic. A player owns a list of sound files
// and plays it in the background, one file after another, the whole list a given number of
// times. Each file gets a pipeline of three stages: a reader thread taking the file in 8192-byte
// pieces, a decoder (PCM WAV; MP3 through the platform's ACM codec) and a waveOut output on a
// thread of its own. An event thread per player moves on from file to file. Windows only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "library_commands/audio_format.h"

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

// The operations by name ("CreatePlayer", "NewPlay", "Play", "SetPauseState", "GetPlayState",
// "RemovePlayer"), as the core commands look them up; null for any other name. Cast the result
// to the operation's own function type, e.g. decltype(&CreatePlayer).
using PlayerOperation = void (*)();
PlayerOperation FindPlayerOperation(const char* name);

// What a player has done so far: files that ended (played or not) and the bytes the sound
// device reported as played, summed over those files.
struct PlayerProgress {
  uint32_t files_ended = 0;
  uint32_t files_played = 0;
  uint64_t bytes_played = 0;
};
PlayerProgress GetPlayerProgress(PlayerHandle player);

// --- The decoder stage, usable on its own ---------------------------------------------------

class AudioDecoder {
 public:
  virtual ~AudioDecoder() = default;
  const PcmFormat& format() const { return format_; }
  // Up to capacity bytes of PCM in whole sample frames; 0 at the end of the stream.
  virtual size_t Decode(unsigned char* out, size_t capacity) = 0;

 protected:
  PcmFormat format_;
};

// Recognises the data by its content: RIFF/WAVE PCM (8 and 16 bits as they are; 24 and 32 bits
// and IEEE float converted to 16 bits) or MPEG audio layer III. Null for anything else, for a
// damaged header and when the platform has no MP3 codec.
std::unique_ptr<AudioDecoder> OpenDecoder(ByteSource* source);

}  // namespace rc
