// Sound files and the skin library in every bad shape, on the real program. The background
// music is read at every press of the speaker and the alarm at every time-up, so one run takes
// file after file: missing, empty, cut inside every header field, random bytes, a large file,
// and of the other kind. After each the program still answers and its memory is back near where
// it was. A skin library that cannot serve gives the runtime's error box and exit code -1.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/robust_support.h"

using namespace robust;

namespace {

constexpr char kMusic[] = "v5.15njyls.wav";
constexpr char kAlarm[] = "v5.15gxj.mp3";

bool LongRun() {
  char flag[8] = {};
  return GetEnvironmentVariableA("ROBUST_LONG", flag, sizeof flag) > 0 && flag[0] == '1';
}

// A PCM wave of `data_bytes` bytes of a quiet tone, 22050 Hz mono 16 bits.
std::string Wave(size_t data_bytes) {
  std::string pcm(data_bytes & ~size_t(1), '\0');
  for (size_t i = 0; i + 1 < pcm.size(); i += 2) pcm[i + 1] = char((i / 100) % 2 ? 4 : -4);
  return "RIFF" + LittleEndian(uint32_t(36 + pcm.size()), 4) + "WAVEfmt " + LittleEndian(16, 4) +
         LittleEndian(1, 2) + LittleEndian(1, 2) + LittleEndian(22050, 4) + LittleEndian(44100, 4) +
         LittleEndian(2, 2) + LittleEndian(16, 2) + "data" + LittleEndian(uint32_t(pcm.size()), 4) +
         pcm;
}

struct Variant {
  std::string what;
  bool present;
  std::string bytes;
};

// Cuts through the headers of a file: at each offset given, and a little past each.
void AddCuts(std::vector<Variant>* out, const std::string& name, const std::string& file,
             const std::vector<size_t>& offsets) {
  for (size_t at : offsets) {
    if (at < file.size()) {
      out->push_back({name + " cut at " + std::to_string(at), true, file.substr(0, at)});
    }
  }
}

size_t Find(const std::string& file, const char* tag, size_t fallback) {
  const size_t at = file.find(tag);
  return at == std::string::npos ? fallback : at;
}

// The variants of a sound file: missing, empty, cut in each header field, random bytes, the
// header of its kind followed by random bytes, a large one and one of the other kind.
std::vector<Variant> WaveVariants(const std::string& real, const std::string& mp3, size_t large) {
  std::vector<Variant> v = {{"missing", false, ""}, {"empty", true, ""}};
  const size_t fmt = Find(real, "fmt ", 12), data = Find(real, "data", 36);
  // RIFF id, size, WAVE; fmt id, size, tag, channels, rate, byte rate, block align, bits; data
  // id, size; a few samples.
  AddCuts(&v, "wave", real,
          {3,        4,        6,        8,        11,       12,       fmt + 2,    fmt + 4,
           fmt + 6,  fmt + 8,  fmt + 9,  fmt + 10, fmt + 12, fmt + 16, fmt + 20,   fmt + 22,
           fmt + 24, data + 2, data + 4, data + 6, data + 8, data + 9, data + 1000});
  Bytes random(7);
  v.push_back({"random bytes", true, random.Take(100000)});
  v.push_back({"RIFF WAVE and random bytes", true,
               "RIFF" + LittleEndian(100000, 4) + "WAVE" + random.Take(100000)});
  // Headers that state more than there is, or nonsense.
  std::string huge_fmt =
      real.substr(0, fmt + 4) + LittleEndian(0xFFFFFFF0u, 4) + real.substr(fmt + 8, 200);
  v.push_back({"fmt chunk of 4 GB", true, huge_fmt});
  std::string odd =
      real.substr(0, data + 4) + LittleEndian(0xFFFFFFFFu, 4) + real.substr(data + 8, 5000);
  v.push_back({"data chunk of 4 GB", true, odd});
  std::string zero_rate = real;
  if (zero_rate.size() > fmt + 24) zero_rate.replace(fmt + 12, 4, LittleEndian(0, 4));
  v.push_back({"rate 0", true, zero_rate});
  std::string no_channels = real;
  if (no_channels.size() > fmt + 24) no_channels.replace(fmt + 10, 2, LittleEndian(0, 2));
  v.push_back({"no channels", true, no_channels});
  // MIDI data is music for the window too: a header and nonsense.
  v.push_back(
      {"MThd and random bytes", true, "MThd" + LittleEndian(0x06000000, 4) + random.Take(3000)});
  v.push_back({"RIFF RMID and random bytes", true,
               "RIFF" + LittleEndian(3000, 4) + "RMID" + random.Take(3000)});
  v.push_back({"an MP3 named .wav", true, mp3});
  v.push_back({"large, " + std::to_string(large >> 20) + " MB", true, Wave(large)});
  v.push_back({"the real file again", true, real});
  return v;
}

std::vector<Variant> Mp3Variants(const std::string& real, const std::string& wave, size_t large) {
  std::vector<Variant> v = {{"missing", false, ""}, {"empty", true, ""}};
  // An ID3v2 tag first, when there is one; then the first frame's header bytes and its data.
  size_t frame = 0;
  if (real.compare(0, 3, "ID3") == 0 && real.size() > 10) {
    frame = 10 + ((size_t(real[6] & 0x7F) << 21) | (size_t(real[7] & 0x7F) << 14) |
                  (size_t(real[8] & 0x7F) << 7) | size_t(real[9] & 0x7F));
    AddCuts(&v, "mp3", real, {3, 6, 9});
  }
  AddCuts(&v, "mp3", real,
          {frame + 1, frame + 2, frame + 3, frame + 4, frame + 40, frame + 200, frame + 417,
           frame + 418, frame + 1000, real.size() / 2});
  Bytes random(11);
  v.push_back({"random bytes", true, random.Take(100000)});
  // Frame headers everywhere with nonsense between them: the sync search and the codec.
  std::string synced;
  while (synced.size() < 100000) synced += "\xFF\xFB\x90\x64" + random.Take(413);
  v.push_back({"frame headers and random bytes", true, synced});
  std::string flipped = real;
  Bytes flips(13);
  for (int i = 0; i < 2000 && !flipped.empty(); ++i) {
    flipped[flips.Next() % flipped.size()] ^= char(1 << (flips.Next() % 8));
  }
  v.push_back({"2000 bits flipped", true, flipped});
  v.push_back({"an ID3 tag of 256 MB", true, "ID3\x04\x00\x00\x7F\x7F\x7F\x7F" + real});
  v.push_back({"a wave named .mp3", true, wave});
  std::string big;
  while (big.size() < large) big += real.substr(frame);
  v.push_back({"large, " + std::to_string(large >> 20) + " MB", true, big});
  v.push_back({"the real file again", true, real});
  return v;
}

bool PutFile(const Program& p, const char* name, const Variant& v) {
  const std::string path = p.Path(name);
  if (!v.present) return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
  return WriteFileBytes(path, v.bytes);
}

// A left press on a picture, as the mouse gives it.
void Press(HWND picture) {
  ClickAt(picture, 19, 15);
}

TEST(RobustMedia, BackgroundMusicOfAnyShape) {
  Program p;
  ASSERT_TRUE(p.Start());
  ASSERT_TRUE(p.OpenPanel());
  const std::string real = ReadFileBytes(BinDir() + kMusic);
  const std::string mp3 = ReadFileBytes(BinDir() + kAlarm);
  ASSERT_GT(real.size(), 44u);
  ASSERT_GT(mp3.size(), 4u);
  const size_t large = (LongRun() ? 200u : 20u) << 20;
  const Usage before = p.Resources();
  double peak = 0;
  for (const Variant& v : WaveVariants(real, mp3, large)) {
    SCOPED_TRACE(v.what);
    ASSERT_TRUE(PutFile(p, kMusic, v));
    Press(p.speaker);
    EXPECT_TRUE(WaitUntil([&] { return Shown(p.muted) && !Shown(p.speaker); }, 20000));
    harness::Sleep(250);  // the sound starts on a thread of its own
    EXPECT_TRUE(p.Alive());
    peak = std::max(peak, p.Resources().private_mb);
    Press(p.muted);
    EXPECT_TRUE(WaitUntil([&] { return Shown(p.speaker) && !Shown(p.muted); }, 10000));
    EXPECT_TRUE(p.Alive());
    if (!p.proc->running()) break;
  }
  EXPECT_FALSE(p.proc->HasMessageBox());
  const Usage after = p.Resources();
  std::printf("background music: private %.1f MB before, %.1f MB at most, %.1f MB after\n",
              before.private_mb, peak, after.private_mb);
  RecordProperty("private_mb_after", int(after.private_mb));
  // The large file stays in memory only while it is the window's music.
  EXPECT_LT(after.private_mb, before.private_mb + 16);
  EXPECT_TRUE(p.Ends());
}

// The countdown window's units this scenario needs, found where the form puts them.
struct Countdown {
  HWND window = nullptr, start = nullptr, pause = nullptr, seconds_box = nullptr, tick = nullptr;
  HWND close = nullptr;
  bool Open(const Program& p) {
    Click(FindChildByText(p.main, "倒计时功能（新）"));
    window = p.proc->WaitWindow("内置倒计时器 v0.2");
    if (window == nullptr) return false;
    start = FindChildByText(window, "确定开始！");
    pause = FindChildByText(window, "||暂停");
    close = FindChildByText(window, "关闭");
    if (!start || !pause || !close) return false;
    HWND setup = GetParent(GetParent(start));
    seconds_box = FindChildAt(FindChildByText(setup, "手动"), "Edit", 200, 24);
    tick = FindChildAt(GetParent(pause), "RollcallTimer", 552, 16);
    return seconds_box && tick;
  }
};

TEST(RobustMedia, AlarmOfAnyShape) {
  Program p;
  ASSERT_TRUE(p.Start());
  ASSERT_TRUE(p.OpenPanel());
  Countdown c;
  ASSERT_TRUE(c.Open(p));
  // One second, started and paused at once; its ticks are the timer's own messages.
  TypeText(c.seconds_box, "1");
  Click(c.start);
  Click(c.pause);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(c.pause) == "→继续"; }));
  for (int i = 0; i < 11; ++i) PostMessageW(c.tick, WM_TIMER, 1000, 0);
  ASSERT_EQ(NextBox(*p.proc), "时间到！ | 信息：");

  const std::string real = ReadFileBytes(BinDir() + kAlarm);
  const std::string wave = ReadFileBytes(BinDir() + kMusic);
  ASSERT_GT(real.size(), 1000u);
  const size_t large = (LongRun() ? 200u : 20u) << 20;
  const Usage before = p.Resources();
  double peak = 0;
  for (const Variant& v : Mp3Variants(real, wave, large)) {
    SCOPED_TRACE(v.what);
    ASSERT_TRUE(PutFile(p, kAlarm, v));
    // After the time is up the pause button is up again at once: a new alarm, read afresh.
    Click(c.pause);
    MessageBoxInfo box = p.proc->WaitMessageBox(5000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.text, "时间到！");
    harness::Sleep(300);  // the player reads and decodes on threads of its own
    EXPECT_TRUE(p.Alive());
    EXPECT_TRUE(Answers(c.window));
    peak = std::max(peak, p.Resources().private_mb);
    Answer(box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box.hwnd); }));
    if (!p.proc->running()) break;
  }
  const Usage after = p.Resources();
  std::printf("alarm: private %.1f MB before, %.1f MB at most, %.1f MB after, %lu threads\n",
              before.private_mb, peak, after.private_mb, after.threads);
  // The player reads in pieces: a large file costs no more than a small one.
  EXPECT_LT(peak, before.private_mb + 32);
  Click(c.close);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(c.window) && IsWindowVisible(p.main); }));
  EXPECT_TRUE(p.Ends());
}

// A skin library that is empty, cut short or another library: the runtime names the library and
// the export in its error box and ends with -1 (a library cut short is refused as Windows
// refuses it, also where Wine would run what is left); the file is never replaced.
// Where the last section's stored bytes end: what follows is padding.
size_t ImageEnd(const std::string& dll) {
  auto u16 = [&](size_t at) {
    return at + 2 <= dll.size() ? size_t(uint8_t(dll[at]) | uint8_t(dll[at + 1]) << 8) : 0;
  };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  const size_t pe = u32(60), sections = u16(pe + 6), table = pe + 24 + u16(pe + 20);
  size_t end = 0;
  for (size_t i = 0; i < sections; ++i) {
    const size_t raw_size = u32(table + 40 * i + 16), raw_at = u32(table + 40 * i + 20);
    if (raw_size != 0) end = std::max(end, raw_at + raw_size);
  }
  return end;
}

TEST(RobustMedia, BrokenSkinLibraryGivesTheErrorBoxAndMinusOne) {
  const std::string real = ReadFileBytes(BinDir() + "SkinH_EL.dll");
  const size_t image = ImageEnd(real);
  ASSERT_GT(image, 4096u);
  ASSERT_LE(image, real.size());
  struct Library {
    const char* what;
    std::string bytes;
    bool serves;
  } libraries[] = {
      {"empty", "", false},
      {"cut after the DOS header", real.substr(0, 64), false},
      {"cut after the headers", real.substr(0, 1024), false},
      {"cut in the code", real.substr(0, 4096), false},
      {"cut one byte into its last section", real.substr(0, image - 1), false},
      {"random bytes", Bytes(5).Take(real.size()), false},
      {"another library", ReadFileBytes(BinDir() + "runtime_testdll.dll"), false},
      // Without (part of) the padding after its sections the library is whole.
      {"cut in the padding", real.substr(0, (image + real.size()) / 2), true},
  };
  for (const Library& v : libraries) {
    SCOPED_TRACE(v.what);
    TempDir dir;
    ASSERT_TRUE(dir.Write("dede.ini", kSeen));
    ASSERT_TRUE(dir.Write("SkinH_EL.dll", v.bytes));
    Process proc(dir, "rollcall.exe");
    if (v.serves) {
      HWND main = proc.WaitWindow(kTitle, 20000);
      ASSERT_NE(main, nullptr);
      EXPECT_FALSE(proc.HasMessageBox());
      EXPECT_TRUE(Answers(main));
      Close(main);
      DWORD code = 1;
      EXPECT_TRUE(proc.WaitExit(10000, &code) && code == 0);
      continue;
    }
    MessageBoxInfo box = proc.WaitMessageBox(20000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.caption, "错误");
    EXPECT_EQ(box.text,
              "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“SkinH_EL.dll”中的输出命令"
              "“SkinH_AttachRes”\r\n");
    EXPECT_EQ(proc.WaitWindow(kTitle, 0), nullptr) << "before the window";
    Answer(box, IDOK);
    DWORD code = 0;
    EXPECT_TRUE(proc.WaitExit(10000, &code));
    EXPECT_EQ(code, 0xFFFFFFFFu);
    EXPECT_TRUE(dir.Read("SkinH_EL.dll") == v.bytes) << "the library was replaced";
  }
}

}  // namespace
