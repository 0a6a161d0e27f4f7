#include "library_commands/audio_format.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace rc {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint16_t Le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void PutLe32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The format fields of a "fmt " chunk of at least 16 bytes.
struct FormatFields {
  uint16_t tag, channels, block_align, bits;
  uint32_t rate, byte_rate;
};
FormatFields ReadFormat(const unsigned char* fmt) {
  return {Le16(fmt), Le16(fmt + 2), Le16(fmt + 12), Le16(fmt + 14), Le32(fmt + 4), Le32(fmt + 8)};
}

bool PlausibleStream(const FormatFields& f) {
  return f.channels >= 1 && f.channels <= 8 && f.rate >= 1000 && f.rate <= 768000;
}

}  // namespace

size_t MemorySource::Read(void* buffer, size_t size) {
  const size_t n = std::min(size, size_ - offset_);
  if (n > 0) std::memcpy(buffer, data_ + offset_, n);
  offset_ += n;
  return n;
}

size_t ReadFully(ByteSource* source, void* buffer, size_t size) {
  auto* p = static_cast<unsigned char*>(buffer);
  size_t total = 0;
  while (total < size) {
    const size_t got = source->Read(p + total, size - total);
    if (got == 0) break;
    total += got;
  }
  return total;
}

bool SkipBytes(ByteSource* source, uint64_t count) {
  unsigned char scratch[4096];
  while (count > 0) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(count, sizeof scratch));
    if (ReadFully(source, scratch, want) != want) return false;
    count -= want;
  }
  return true;
}

namespace audio {

namespace {

bool ParseDecodableFormat(const unsigned char* fmt, size_t size, WaveStream* w) {
  FormatFields f = ReadFormat(fmt);
  if (f.tag == kFormatExtensible) {
    if (size < 40) return false;
    f.tag = Le16(fmt + 24);  // first two bytes of the sub-format GUID
  }
  if (!PlausibleStream(f)) return false;
  bool is_float = false;
  if (f.tag == kFormatPcm) {
    if (f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32) return false;
  } else if (f.tag == kFormatFloat) {
    if (f.bits != 32 && f.bits != 64) return false;
    is_float = true;
  } else {
    return false;
  }
  w->in_bits = f.bits;
  w->is_float = is_float;
  w->in_frame = f.bits / 8u * f.channels;
  w->out.channels = f.channels;
  w->out.rate = f.rate;
  w->out.bits = (!is_float && f.bits <= 16) ? f.bits : 16;
  return true;
}

// A format the platform's player can hand to a sound device without dividing by zero or
// reading past the chunk: block size and byte rate given, and for PCM the ones its fields imply.
bool PlayableFormat(const unsigned char* fmt, size_t size) {
  FormatFields f = ReadFormat(fmt);
  if (f.tag == kFormatExtensible) {
    if (size < 40) return false;
    f.tag = Le16(fmt + 24);
  }
  if (!PlausibleStream(f) || f.block_align == 0 || f.byte_rate == 0) return false;
  if (f.tag == kFormatPcm || f.tag == kFormatFloat) {
    return f.bits >= 8 && f.bits % 8 == 0 && f.bits <= 64 &&
           f.block_align == f.bits / 8u * f.channels &&
           f.byte_rate == uint64_t{f.rate} * f.block_align;
  }
  return true;
}

}  // namespace

bool ReadWaveHeader(ByteSource* source, WaveStream* out) {
  bool have_format = false;
  for (;;) {
    unsigned char chunk[8];
    if (ReadFully(source, chunk, 8) != 8) return false;
    const uint32_t size = Le32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) return false;
      unsigned char fmt[40] = {};
      const size_t keep = std::min<size_t>(size, sizeof fmt);
      if (ReadFully(source, fmt, keep) != keep) return false;
      if (!SkipBytes(source, uint64_t{size} - keep + (size & 1))) return false;
      have_format = ParseDecodableFormat(fmt, keep, out);
      if (!have_format) return false;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!have_format) return false;
      out->data_size = size;
      return true;
    } else if (!SkipBytes(source, uint64_t{size} + (size & 1))) {
      return false;
    }
  }
}

WaveCheck MakePlayableWave(const uint8_t* data, size_t size, std::vector<uint8_t>* rewritten) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
    return WaveCheck::kRefused;
  }
  const uint64_t stated_end = 8 + uint64_t{Le32(data + 4)};
  const size_t riff_end = static_cast<size_t>(std::min<uint64_t>(stated_end, size));
  const uint8_t* fmt = nullptr;
  uint32_t fmt_size = 0;
  const uint8_t* samples = nullptr;
  size_t sample_bytes = 0;
  bool cut = false;
  for (size_t pos = 12; pos + 8 <= riff_end;) {
    const uint32_t chunk = Le32(data + pos + 4);
    const size_t body = pos + 8;
    const size_t there = riff_end - body;
    if (std::memcmp(data + pos, "fmt ", 4) == 0 && fmt == nullptr) {
      if (chunk < 16 || chunk > there) return WaveCheck::kRefused;
      fmt = data + body;
      fmt_size = chunk;
    } else if (std::memcmp(data + pos, "data", 4) == 0) {
      // The platform's player looks for the samples after the format.
      if (fmt == nullptr) return WaveCheck::kRefused;
      samples = data + body;
      sample_bytes = std::min<size_t>(chunk, there);
      cut = chunk > there;
      break;
    }
    const uint64_t next = uint64_t{body} + chunk + (chunk & 1);
    if (next > riff_end) break;
    pos = static_cast<size_t>(next);
  }
  if (fmt == nullptr || samples == nullptr || !PlayableFormat(fmt, fmt_size)) {
    return WaveCheck::kRefused;
  }
  // Looping a wave without one whole sample frame, the system's player spins for ever and
  // never takes the request to stop.
  const uint16_t block = Le16(fmt + 12);
  if (sample_bytes < block) return WaveCheck::kRefused;
  if (!cut && stated_end <= size) return WaveCheck::kAsIs;

  // The format as it is, then the whole sample frames that are there.
  sample_bytes -= sample_bytes % block;
  const uint64_t fmt_padded = fmt_size + (fmt_size & 1);
  const uint64_t total = 4 + 8 + fmt_padded + 8 + sample_bytes;
  if (total > 0xFFFFFFF0u) return WaveCheck::kRefused;
  try {
    rewritten->clear();
    rewritten->reserve(static_cast<size_t>(8 + total));
    rewritten->insert(rewritten->end(), {'R', 'I', 'F', 'F'});
    PutLe32(rewritten, static_cast<uint32_t>(total));
    rewritten->insert(rewritten->end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe32(rewritten, fmt_size);
    rewritten->insert(rewritten->end(), fmt, fmt + fmt_size);
    if (fmt_size & 1) rewritten->push_back(0);
    rewritten->insert(rewritten->end(), {'d', 'a', 't', 'a'});
    PutLe32(rewritten, static_cast<uint32_t>(sample_bytes));
    rewritten->insert(rewritten->end(), samples, samples + sample_bytes);
  } catch (const std::bad_alloc&) {
    rewritten->clear();
    rewritten->shrink_to_fit();
    return WaveCheck::kRefused;
  }
  return WaveCheck::kRewritten;
}

bool ParseMp3Header(const unsigned char* p, Mp3Header* h) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int version = (p[1] >> 3) & 3;
  const int layer = (p[1] >> 1) & 3;
  const int bitrate_index = p[2] >> 4;
  const int rate_index = (p[2] >> 2) & 3;
  if (version == 1 || layer != 1 || bitrate_index == 0 || bitrate_index == 15 || rate_index == 3 ||
      (p[3] & 3) == 2) {
    return false;
  }
  static const uint16_t kBitrates1[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                        112, 128, 160, 192, 224, 256, 320};
  static const uint16_t kBitrates2[] = {0,  8,  16, 24,  32,  40,  48, 56,
                                        64, 80, 96, 112, 128, 144, 160};
  static const uint32_t kRates[] = {44100, 48000, 32000};
  h->version = version;
  h->rate = kRates[rate_index] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  h->bitrate = (version == 3 ? kBitrates1 : kBitrates2)[bitrate_index] * 1000u;
  h->channels = (p[3] >> 6) == 3 ? 1 : 2;
  h->size = (version == 3 ? 144 : 72) * h->bitrate / h->rate + ((p[2] >> 1) & 1);
  return true;
}

Mp3Frames::Mp3Frames(ByteSource* source, const unsigned char* start, size_t start_size)
    : source_(source), in_(start, start + start_size) {}

// Makes at least n unread bytes available; false at the end of the data.
bool Mp3Frames::Fill(size_t n) {
  if (in_.size() - pos_ >= n) return true;
  in_.erase(in_.begin(), in_.begin() + static_cast<ptrdiff_t>(pos_));
  pos_ = 0;
  while (in_.size() < n && !eof_) {
    const size_t old = in_.size();
    in_.resize(old + kReadPiece);
    const size_t got = source_->Read(in_.data() + old, kReadPiece);
    in_.resize(old + got);
    eof_ = got == 0;
  }
  return in_.size() >= n;
}

bool Mp3Frames::SkipId3v2() {
  if (!Fill(10) || std::memcmp(&in_[pos_], "ID3", 3) != 0) return true;
  const unsigned char* p = &in_[pos_];
  if ((p[6] | p[7] | p[8] | p[9]) & 0x80) return false;
  uint64_t size = 10 + (uint64_t{p[6]} << 21 | p[7] << 14 | p[8] << 7 | p[9]);
  if (p[5] & 0x10) size += 10;  // footer
  const size_t here = std::min<uint64_t>(size, in_.size() - pos_);
  pos_ += here;
  return SkipBytes(source_, size - here);
}

// A frame header at offset off (from pos_) that the following headers confirm.
bool Mp3Frames::FrameAt(size_t off, Mp3Header* first) {
  if (!Fill(off + 4) || !ParseMp3Header(&in_[pos_ + off], first)) return false;
  size_t next = off + first->size;
  for (int confirmations = 0; confirmations < 2; ++confirmations) {
    Mp3Header h;
    if (!Fill(next + 4)) return Fill(next) && in_.size() - pos_ == next;  // ends right here
    if (!ParseMp3Header(&in_[pos_ + next], &h) || !h.SameStream(*first)) return false;
    next += h.size;
  }
  return true;
}

bool Mp3Frames::Start() {
  if (!SkipId3v2()) return false;
  size_t off = 0;
  while (!FrameAt(off, &stream_)) {
    if (++off >= kMp3SyncWindow || !Fill(off + 4)) return false;
  }
  pos_ += off;
  return true;
}

bool Mp3Frames::Next(const unsigned char** frame, size_t* size) {
  size_t skipped = 0;
  for (;;) {
    if (!Fill(4)) return false;
    Mp3Header h;
    if (ParseMp3Header(&in_[pos_], &h) && h.SameStream(stream_)) {
      if (!Fill(h.size)) return false;  // a cut-off last frame
      *frame = &in_[pos_];
      *size = h.size;
      pos_ += h.size;
      return true;
    }
    if (Fill(128) && std::memcmp(&in_[pos_], "TAG", 3) == 0) {
      pos_ += 128;  // an ID3v1 tag
    } else {
      ++pos_;
    }
    if (++skipped > kMp3SyncWindow) return false;
  }
}

}  // namespace audio
}  // namespace rc
