// The decoders: RIFF/WAVE PCM and float, and MPEG audio layer III through the ACM codec.
#include "library_commands/music_decoder.h"

#include <windows.h>

#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace rc {

namespace {

uint16_t Le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// ---- WAV -----------------------------------------------------------------------------------

class WavDecoder : public AudioDecoder {
 public:
  // The first 12 bytes ("RIFF", size, "WAVE") have been read already.
  static std::unique_ptr<AudioDecoder> Open(ByteSource* source) {
    std::unique_ptr<WavDecoder> d(new WavDecoder(source));
    return d->ReadHeader() ? std::move(d) : nullptr;
  }

  size_t Decode(unsigned char* out, size_t capacity) override {
    const size_t out_frame = format_.BlockAlign();
    const size_t frames = capacity / out_frame;
    uint64_t want = std::min<uint64_t>(uint64_t{frames} * in_frame_, data_left_);
    want -= want % in_frame_;
    if (want == 0) return 0;
    in_.resize(static_cast<size_t>(want));
    size_t got = ReadFully(source_, in_.data(), in_.size());
    if (got < want) {
      data_left_ = 0;  // the file ends inside its data chunk: play what is there
    } else {
      data_left_ -= want;
    }
    got -= got % in_frame_;
    const size_t samples = got / (in_bits_ / 8);
    const unsigned char* in = in_.data();
    if (!is_float_ && in_bits_ <= 16) {
      std::memcpy(out, in, got);
      return got;
    }
    for (size_t i = 0; i < samples; ++i) {
      int16_t s;
      if (is_float_ && in_bits_ == 32) {
        float f;
        std::memcpy(&f, in + i * 4, 4);
        s = FloatToSample(f);
      } else if (is_float_) {
        double f;
        std::memcpy(&f, in + i * 8, 8);
        s = FloatToSample(f);
      } else {
        // The two most significant bytes of a little-endian 24- or 32-bit sample.
        const unsigned char* p = in + i * (in_bits_ / 8) + (in_bits_ / 8 - 2);
        s = static_cast<int16_t>(Le16(p));
      }
      std::memcpy(out + i * 2, &s, 2);
    }
    return samples * 2;
  }

 private:
  explicit WavDecoder(ByteSource* source) : source_(source) {}

  static int16_t FloatToSample(double f) {
    if (!(f == f)) return 0;
    f = std::max(-1.0, std::min(1.0, f));
    return static_cast<int16_t>(f * 32767.0);
  }

  bool ReadHeader() {
    audio::WaveStream w;
    if (!audio::ReadWaveHeader(source_, &w)) return false;
    format_ = w.out;
    in_bits_ = w.in_bits;
    is_float_ = w.is_float;
    in_frame_ = w.in_frame;
    data_left_ = w.data_size;
    return true;
  }

  ByteSource* source_;
  uint16_t in_bits_ = 0;
  bool is_float_ = false;
  uint32_t in_frame_ = 1;
  uint64_t data_left_ = 0;
  std::vector<unsigned char> in_;
};

// ---- MP3 -----------------------------------------------------------------------------------

class Mp3Decoder : public AudioDecoder {
 public:
  static std::unique_ptr<AudioDecoder> Open(ByteSource* source, const unsigned char* start,
                                            size_t start_size) {
    std::unique_ptr<Mp3Decoder> d(new Mp3Decoder(source, start, start_size));
    return d->Start() ? std::move(d) : nullptr;
  }

  ~Mp3Decoder() override {
    if (prepared_) {
      header_.cbSrcLength = kSourceCapacity;
      acmStreamUnprepareHeader(stream_, &header_, 0);
    }
    if (stream_ != nullptr) acmStreamClose(stream_, 0);
  }

  size_t Decode(unsigned char* out, size_t capacity) override {
    if (capacity < format_.BlockAlign()) return 0;
    while (pcm_pos_ == pcm_.size()) {
      pcm_.clear();
      pcm_pos_ = 0;
      if (done_ || !ConvertNext()) {
        done_ = true;
        return 0;
      }
    }
    const size_t align = format_.BlockAlign();
    size_t n = std::min(capacity, pcm_.size() - pcm_pos_);
    n -= n % align;
    if (n == 0) {  // a stray partial sample frame at the very end
      pcm_pos_ = pcm_.size();
      return Decode(out, capacity);
    }
    std::memcpy(out, pcm_.data() + pcm_pos_, n);
    pcm_pos_ += n;
    return n;
  }

 private:
  static constexpr size_t kSourceCapacity = 16384;
  static constexpr int kFramesPerConvert = 8;

  Mp3Decoder(ByteSource* source, const unsigned char* start, size_t start_size)
      : frames_(source, start, start_size) {}

  bool Start() {
    if (!frames_.Start()) return false;
    const audio::Mp3Header& first = frames_.stream();

    MPEGLAYER3WAVEFORMAT mp3{};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = first.channels;
    mp3.wfx.nSamplesPerSec = first.rate;
    mp3.wfx.nAvgBytesPerSec = first.bitrate / 8;
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.wBitsPerSample = 0;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
    mp3.nBlockSize = static_cast<WORD>(first.size);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = 0;

    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = first.channels;
    pcm.nSamplesPerSec = first.rate;
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<WORD>(2 * first.channels);
    pcm.nAvgBytesPerSec = pcm.nBlockAlign * first.rate;
    if (acmStreamOpen(&stream_, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
      // Some codecs only offer their own choice of PCM.
      stream_ = nullptr;
      if (acmFormatSuggest(nullptr, &mp3.wfx, &pcm, sizeof pcm, ACM_FORMATSUGGESTF_WFORMATTAG) !=
              MMSYSERR_NOERROR ||
          pcm.wBitsPerSample != 16 ||
          acmStreamOpen(&stream_, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0,
                        ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
        stream_ = nullptr;
        return false;
      }
    }
    format_.channels = pcm.nChannels;
    format_.rate = pcm.nSamplesPerSec;
    format_.bits = 16;

    DWORD dst = 0;
    if (acmStreamSize(stream_, kSourceCapacity, &dst, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR) {
      dst = 0;
    }
    // Room for every sample of a full batch even where the codec's estimate is short.
    dst = std::max<DWORD>(dst, kFramesPerConvert * 1152 * 2 * format_.BlockAlign());
    src_.resize(kSourceCapacity);
    dst_.resize(dst);
    header_.cbStruct = sizeof header_;
    header_.pbSrc = src_.data();
    header_.cbSrcLength = kSourceCapacity;
    header_.pbDst = dst_.data();
    header_.cbDstLength = dst;
    if (acmStreamPrepareHeader(stream_, &header_, 0) != MMSYSERR_NOERROR) return false;
    prepared_ = true;
    return true;
  }

  // Appends the next frame to the codec's input; false at the end of the stream.
  bool NextFrame() {
    const unsigned char* frame = nullptr;
    size_t size = 0;
    if (!frames_.Next(&frame, &size) || src_used_ + size > src_.size()) return false;
    std::memcpy(src_.data() + src_used_, frame, size);
    src_used_ += size;
    return true;
  }

  bool ConvertNext() {
    int frames = 0;
    while (frames < kFramesPerConvert && NextFrame()) ++frames;
    DWORD flags = first_convert_ ? ACM_STREAMCONVERTF_START : 0;
    if (src_used_ == 0) {
      if (flushed_) return false;
      flushed_ = true;
      flags |= ACM_STREAMCONVERTF_END;
    }
    first_convert_ = false;
    header_.cbSrcLength = static_cast<DWORD>(src_used_);
    header_.cbDstLengthUsed = 0;
    header_.cbSrcLengthUsed = 0;
    if (acmStreamConvert(stream_, &header_, flags) != MMSYSERR_NOERROR) return false;
    const size_t used = std::min<size_t>(header_.cbSrcLengthUsed, src_used_);
    std::memmove(src_.data(), src_.data() + used, src_used_ - used);
    src_used_ -= used;
    pcm_.assign(dst_.data(), dst_.data() + header_.cbDstLengthUsed);
    if (used == 0 && pcm_.empty() && !(flags & ACM_STREAMCONVERTF_END)) {
      src_used_ = 0;  // the codec refuses this input: drop it rather than loop on it
    }
    return true;
  }

  audio::Mp3Frames frames_;
  HACMSTREAM stream_ = nullptr;
  ACMSTREAMHEADER header_{};
  bool prepared_ = false;
  std::vector<unsigned char> src_, dst_;
  size_t src_used_ = 0;
  bool first_convert_ = true;
  bool flushed_ = false;
  bool done_ = false;
  std::vector<unsigned char> pcm_;
  size_t pcm_pos_ = 0;
};

}  // namespace

std::unique_ptr<AudioDecoder> OpenDecoder(ByteSource* source) {
  unsigned char head[12];
  const size_t got = ReadFully(source, head, sizeof head);
  if (got == sizeof head && std::memcmp(head, "RIFF", 4) == 0 &&
      std::memcmp(head + 8, "WAVE", 4) == 0) {
    return WavDecoder::Open(source);
  }
  if (got >= 4 && std::memcmp(head, "MThd", 4) == 0) return nullptr;
  return Mp3Decoder::Open(source, head, got);
}

}  // namespace rc
