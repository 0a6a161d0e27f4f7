// Sound files made at test time, and the test data kept beside the tests.
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/source_root.h"

namespace rc {
namespace testing_music {

struct WavSpec {
  uint16_t tag = 1;  // 1 PCM, 3 IEEE float, 0xFFFE extensible (PCM inside)
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint16_t bits = 16;
  double seconds = 0.25;
  double frequency = 440;
  bool odd_chunk_first = false;  // a LIST chunk of odd size (with its pad byte) before "fmt "
};

inline void Put16(std::string* s, uint16_t v) {
  s->push_back(static_cast<char>(v & 0xFF));
  s->push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string* s, uint32_t v) {
  Put16(s, static_cast<uint16_t>(v & 0xFFFF));
  Put16(s, static_cast<uint16_t>(v >> 16));
}

inline uint32_t Frames(const WavSpec& w) {
  return static_cast<uint32_t>(w.seconds * w.rate);
}

// A sine at half scale; every channel carries the same signal.
inline std::string MakeWav(const WavSpec& w) {
  std::string data;
  const uint32_t frames = Frames(w);
  for (uint32_t i = 0; i < frames; ++i) {
    const double x = 0.5 * std::sin(2 * 3.14159265358979 * w.frequency * i / w.rate);
    for (uint16_t c = 0; c < w.channels; ++c) {
      if (w.tag == 3) {
        float f = static_cast<float>(x);
        char b[4];
        std::memcpy(b, &f, 4);
        data.append(b, 4);
      } else if (w.bits == 8) {
        data.push_back(static_cast<char>(128 + static_cast<int>(x * 127)));
      } else {
        const int64_t full = static_cast<int64_t>(x * 2147483647.0);  // as a 32-bit sample
        for (int byte = 4 - w.bits / 8; byte < 4; ++byte) {
          data.push_back(static_cast<char>((full >> (8 * byte)) & 0xFF));
        }
      }
    }
  }
  std::string fmt;
  const uint16_t align = static_cast<uint16_t>(w.bits / 8 * w.channels);
  Put16(&fmt, w.tag);
  Put16(&fmt, w.channels);
  Put32(&fmt, w.rate);
  Put32(&fmt, align * w.rate);
  Put16(&fmt, align);
  Put16(&fmt, w.bits);
  if (w.tag == 0xFFFE) {
    Put16(&fmt, 22);
    Put16(&fmt, w.bits);
    Put32(&fmt, w.channels == 2 ? 3 : 4);
    // KSDATAFORMAT_SUBTYPE_PCM
    const unsigned char guid[16] = {1,    0, 0, 0,    0, 0,    0x10, 0,
                                    0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    fmt.append(reinterpret_cast<const char*>(guid), 16);
  }
  std::string body = "WAVE";
  if (w.odd_chunk_first) {
    body += "LIST";
    Put32(&body, 5);
    body += "abcde";
    body.push_back('\0');
  }
  body += "fmt ";
  Put32(&body, static_cast<uint32_t>(fmt.size()));
  body += fmt;
  body += "data";
  Put32(&body, static_cast<uint32_t>(data.size()));
  body += data;
  std::string file = "RIFF";
  Put32(&file, static_cast<uint32_t>(body.size()));
  return file + body;
}

// Byte count of the 16-bit (or 8-bit) PCM the decoder gives for a WAV of this spec.
inline size_t PcmBytes(const WavSpec& w) {
  const int out_bits = (w.tag == 1 && w.bits <= 16) ? w.bits : 16;
  return size_t{Frames(w)} * w.channels * out_bits / 8;
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The folder of the sound files the music tests read, as a Windows path.
inline std::string SourceDir() {
  return rc::test::SourcePath("tests/win");
}

// A fresh folder under the temporary directory, removed with its files at the end.
class TempDir {
 public:
  TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "rollcall-music-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter_++);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempDir() {
    for (const std::string& f : files_) DeleteFileA(f.c_str());
    RemoveDirectoryA(path_.c_str());
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string full = path_ + "\\" + name;
    WriteFileBytes(full, bytes);
    files_.push_back(full);
    return full;
  }
  std::string Path(const std::string& name) const { return path_ + "\\" + name; }

 private:
  static inline int counter_ = 0;
  std::string path_;
  std::vector<std::string> files_;
};

// A double-zero-terminated list of names, as CreatePlayer takes it.
inline std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& n : names) list += n + '\0';
  return list + '\0';
}

}  // namespace testing_music
}  // namespace rc
