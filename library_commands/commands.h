// Commands of the internet, application-interface and multimedia support libraries, called
// through CallLibraryCommand with the usual (result, argc, args) shape, and the mixer object
// behind the SysVolume unit type. Windows only.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <string>

#include "base/values.h"

namespace rc {

// Internet library (3). FetchWebPage(address: text) -> byte block: everything read, the HTTP
// status not looked at; empty when nothing could be read. Blocks the calling thread.
void FetchWebPage(ResultRecord* result, int argc, ArgRecord* args);
// FetchWebPageWithStatus(address: text, status: address of a 32-bit integer) -> byte block: as
// FetchWebPage, and the HTTP status of the answer read (after redirections) is stored at the
// second argument; 0 when no answer came by the deadline.
void FetchWebPageWithStatus(ResultRecord* result, int argc, ArgRecord* args);

// Application-interface library (4). OpenWebPage([address: text]): hands the address (without
// one, kDefaultWebAddress) to the user's browser; reports nothing.
void OpenWebPage(ResultRecord* result, int argc, ArgRecord* args);

// The address OpenWebPage opens when it is called without one.
extern const char kDefaultWebAddress[];

// A dead or silent server must not freeze the user interface for minutes: connect, send and
// receive each give up after this long.
constexpr DWORD kWebTimeoutMs = 5000;
// A server must not be able to exhaust memory: reading stops here, keeping what was read.
constexpr size_t kWebReadCap = 16u << 20;
// Nor hold the window by trickling its answer, each piece within the timeouts: the whole fetch
// ends after this long, keeping what was read.
constexpr DWORD kWebDeadlineMs = 15000;
// Redirections followed by one fetch; the answer after the last one is the result.
constexpr int kWebMaxRedirects = 10;

// Servers map request paths to file names as browsers send them: bytes outside printable ASCII
// are percent-encoded as UTF-8. WinINet would send the program's GBK bytes raw. Bytes that are
// not valid GBK are encoded as they stand; printable ASCII (an existing %XX among it) is kept.
std::string EscapeRequestPath(const std::string& gbk_path);

// Multimedia library (5): the mixer access of a SysVolume unit. A hidden window receives the
// mixer notifications; the volume and the mute control of one mixer line are held open, each
// with its own mixer handle, until the next OpenVolumeLine or the object's destruction.
class SysVolumeObject {
 public:
  // Line kinds (mixer component types) OpenVolumeLine knows.
  enum : DWORD {
    kSpeakers = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,  // 4
    kWaveOut = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,    // 4104
  };

  struct Control {
    HMIXER mixer = nullptr;
    DWORD id = 0;
    DWORD channels = 0;  // volume control only: the line's channel count
    std::string name;
    DWORD minimum = 0, maximum = 0;  // volume control only
    bool open() const { return mixer != nullptr; }
  };

  // The notification window is a hidden child of parent, or a message-only window without one.
  explicit SysVolumeObject(HWND parent = nullptr);
  ~SysVolumeObject();
  SysVolumeObject(const SysVolumeObject&) = delete;
  SysVolumeObject& operator=(const SysVolumeObject&) = delete;

  HWND window() const { return window_; }
  const Control& volume() const { return volume_; }
  const Control& mute() const { return mute_; }

  // 1 both controls opened, 0 neither, -2 only the volume control, -1 only the mute control.
  int OpenVolumeLine(int32_t kind);
  // One value per channel from {left, right}, in that order, each brought into the control's
  // range as the mixer reports it. 1 when the mixer took them, else 0 (also when no volume
  // control is open).
  int SetVolume(int32_t left, int32_t right);
  void CloseControls();

 private:
  // Opens one control of type `type` on the line of component type `kind`, or on its source
  // line of component type `source` when that is not 0.
  bool OpenControl(Control* control, DWORD kind, DWORD source, DWORD type, bool with_range);
  int OpenBoth(DWORD kind, DWORD source);

  HWND window_ = nullptr;
  Control volume_;
  Control mute_;
};

// The form runtime tells the commands how to find the SysVolume unit object of a unit
// reference (window id, unit id); null when it names none.
using SysVolumeLookup = SysVolumeObject* (*)(uint32_t window_id, uint32_t unit_id);
void SetSysVolumeLookup(SysVolumeLookup lookup);

// OpenVolumeLine(unit: SysVolume reference, kind: integer) -> integer (as the method above).
void OpenVolumeLine(ResultRecord* result, int argc, ArgRecord* args);
// SetVolume(unit: SysVolume reference, left: integer, right: integer) -> integer.
void SetVolume(ResultRecord* result, int argc, ArgRecord* args);

// Program end: closes the internet handle. Registered at static initialisation and run by the
// runtime's shutdown (base/library_shutdown.h).
void ShutdownLibraryCommands();

}  // namespace rc
