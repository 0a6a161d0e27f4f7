// The skin library image and the skins as the program carries them: stored byte blocks
// ({32-bit 1, 32-bit length n, n bytes}, see base/values.h) in the read-only data.
// The sources come from rollcall_skin_blocks() (cmake/SkinBlocks.cmake).
#pragma once

#include <cstdint>

namespace app {

// SkinH_EL.dll, 88576 bytes.
extern const uint8_t kSkinLibraryImage[];
// Skin n (1..33) at [n - 1].
extern const uint8_t* const kSkinBlocks[33];

}  // namespace app
