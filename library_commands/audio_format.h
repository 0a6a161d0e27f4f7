// Sound file headers read from untrusted bytes: the chunks of a RIFF wave up to its samples, the
// frames of an MPEG audio layer III stream, and the check of a wave that the platform's own
// player is handed from memory. Portable (no windows.h), so that the code the music player and
// the window's background music run is fuzzed natively; the decoders around it live in
// music_decoder.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rc {

// Sequential bytes a decoder reads; Read blocks until it has data and returns 0 at the end.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(void* buffer, size_t size) = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const void* data, size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  size_t Read(void* buffer, size_t size) override;

 private:
  const unsigned char* data_;
  size_t size_;
  size_t offset_ = 0;
};

// Reads until `size` bytes came or the source ended; the number read.
size_t ReadFully(ByteSource* source, void* buffer, size_t size);
// Reads and drops `count` bytes; false when the source ends first.
bool SkipBytes(ByteSource* source, uint64_t count);

struct PcmFormat {
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint16_t bits = 0;
  uint32_t BlockAlign() const { return bits / 8u * channels; }
  uint32_t BytesPerSecond() const { return BlockAlign() * rate; }
};

namespace audio {

// A wave as the player's decoder takes it: PCM of 8 to 32 bits or IEEE float, 1 to 8 channels.
struct WaveStream {
  PcmFormat out;         // what the decoder gives: 8 or 16 bits as stored, otherwise 16
  uint16_t in_bits = 0;  // as stored
  bool is_float = false;
  uint32_t in_frame = 1;   // bytes of one stored sample frame
  uint64_t data_size = 0;  // as the data chunk states it; the file may end sooner
};

// Reads the chunks after "RIFF", its size and "WAVE" (read already) up to the first byte of the
// data chunk. False for a header cut short, a data chunk before the format, and a format the
// decoder cannot convert.
bool ReadWaveHeader(ByteSource* source, WaveStream* out);

// The platform's player takes a wave from memory without its size and believes the sizes its
// header states. A wave whose RIFF and data chunks lie within the bytes is played as it is; one
// cut short, or with chunks that reach past its end, is rewritten as the format and the samples
// that are there; one without a usable format or without one whole sample frame, or with a
// format whose fields do not agree (no channels, no block size, a PCM block size that is not
// channels times sample size), is not played. `data` starts with "RIFF", a size and "WAVE".
enum class WaveCheck { kAsIs, kRewritten, kRefused };
WaveCheck MakePlayableWave(const uint8_t* data, size_t size, std::vector<uint8_t>* rewritten);

struct Mp3Header {
  int version = 0;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  uint32_t rate = 0;
  uint32_t bitrate = 0;
  uint16_t channels = 0;
  uint32_t size = 0;  // whole frame, header included

  bool SameStream(const Mp3Header& o) const {
    return version == o.version && rate == o.rate && channels == o.channels;
  }
};

// The four bytes at p as a layer III frame header; false for anything else.
bool ParseMp3Header(const unsigned char* p, Mp3Header* h);

// A stream that never shows a frame header within this much data is not MP3.
constexpr size_t kMp3SyncWindow = 64 * 1024;

// The frames of an MPEG audio layer III stream: an ID3v2 tag at the start is skipped, the first
// frame header that the next two confirm (or that ends the data) within kMp3SyncWindow bytes
// starts the stream, and then frames of that stream come one at a time, ID3v1 tags and stray
// bytes between them stepped over.
class Mp3Frames {
 public:
  // `start`: bytes already taken from the source, which come before the rest.
  Mp3Frames(ByteSource* source, const unsigned char* start, size_t start_size);
  // Finds the stream; false when there is none.
  bool Start();
  const Mp3Header& stream() const { return stream_; }
  // The next whole frame, header included, valid until the next call; false at the end of the
  // stream (a frame cut short by the end of the data is not handed out).
  bool Next(const unsigned char** frame, size_t* size);

 private:
  static constexpr size_t kReadPiece = 8192;
  bool Fill(size_t n);
  bool SkipId3v2();
  bool FrameAt(size_t off, Mp3Header* first);

  ByteSource* source_;
  std::vector<unsigned char> in_;
  size_t pos_ = 0;
  bool eof_ = false;
  Mp3Header stream_;
};

}  // namespace audio
}  // namespace rc
