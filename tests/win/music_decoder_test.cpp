// The music player's decoder stage on its own: WAV layouts, MP3 through the ACM codec, and data
// that is no sound at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "library_commands/music_decoder.h"
#include "tests/win/music_test_util.h"

namespace rc {
namespace {

using namespace testing_music;

struct Decoded {
  bool opened = false;
  PcmFormat format;
  std::string pcm;
};

// Decodes everything, in blocks of an odd size to exercise partial deliveries.
Decoded DecodeAll(const std::string& bytes, size_t block = 5000) {
  MemorySource source(bytes.data(), bytes.size());
  std::unique_ptr<AudioDecoder> d = OpenDecoder(&source);
  Decoded out;
  if (!d) return out;
  out.opened = true;
  out.format = d->format();
  block -= block % out.format.BlockAlign();
  std::string buffer(block, '\0');
  for (int guard = 0; guard < 1000000; ++guard) {
    const size_t n = d->Decode(reinterpret_cast<unsigned char*>(&buffer[0]), block);
    if (n == 0) break;
    EXPECT_EQ(n % out.format.BlockAlign(), 0u) << "blocks hold whole sample frames";
    out.pcm.append(buffer, 0, n);
  }
  return out;
}

int16_t Sample(const std::string& pcm, size_t index) {
  int16_t s;
  std::memcpy(&s, pcm.data() + index * 2, 2);
  return s;
}

// Frequency of the first channel of 16-bit PCM, by counting upward zero crossings.
double Frequency(const Decoded& d) {
  const size_t frames = d.pcm.size() / d.format.BlockAlign();
  const size_t from = frames / 4, to = frames * 3 / 4;
  int crossings = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (Sample(d.pcm, (i - 1) * d.format.channels) < 0 &&
        Sample(d.pcm, i * d.format.channels) >= 0) {
      ++crossings;
    }
  }
  return crossings * static_cast<double>(d.format.rate) / (to - from);
}

TEST(MusicDecoderWav, LayoutsDecodeToPlayablePcm) {
  struct Case {
    const char* name;
    WavSpec spec;
  };
  auto spec = [](uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    WavSpec w;
    w.tag = tag;
    w.channels = channels;
    w.rate = rate;
    w.bits = bits;
    return w;
  };
  WavSpec odd = spec(1, 2, 44100, 16);
  odd.odd_chunk_first = true;
  const Case cases[] = {
      {"8-bit mono 8000 Hz", spec(1, 1, 8000, 8)},
      {"16-bit stereo 44100 Hz", spec(1, 2, 44100, 16)},
      {"16-bit mono 22050 Hz", spec(1, 1, 22050, 16)},
      {"24-bit stereo 48000 Hz", spec(1, 2, 48000, 24)},
      {"32-bit stereo 96000 Hz", spec(1, 2, 96000, 32)},
      {"float mono 32000 Hz", spec(3, 1, 32000, 32)},
      {"extensible 16-bit stereo", spec(0xFFFE, 2, 44100, 16)},
      {"odd-sized chunk before fmt", odd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded d = DecodeAll(MakeWav(c.spec));
    ASSERT_TRUE(d.opened);
    EXPECT_EQ(d.format.channels, c.spec.channels);
    EXPECT_EQ(d.format.rate, c.spec.rate);
    EXPECT_EQ(d.format.bits, c.spec.bits == 8 ? 8 : 16) << "deeper samples are played as 16 bits";
    EXPECT_EQ(d.pcm.size(), PcmBytes(c.spec)) << "every sample frame, none added";
    if (d.format.bits == 16) {
      EXPECT_NEAR(Frequency(d), c.spec.frequency, c.spec.frequency * 0.02);
    }
  }
}

TEST(MusicDecoderWav, DeepSamplesKeepTheirMostSignificantBits) {
  WavSpec w16;
  const Decoded reference = DecodeAll(MakeWav(w16));
  for (uint16_t bits : {24, 32}) {
    WavSpec w = w16;
    w.bits = bits;
    EXPECT_EQ(DecodeAll(MakeWav(w)).pcm, reference.pcm) << bits << "-bit samples cut to 16";
  }
  WavSpec f = w16;
  f.tag = 3;
  f.bits = 32;
  const Decoded floats = DecodeAll(MakeWav(f));
  ASSERT_EQ(floats.pcm.size(), reference.pcm.size());
  for (size_t i = 0; i < reference.pcm.size() / 2; i += 97) {
    EXPECT_NEAR(Sample(floats.pcm, i), Sample(reference.pcm, i), 2) << "float sample " << i;
  }
}

TEST(MusicDecoderWav, DataCutShortPlaysWhatIsThere) {
  WavSpec w;
  w.seconds = 0.5;
  std::string bytes = MakeWav(w);
  const size_t header = bytes.size() - PcmBytes(w);
  bytes.resize(header + 10001);  // half a sample frame too many
  const Decoded d = DecodeAll(bytes);
  ASSERT_TRUE(d.opened);
  EXPECT_EQ(d.pcm.size(), 10000u) << "the whole frames present, the partial one dropped";
}

TEST(MusicDecoder, DataThatIsNoSoundOpensNothing) {
  std::mt19937 rng(12345);
  std::string random(64 * 1024, '\0');
  for (char& c : random) c = static_cast<char>(rng());
  WavSpec w;
  const std::string wav = MakeWav(w);
  std::string bad_format = wav;
  bad_format[20] = 2;  // ADPCM: not PCM
  std::string no_channels = wav;
  no_channels[22] = 0;
  std::string huge_fmt = wav;  // a fmt chunk that claims far more than the file holds
  huge_fmt[16] = huge_fmt[17] = huge_fmt[18] = '\xff';
  huge_fmt[19] = '\x7f';
  std::string data_before_fmt = "RIFF\x10\0\0\0WAVEdata\x04\0\0\0abcd";
  data_before_fmt.resize(24);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"truncated header", wav.substr(0, 30)},
      {"header without data chunk", wav.substr(0, 44 - 8)},
      {"random bytes", random},
      {"MIDI file", std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14)},
      {"compressed WAV", bad_format},
      {"no channels", no_channels},
      {"data chunk before fmt", data_before_fmt},
      {"fmt chunk larger than the file", huge_fmt},
      {"RIFF of another kind", "RIFF\x04\0\0\0AVI LIST"},
      {"lone ID3 tag", std::string("ID3\x03\0\0\0\0\0\x0a", 10) + std::string(10, 'x')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(DecodeAll(c.bytes).opened) << "plays nothing";
  }
}

struct Mp3Case {
  const char* file;
  uint16_t channels;
  uint32_t rate;
  uint32_t source_frames;  // sample frames of the sine the file was encoded from
  double frequency;
  uint32_t samples_per_frame;
};

// Counts the MPEG audio frames of a file, skipping an ID3v2 tag.
int CountMp3Frames(const std::string& b) {
  size_t pos = 0;
  if (b.compare(0, 3, "ID3") == 0) {
    pos = 10 + (size_t{static_cast<unsigned char>(b[6])} << 21 | b[7] << 14 | b[8] << 7 | b[9]);
  }
  int frames = 0;
  while (pos + 4 <= b.size()) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data() + pos);
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) break;
    static const int k1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int k2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const bool v1 = ((p[1] >> 3) & 3) == 3;
    const int rates[] = {44100, 48000, 32000};
    const int rate = rates[(p[2] >> 2) & 3] / (v1 ? 1 : 2);
    const int bitrate = (v1 ? k1 : k2)[p[2] >> 4] * 1000;
    pos += (v1 ? 144 : 72) * bitrate / rate + ((p[2] >> 1) & 1);
    ++frames;
  }
  return frames;
}

TEST(MusicDecoderMp3, GeneratedFilesDecodeToTheExpectedLength) {
  // Made with: sox -n -r 44100 -c 2 st.wav synth 0.3 sine 440 vol 0.5 &&
  //   lame -b 64 --resample 44.1 --tt tone --add-id3v2 st.wav; and a 22050 Hz mono one at 1 kHz.
  const Mp3Case cases[] = {
      {"music_tone_stereo.mp3", 2, 44100, 13230, 440, 1152},
      {"music_tone_mono.mp3", 1, 22050, 6615, 1000, 576},
  };
  for (const Mp3Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string bytes = ReadFileBytes(SourceDir() + "\\" + c.file);
    ASSERT_FALSE(bytes.empty()) << "test data missing";
    const Decoded d = DecodeAll(bytes);
    ASSERT_TRUE(d.opened) << "the platform's ACM codec decodes MPEG layer III";
    EXPECT_EQ(d.format.channels, c.channels);
    EXPECT_EQ(d.format.rate, c.rate);
    EXPECT_EQ(d.format.bits, 16);
    // The codec gives every frame's samples; lame's Info frame carries none, and the encoder's
    // delay and padding fill the rest of the frames around the sine.
    const int frames = CountMp3Frames(bytes);
    const size_t samples = d.pcm.size() / d.format.BlockAlign();
    RecordProperty(std::string(c.file) + "_samples", static_cast<int>(samples));
    EXPECT_EQ(d.pcm.size() % d.format.BlockAlign(), 0u);
    EXPECT_GE(samples, c.source_frames) << "at least the encoded sound";
    EXPECT_LE(samples, size_t(frames) * c.samples_per_frame) << "no more than the frames hold";
    EXPECT_EQ(samples % c.samples_per_frame, 0u) << "whole frames of samples";
    EXPECT_NEAR(Frequency(d), c.frequency, c.frequency * 0.03) << "the tone, not noise or silence";
  }
}

TEST(MusicDecoderMp3, DamagedStreamEndsWithoutCrashing) {
  const std::string bytes = ReadFileBytes(SourceDir() + "\\music_tone_stereo.mp3");
  ASSERT_FALSE(bytes.empty());
  const Decoded whole = DecodeAll(bytes);
  ASSERT_TRUE(whole.opened);
  // Cut in the middle of a frame, and with garbage spliced into the frames.
  std::string cut = bytes.substr(0, bytes.size() * 2 / 3);
  const Decoded part = DecodeAll(cut);
  ASSERT_TRUE(part.opened);
  EXPECT_LT(part.pcm.size(), whole.pcm.size());
  std::string spliced = bytes;
  std::mt19937 rng(7);
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 300; ++i) {
    spliced[i] = static_cast<char>(rng());
  }
  const Decoded resynced = DecodeAll(spliced);
  ASSERT_TRUE(resynced.opened);
  EXPECT_GT(resynced.pcm.size(), whole.pcm.size() / 3) << "decoding resumes after the damage";
}

}  // namespace
}  // namespace rc
