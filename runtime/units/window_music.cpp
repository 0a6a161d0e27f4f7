#include "runtime/units/window_music.h"

#include <mmsystem.h>

#include <cstring>

#include "library_commands/audio_format.h"

namespace rc {

namespace {

bool IsWave(const forms::Bytes& b) {
  return b.size() > 12 && std::memcmp(b.data(), "RIFF", 4) == 0 &&
         std::memcmp(b.data() + 8, "WAVE", 4) == 0;
}
bool IsMidi(const forms::Bytes& b) {
  if (b.size() > 14 && std::memcmp(b.data(), "MThd", 4) == 0) return true;
  return b.size() > 12 && std::memcmp(b.data(), "RIFF", 4) == 0 &&
         std::memcmp(b.data() + 8, "RMID", 4) == 0;
}

// The window that plays wave music now. Wave sounds of the process share one output: a window
// stops only the sound it started itself.
const void* g_wave_owner = nullptr;

}  // namespace

void WindowMusic::Start(HWND owner, const forms::Bytes& bytes, int play_count) {
  Stop();
  if (play_count == 2 || bytes.empty()) return;
  loop_ = play_count == 0;
  if (IsWave(bytes)) {
    // The system's player reads a wave from memory as far as its header says: a file cut
    // short made it read past the bytes and brought the program down.
    const uint8_t* wave = bytes.data();
    switch (audio::MakePlayableWave(bytes.data(), bytes.size(), &rewritten_)) {
      case audio::WaveCheck::kRefused:
        return;
      case audio::WaveCheck::kRewritten:
        wave = rewritten_.data();
        break;
      case audio::WaveCheck::kAsIs:
        break;
    }
    DWORD flags = SND_MEMORY | SND_ASYNC | SND_NODEFAULT | (loop_ ? SND_LOOP : 0);
    if (PlaySoundW(reinterpret_cast<LPCWSTR>(wave), nullptr, flags)) g_wave_owner = this;
  } else if (IsMidi(bytes)) {
    StartMidi(owner, bytes);
  }
}

void WindowMusic::Stop() {
  if (g_wave_owner == this) {
    PlaySoundW(nullptr, nullptr, 0);
    g_wave_owner = nullptr;
  }
  rewritten_ = {};
  if (!alias_.empty()) {
    mciSendStringW((L"close " + alias_).c_str(), nullptr, 0, nullptr);
    alias_.clear();
  }
  if (!file_.empty()) {
    DeleteFileW(file_.c_str());
    file_.clear();
  }
}

void WindowMusic::OnNotify(HWND owner, WPARAM wp) {
  if (wp == MCI_NOTIFY_SUCCESSFUL && loop_ && !alias_.empty()) Play(owner);
}

void WindowMusic::StartMidi(HWND owner, const forms::Bytes& bytes) {
  wchar_t dir[MAX_PATH];
  wchar_t path[MAX_PATH];
  if (GetTempPathW(MAX_PATH, dir) == 0 || GetTempFileNameW(dir, L"rcm", 0, path) == 0) return;
  file_ = path;
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  bool ok =
      WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(f);
  if (!ok) return;
  std::wstring alias = L"rcmusic" + std::to_wstring(reinterpret_cast<uintptr_t>(this));
  std::wstring open = L"open \"" + file_ + L"\" type sequencer alias " + alias;
  if (mciSendStringW(open.c_str(), nullptr, 0, nullptr) != 0) return;
  alias_ = alias;
  Play(owner);
}

void WindowMusic::Play(HWND owner) {
  mciSendStringW((L"play " + alias_ + L" from 0 notify").c_str(), nullptr, 0, owner);
}

}  // namespace rc
