// Fuzz target of the sound file headers: any bytes go through the wave header reader and the MP3
// frame reader as the music player streams them (in pieces of any size), and through the check
// of a wave handed to the platform's player. Whatever the check lets through as it is lies
// within the bytes, and whatever it rewrites is a wave of consistent sizes that it takes as it is.
// Seeds: tests/fuzz/seeds/audio_format_fuzz (cut and damaged waves and MP3 frames).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "library_commands/audio_format.h"

namespace {

using namespace rc;

void Check(bool ok) {
  if (!ok) std::abort();
}

// Hands the bytes out in pieces of a varying size, as the pipeline's queue does.
class PieceSource : public ByteSource {
 public:
  PieceSource(const uint8_t* data, size_t size, uint8_t piece)
      : data_(data), size_(size), piece_(piece % 64 + 1) {}
  size_t Read(void* buffer, size_t size) override {
    const size_t n = std::min({size, size_ - at_, size_t(piece_ + at_ % 7)});
    std::memcpy(buffer, data_ + at_, n);
    at_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t piece_;
  size_t at_ = 0;
};

uint32_t Le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

void Wave(const uint8_t* data, size_t size) {
  PieceSource source(data, size, size > 0 ? data[size - 1] : 0);
  unsigned char head[12];
  if (ReadFully(&source, head, 12) != 12) return;
  audio::WaveStream w;
  if (audio::ReadWaveHeader(&source, &w)) {
    Check(w.out.channels >= 1 && w.out.channels <= 8);
    Check(w.out.bits == 8 || w.out.bits == 16);
    Check(w.in_frame == w.in_bits / 8u * w.out.channels && w.in_frame > 0);
  }

  std::vector<uint8_t> rewritten;
  const audio::WaveCheck check = audio::MakePlayableWave(data, size, &rewritten);
  if (check == audio::WaveCheck::kAsIs) {
    Check(8 + uint64_t{Le32(data + 4)} <= size);
  } else if (check == audio::WaveCheck::kRewritten) {
    Check(rewritten.size() >= 44 && 8 + uint64_t{Le32(rewritten.data() + 4)} == rewritten.size());
    std::vector<uint8_t> again;
    Check(audio::MakePlayableWave(rewritten.data(), rewritten.size(), &again) ==
          audio::WaveCheck::kAsIs);
  }
}

void Mp3(const uint8_t* data, size_t size) {
  PieceSource source(data, size, size > 1 ? data[1] : 0);
  // The decoder reads 12 bytes to tell the kinds apart before the frame reader gets them.
  unsigned char head[12];
  const size_t got = ReadFully(&source, head, sizeof head);
  audio::Mp3Frames frames(&source, head, got);
  if (!frames.Start()) return;
  const audio::Mp3Header stream = frames.stream();
  Check(stream.size >= 4 && stream.size <= 1441 && stream.rate >= 8000);
  const unsigned char* frame = nullptr;
  size_t frame_size = 0;
  for (int n = 0; frames.Next(&frame, &frame_size); ++n) {
    audio::Mp3Header h;
    Check(audio::ParseMp3Header(frame, &h) && h.size == frame_size && h.SameStream(stream));
    Check(n < 1 << 20);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Wave(data, size);
  Mp3(data, size);
  return 0;
}
