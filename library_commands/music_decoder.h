// The music player's decoder stage, usable on its own: PCM out of the bytes of a sound file.
// Windows only (MP3 goes through the platform's ACM codec).
#pragma once

#include <cstddef>
#include <memory>

#include "library_commands/audio_format.h"

namespace rc {

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
