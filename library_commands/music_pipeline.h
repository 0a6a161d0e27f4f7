// One file of a music player's list on its way from the disk to the sound device: a reader
// thread taking the file in 8192-byte pieces, the decoder, and a waveOut output on a thread of
// its own. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace rc {

// How a pipeline ended: its file played to the end, or it could not be opened, decoded or
// given to a sound device.
constexpr int kEndOfStream = 12;
constexpr int kEndWithError = 77;

struct EndReport {
  int code = kEndWithError;
  uint32_t generation = 0;  // the value the pipeline was started with
  bool played = false;      // some of the file reached the sound device
  uint64_t bytes = 0;       // what the device reported as played
};

class Pipeline {
 public:
  using EndFn = std::function<void(const EndReport&)>;

  // Starts playing `file` at once (paused: with the device paused). `on_end` is called on the
  // output thread when the file has ended by itself, never after the pipeline is destroyed;
  // destroying it stops the sound and joins its threads.
  static std::unique_ptr<Pipeline> Start(std::string file, uint32_t generation, bool paused,
                                         EndFn on_end);
  virtual ~Pipeline() = default;

  virtual void Pause() = 0;
  virtual void Resume() = 0;
};

}  // namespace rc
