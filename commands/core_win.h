// What the Windows-side core commands offer beyond the commands themselves.
#pragma once

#include "library_commands/music_player.h"

namespace rc {

// The player PlayMusic made last and has not removed since, or null.
PlayerHandle CurrentMusicPlayer();

}  // namespace rc
