// The music player: players, their event threads, the per-file pipelines and the decoders.
//
// Lock order: the registry lock, then a player's lock; no lock is held while a pipeline is
// destroyed, because its threads take the player's lock to report their end. The waveOut
// callback only takes the ring lock, which is never held across a waveOut call: winmm calls back
// from the thread that also carries out the caller's waveOut requests.
//
// Every waveOut call of a pipeline is made on its output thread, pause and resume included (they
// are handed over through a flag and the wake event). Wine's PulseAudio driver was seen to crash
// now and then when one thread paused a device that another was writing to and resetting.
#include "library_commands/music_player.h"

#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace rc {

namespace {

constexpr size_t kReadPiece = 8192;
constexpr size_t kQueuedPieces = 16;
constexpr int kEndOfStream = 12;
constexpr int kEndWithError = 77;
constexpr int kQuit = -1;
constexpr size_t kPoolBlocks = 8;
constexpr DWORD kDeviceStallMs = 5000;

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

struct AcmStreamCloser {
  void operator()(HACMSTREAM s) const { acmStreamClose(s, 0); }
};

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

// ---- Pipeline ------------------------------------------------------------------------------

// The pipeline's buffer between the reader thread and the decoder.
class PieceQueue : public ByteSource {
 public:
  bool Push(std::vector<unsigned char> piece) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [this] { return pieces_.size() < kQueuedPieces || cancelled_; });
    if (cancelled_) return false;
    pieces_.push_back(std::move(piece));
    cv_.notify_all();
    return true;
  }
  void Finish() {
    std::lock_guard<std::mutex> lock(m_);
    finished_ = true;
    cv_.notify_all();
  }
  void Cancel() {
    std::lock_guard<std::mutex> lock(m_);
    cancelled_ = true;
    cv_.notify_all();
  }
  size_t Read(void* buffer, size_t size) override {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [this] { return !pieces_.empty() || finished_ || cancelled_; });
    if (cancelled_) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    size_t total = 0;
    while (total < size && !pieces_.empty()) {
      std::vector<unsigned char>& front = pieces_.front();
      const size_t n = std::min(size - total, front.size() - offset_);
      std::memcpy(out + total, front.data() + offset_, n);
      total += n;
      offset_ += n;
      if (offset_ == front.size()) {
        pieces_.pop_front();
        offset_ = 0;
      }
    }
    cv_.notify_all();
    return total;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<std::vector<unsigned char>> pieces_;
  size_t offset_ = 0;
  bool finished_ = false;
  bool cancelled_ = false;
};

struct EndReport {
  int code = kEndWithError;
  uint32_t generation = 0;
  bool played = false;
  uint64_t bytes = 0;
};

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h != nullptr) CloseHandle(h);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// One file on its way from the disk to the sound device.
class Pipeline {
 public:
  using EndFn = std::function<void(const EndReport&)>;

  Pipeline(std::string file, uint32_t generation, bool paused, EndFn on_end)
      : file_(std::move(file)),
        generation_(generation),
        on_end_(std::move(on_end)),
        paused_(paused),
        wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    reader_ = std::thread([this] { ReaderThread(); });
    output_ = std::thread([this] { OutputThread(); });
  }

  ~Pipeline() {
    stop_ = true;
    queue_.Cancel();
    SetEvent(wake_.get());
    output_.join();
    reader_.join();
  }

  void Pause() {
    paused_ = true;
    SetEvent(wake_.get());
  }
  void Resume() {
    paused_ = false;
    SetEvent(wake_.get());
  }

 private:
  void ReaderThread() {
    UniqueHandle file(CreateFileA(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      file.release();
      queue_.Finish();
      return;
    }
    while (!stop_) {
      std::vector<unsigned char> piece(kReadPiece);
      DWORD got = 0;
      if (!ReadFile(file.get(), piece.data(), kReadPiece, &got, nullptr)) got = 0;
      piece.resize(got);
      if (got > 0 && !queue_.Push(std::move(piece))) break;
      if (got < kReadPiece) break;  // a short read is the end of the file
    }
    queue_.Finish();
  }

  static void CALLBACK WaveCallback(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR param1,
                                    DWORD_PTR) {
    if (msg != WOM_DONE) return;
    auto* self = reinterpret_cast<Pipeline*>(instance);
    auto* header = reinterpret_cast<WAVEHDR*>(param1);
    {
      std::lock_guard<std::mutex> lock(self->ring_m_);
      self->done_[header->dwUser] = 1;
    }
    SetEvent(self->wake_.get());
  }

  // Waits for the device to give a block back (or for a stop). False when a device that is not
  // paused has returned nothing for kDeviceStallMs: a sound server that went away must not
  // leave the player playing for ever.
  bool WaitForDevice() {
    const int done_before = DoneCount();
    WaitForSingleObject(wake_.get(), 250);
    ApplyPause();
    const DWORD now = GetTickCount();
    if (paused_ || DoneCount() != done_before) last_progress_ = now;
    return now - last_progress_ < kDeviceStallMs;
  }
  // Brings the device in line with the latest pause or resume request.
  void ApplyPause() {
    const bool want = paused_;
    if (want == device_paused_) return;
    device_paused_ = want;
    if (want) {
      waveOutPause(device_);
    } else {
      waveOutRestart(device_);
    }
  }

  int DoneCount() {
    std::lock_guard<std::mutex> lock(ring_m_);
    return static_cast<int>(std::count(done_.begin(), done_.end(), 1));
  }

  // Index of a header the device has given back, or -1.
  int FreeHeader() {
    std::lock_guard<std::mutex> lock(ring_m_);
    for (size_t i = 0; i < done_.size(); ++i) {
      if (done_[i]) return static_cast<int>(i);
    }
    return -1;
  }
  bool AllDone() {
    std::lock_guard<std::mutex> lock(ring_m_);
    return std::all_of(done_.begin(), done_.end(), [](char d) { return d != 0; });
  }

  void OutputThread() {
    EndReport report;
    report.generation = generation_;
    Play(&report);
    if (!stop_) on_end_(report);
  }

  void Play(EndReport* report) {
    std::unique_ptr<AudioDecoder> decoder = OpenDecoder(&queue_);
    if (!decoder || stop_) return;
    const PcmFormat format = decoder->format();
    const uint32_t align = format.BlockAlign();
    const uint32_t block = std::max<uint32_t>(4096, format.BytesPerSecond() / 8) / align * align;
    const size_t count = kPoolBlocks - 1;
    pool_.resize(count * block);
    headers_.assign(count, WAVEHDR{});
    done_.assign(count, 1);
    for (size_t i = 0; i < count; ++i) {
      headers_[i].lpData = reinterpret_cast<LPSTR>(pool_.data() + i * block);
      headers_[i].dwBufferLength = block;
      headers_[i].dwUser = i;
    }
    // Nothing decodes (an empty data chunk, a damaged stream): leave the device alone.
    size_t first = decoder->Decode(pool_.data(), block);
    if (first == 0 || stop_) return;

    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = format.channels;
    wfx.nSamplesPerSec = format.rate;
    wfx.wBitsPerSample = format.bits;
    wfx.nBlockAlign = static_cast<WORD>(align);
    wfx.nAvgBytesPerSec = format.BytesPerSecond();
    if (waveOutOpen(&device_, WAVE_MAPPER, &wfx, reinterpret_cast<DWORD_PTR>(&WaveCallback),
                    reinterpret_cast<DWORD_PTR>(this),
                    CALLBACK_FUNCTION | WAVE_ALLOWSYNC) != MMSYSERR_NOERROR) {
      return;
    }
    ApplyPause();
    last_progress_ = GetTickCount();
    std::vector<bool> prepared(count, false);
    bool failed = false;
    for (size_t i = 0; i < count; ++i) {
      prepared[i] =
          waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
      failed = failed || !prepared[i];
    }

    uint64_t written = 0;
    size_t pending = first;
    int slot = 0;
    while (!stop_ && !failed) {
      ApplyPause();
      if (slot < 0) {
        slot = FreeHeader();
        if (slot < 0) {
          if (!WaitForDevice()) break;
          continue;
        }
        pending = decoder->Decode(reinterpret_cast<unsigned char*>(headers_[slot].lpData), block);
        if (pending == 0) break;
      }
      WAVEHDR& h = headers_[slot];
      h.dwBufferLength = static_cast<DWORD>(pending);
      {
        std::lock_guard<std::mutex> lock(ring_m_);
        done_[slot] = 0;
      }
      if (waveOutWrite(device_, &h, sizeof h) != MMSYSERR_NOERROR) {
        std::lock_guard<std::mutex> lock(ring_m_);
        done_[slot] = 1;
        break;
      }
      written += pending;
      report->played = true;
      slot = -1;
    }
    while (!stop_ && !AllDone() && WaitForDevice()) {
    }

    MMTIME position{};
    position.wType = TIME_BYTES;
    if (waveOutGetPosition(device_, &position, sizeof position) == MMSYSERR_NOERROR &&
        position.wType == TIME_BYTES) {
      report->bytes = std::min<uint64_t>(position.u.cb, written);
    }
    waveOutReset(device_);
    for (size_t i = 0; i < count; ++i) {
      if (prepared[i]) waveOutUnprepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
    }
    // After the reset the device gives everything back at once; the retry bound only guards
    // against a driver that never does.
    for (int tries = 0; waveOutClose(device_) == WAVERR_STILLPLAYING && tries < 100; ++tries) {
      Sleep(100);
    }
    report->code = kEndOfStream;
  }

  const std::string file_;
  const uint32_t generation_;
  const EndFn on_end_;
  PieceQueue queue_;
  std::atomic<bool> stop_{false};

  std::atomic<bool> paused_;  // requested by the player's thread
  // The output thread's own.
  HWAVEOUT device_ = nullptr;
  bool device_paused_ = false;
  DWORD last_progress_ = 0;  // tick of the last block the device gave back (output thread)

  std::mutex ring_m_;  // done_
  std::vector<char> done_;
  std::vector<WAVEHDR> headers_;
  std::vector<unsigned char> pool_;

  UniqueHandle wake_;
  std::thread reader_;
  std::thread output_;
};

}  // namespace

// ---- Player --------------------------------------------------------------------------------

struct MusicPlayer {
  enum State { kPaused = 1, kPlaying = 2, kStopped = 3 };
  struct Event {
    int code;
    EndReport report;
  };

  MusicPlayer(std::vector<std::string> list, int32_t count)
      : names(std::move(list)),
        times(count),
        times_left(count),
        semaphore(CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr)) {}

  ~MusicPlayer() { StopThreads(); }

  void PostEvent(int code, const EndReport& report) {
    {
      std::lock_guard<std::mutex> lock(m);
      events.push_back({code, report});
    }
    ReleaseSemaphore(semaphore.get(), 1, nullptr);
  }

  void StartLocked(bool paused) {
    ++generation;
    pipeline.reset(new Pipeline(names[current], generation, paused,
                                [this](const EndReport& r) { PostEvent(r.code, r); }));
    state = paused ? kPaused : kPlaying;
  }

  void EventLoop() {
    for (;;) {
      WaitForSingleObject(semaphore.get(), INFINITE);
      std::unique_ptr<Pipeline> ended;
      bool finish = false;
      {
        std::lock_guard<std::mutex> lock(m);
        if (events.empty()) continue;
        const Event e = events.front();
        events.pop_front();
        if (e.code == kQuit) return;
        if ((e.code != kEndOfStream && e.code != kEndWithError) ||
            e.report.generation != generation) {
          continue;  // left over from a pipeline that was replaced
        }
        const bool was_paused = state == kPaused;
        ended = std::move(pipeline);
        state = kStopped;
        ++progress.files_ended;
        if (e.report.played) ++progress.files_played;
        progress.bytes_played += e.report.bytes;
        pass_played = pass_played || e.report.played;
        if (notify != nullptr) PostMessageA(notify, kPlayerEndMessage, kPlayerEndParam, 0);
        if (++current == names.size()) {
          current = 0;
          const bool last = times_left == 1;
          if (times_left > 0) --times_left;
          // A list of which nothing could be played would otherwise spin for ever.
          finish = last || !pass_played;
          pass_played = false;
        }
        if (finish) {
          finished = true;
        } else {
          StartLocked(was_paused);
        }
      }
      ended.reset();
      if (finish) return;
    }
  }

  // Ends the event thread and the pipeline; the player is left stopped.
  void StopThreads() {
    std::unique_ptr<Pipeline> old;
    {
      std::lock_guard<std::mutex> lock(m);
      old = std::move(pipeline);
      ++generation;
      state = kStopped;
    }
    if (event_thread.joinable()) {
      PostEvent(kQuit, EndReport{});
      event_thread.join();
    }
    old.reset();
    std::lock_guard<std::mutex> lock(m);
    events.clear();
    while (WaitForSingleObject(semaphore.get(), 0) == WAIT_OBJECT_0) {
    }
  }

  void NewPlay(HWND window) {
    StopThreads();
    std::lock_guard<std::mutex> lock(m);
    notify = window;
    if (finished) {
      // A list that has run its course plays its full count again, not without end.
      finished = false;
      times_left = times;
      current = 0;
    }
    pass_played = false;
    StartLocked(false);
    event_thread = std::thread([this] { EventLoop(); });
  }

  const std::vector<std::string> names;
  const int32_t times;

  std::mutex m;  // everything below
  size_t current = 0;
  int32_t times_left;
  int state = kStopped;
  HWND notify = nullptr;
  std::deque<Event> events;
  UniqueHandle semaphore;
  std::unique_ptr<Pipeline> pipeline;
  uint32_t generation = 0;
  bool finished = false;
  bool pass_played = false;
  PlayerProgress progress;
  std::thread event_thread;
};

namespace {

std::mutex g_registry_m;
std::set<MusicPlayer*>& Players() {
  static std::set<MusicPlayer*> players;
  return players;
}

bool Known(PlayerHandle player) {
  return player != nullptr && Players().count(player) != 0;
}

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

PlayerHandle CreatePlayer(const char* names, int32_t times) {
  if (names == nullptr) return nullptr;
  std::vector<std::string> list;
  for (const char* p = names; *p != '\0'; p += std::strlen(p) + 1) list.emplace_back(p);
  if (list.empty()) return nullptr;
  auto* player = new MusicPlayer(std::move(list), times < 0 ? 0 : times);
  std::lock_guard<std::mutex> lock(g_registry_m);
  Players().insert(player);
  return player;
}

int32_t NewPlay(PlayerHandle player, HWND notify_window, const char*, int32_t) {
  std::lock_guard<std::mutex> lock(g_registry_m);
  if (!Known(player)) return 0;
  player->NewPlay(notify_window);
  return 1;
}

int32_t Play(PlayerHandle player) {
  return NewPlay(player, nullptr, nullptr, 0);
}

void SetPauseState(PlayerHandle player, int32_t pause) {
  std::lock_guard<std::mutex> registry(g_registry_m);
  if (!Known(player)) return;
  std::lock_guard<std::mutex> lock(player->m);
  if (pause != 0 && player->state == MusicPlayer::kPlaying) {
    player->state = MusicPlayer::kPaused;
    if (player->pipeline) player->pipeline->Pause();
  } else if (pause == 0 && player->state == MusicPlayer::kPaused) {
    player->state = MusicPlayer::kPlaying;
    if (player->pipeline) player->pipeline->Resume();
  }
}

int32_t GetPlayState(PlayerHandle player) {
  std::lock_guard<std::mutex> registry(g_registry_m);
  if (!Known(player)) return 0;
  std::lock_guard<std::mutex> lock(player->m);
  switch (player->state) {
    case MusicPlayer::kPlaying:
      return 1;
    case MusicPlayer::kPaused:
      return -1;
    default:
      return 0;
  }
}

PlayerProgress GetPlayerProgress(PlayerHandle player) {
  std::lock_guard<std::mutex> registry(g_registry_m);
  if (!Known(player)) return {};
  std::lock_guard<std::mutex> lock(player->m);
  return player->progress;
}

void RemovePlayer(PlayerHandle player) {
  std::lock_guard<std::mutex> lock(g_registry_m);
  if (!Known(player)) return;
  Players().erase(player);
  delete player;
}

void RemoveAllPlayers() {
  std::lock_guard<std::mutex> lock(g_registry_m);
  for (MusicPlayer* player : Players()) delete player;
  Players().clear();
}

PlayerOperation FindPlayerOperation(const char* name) {
  struct Entry {
    const char* name;
    PlayerOperation op;
  };
  static const Entry kOperations[] = {
      {"CreatePlayer", reinterpret_cast<PlayerOperation>(&CreatePlayer)},
      {"NewPlay", reinterpret_cast<PlayerOperation>(&NewPlay)},
      {"Play", reinterpret_cast<PlayerOperation>(&Play)},
      {"SetPauseState", reinterpret_cast<PlayerOperation>(&SetPauseState)},
      {"GetPlayState", reinterpret_cast<PlayerOperation>(&GetPlayState)},
      {"RemovePlayer", reinterpret_cast<PlayerOperation>(&RemovePlayer)},
  };
  if (name == nullptr) return nullptr;
  for (const Entry& e : kOperations) {
    if (std::strcmp(e.name, name) == 0) return e.op;
  }
  return nullptr;
}

}  // namespace rc
