// The pipeline of one file.
//
// Every waveOut call of a pipeline is made on its output thread, pause and resume included (they
// are handed over through a flag and the wake event). Wine's PulseAudio driver was seen to crash
// now and then when one thread paused a device that another was writing to and resetting. The
// waveOut callback only takes the ring lock, which is never held across a waveOut call: winmm
// calls back from the thread that also carries out the caller's waveOut requests.
#include "library_commands/music_pipeline.h"

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "base/kernel_handle.h"
#include "library_commands/music_decoder.h"

namespace rc {

namespace {

constexpr size_t kReadPiece = 8192;
constexpr size_t kQueuedPieces = 16;
constexpr size_t kPoolBlocks = 8;
constexpr DWORD kDeviceStallMs = 5000;

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

class FilePipeline final : public Pipeline {
 public:
  FilePipeline(std::string file, uint32_t generation, bool paused, EndFn on_end)
      : file_(std::move(file)),
        generation_(generation),
        on_end_(std::move(on_end)),
        paused_(paused),
        wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    reader_ = std::thread([this] { ReaderThread(); });
    output_ = std::thread([this] { OutputThread(); });
  }

  ~FilePipeline() override {
    stop_ = true;
    queue_.Cancel();
    SetEvent(wake_.get());
    output_.join();
    reader_.join();
  }

  void Pause() override {
    paused_ = true;
    SetEvent(wake_.get());
  }
  void Resume() override {
    paused_ = false;
    SetEvent(wake_.get());
  }

 private:
  void ReaderThread() {
    KernelHandle file(CreateFileA(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.ok()) {
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
    auto* self = reinterpret_cast<FilePipeline*>(instance);
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

  KernelHandle wake_;
  std::thread reader_;
  std::thread output_;
};

}  // namespace

std::unique_ptr<Pipeline> Pipeline::Start(std::string file, uint32_t generation, bool paused,
                                          EndFn on_end) {
  return std::make_unique<FilePipeline>(std::move(file), generation, paused, std::move(on_end));
}

}  // namespace rc
