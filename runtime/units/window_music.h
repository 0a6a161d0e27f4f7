// The background music of a window unit, a concern of its own beside the window's frame, focus
// and keys: wave data plays as a wave sound from memory, MIDI data as a MIDI sequence through
// the MCI sequencer (which needs a file). Play count 0 loops, 1 plays once, 2 does not play.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "forms/type_data.h"

namespace rc {

class WindowMusic {
 public:
  WindowMusic() = default;
  ~WindowMusic() { Stop(); }
  WindowMusic(const WindowMusic&) = delete;
  WindowMusic& operator=(const WindowMusic&) = delete;

  // Stops what plays and starts the music of `bytes`; MCI notifications go to `owner`.
  void Start(HWND owner, const forms::Bytes& bytes, int play_count);
  void Stop();
  // MM_MCINOTIFY: a looping MIDI sequence starts again when it has played to its end.
  void OnNotify(HWND owner, WPARAM wp);

 private:
  void StartMidi(HWND owner, const forms::Bytes& bytes);
  void Play(HWND owner);

  bool loop_ = false;
  std::vector<uint8_t> rewritten_;  // what plays, when the wave had to be put right
  std::wstring alias_;
  std::wstring file_;
};

}  // namespace rc
