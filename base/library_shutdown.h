// The library commands that keep state for the whole program (the internet session, the music
// players) say here how it is let go, and the runtime's library shutdown calls it. A
// registration rather than a call: a program that does not use those commands must not link
// them, nor the system DLLs they import.
#pragma once

namespace rc {

using LibraryCommandsShutdown = void (*)();

// Called at static initialisation by the file that keeps the state; null empties the slot.
void SetLibraryCommandsShutdown(LibraryCommandsShutdown shutdown);

// Runs what was registered, if anything.
void RunLibraryCommandsShutdown();

}  // namespace rc
