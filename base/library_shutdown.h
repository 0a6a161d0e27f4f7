// The library commands that keep state for the whole program (the internet session, the music
// players) say here how it is let go, and the runtime's shutdown runs it. A registration rather
// than a call: a program that does not use those commands must not link them, nor the system
// DLLs they import.
#pragma once

namespace rc {

using LibraryCommandsShutdown = void (*)();

// Called at static initialisation by each file that keeps such state. Four registrations at
// most; one more is ignored.
void AddLibraryCommandsShutdown(LibraryCommandsShutdown shutdown);

// Runs every registration, in the order they were made.
void RunLibraryCommandsShutdown();

}  // namespace rc
