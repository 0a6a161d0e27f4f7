// The message loop and its idle work. Mode 0 is the main loop, mode 1 the nested loop of a
// modal window, which returns when the modal window id becomes 0.
#pragma once

#include <windows.h>

#include "runtime/library.h"  // IdleTask

namespace rc {

enum class LoopMode { kMain = 0, kModal = 1 };
void RunLoop(LoopMode mode);
// Entry point 11: the main loop, when a window is open.
void RunMessageLoop();
// The loop's step before a message is translated and dispatched: true when it was consumed.
bool PreTranslateMessage(MSG* msg);
// Idle handler of the loop: true while more idle time is wanted.
bool OnIdle(long count);
void RunIdleTasks();
bool AddIdleTask(const IdleTask& task);
void RemoveIdleTask(HWND hwnd);

}  // namespace rc
