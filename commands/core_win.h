// What the Windows-side core commands offer the runtime beyond the commands themselves.
#pragma once

#include "runtime/command_host.h"

namespace rc {

// The music player as the runtime's component in kMusicPlayerSlot: its operations by name, and
// the removal of every player at shutdown. Registered when the music commands are linked in.
const ComponentService* MusicPlayerComponent();

}  // namespace rc
