// Skins: the program carries the skin library and 33 skins; the library is written beside the
// program when it is missing, and every skin change hands a fresh copy of one skin to it.
#include "app/app.h"
#include "skin/skin_blocks.h"

namespace app {
namespace {

using namespace main_window;

constexpr uint32_t kAttachSkin = 0;  // the DLL command SkinH_AttachRes
constexpr int kHidden = 2;
constexpr int kSkinCount = 33;

// Puts the library into `dir` whole or not at all: written under a temporary name and renamed
// into place, so that a write cut short (a full stick) leaves no library that this and every
// later start would load and fail on. True when a library lies there afterwards; one that
// appeared meanwhile (another start) is kept as it is.
bool PlaceLibrary(const std::string& dir, const Bytes& image, int attributes) {
  const std::string path = dir + "\\SkinH_EL.dll";
  const std::string temporary = path + ".tmp";
  if (WriteBytesToFile(temporary, image)) {
    if (attributes != 0) SetFileAttr(temporary, attributes);
    if (RenameFile(temporary, path)) return true;
  }
  RemoveFile(temporary);
  return FileExists(path);
}

}  // namespace

// The library is written beside the program, hidden, when it is missing there. Schools put
// programs where they cannot be written (Program Files without administrator rights, a
// write-protected stick, a read-only share, a full stick): then it goes to the user's own
// library folder, which the DLL command lookup searches next, instead of every start ending
// in an error.
void EnsureSkinLibrary() {
  const std::string dir = GetProgramDir();
  if (FileExists(dir + "\\SkinH_EL.dll")) return;
  const Bytes image = CopyBlock(kSkinLibraryImage);
  if (PlaceLibrary(dir, image, kHidden)) return;
  const std::string user_dir = GetUserLibraryDir();
  if (user_dir.empty() || FileExists(user_dir + "\\SkinH_EL.dll")) return;
  PlaceLibrary(user_dir, image, 0);
}

void ApplySkin(int n) {
  EnsureSkinLibrary();
  const Bytes skin = n >= 1 && n <= kSkinCount ? CopyBlock(kSkinBlocks[n - 1]) : Bytes();
  const int length = BytesLength(skin);
  const char* const no_text = "";
  CallDllCommand(kAttachSkin, {uint32_t(reinterpret_cast<uintptr_t>(skin.data())), uint32_t(length),
                               uint32_t(reinterpret_cast<uintptr_t>(no_text)), 0, 0, 0});
}

void OnSkinButtonClick(Event&) {
  ApplySkin(RandomInt(1, kSkinCount));
}

}  // namespace app
