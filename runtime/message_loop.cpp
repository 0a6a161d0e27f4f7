// The message loop: an idle phase (idle tasks, the idle handler, the idle event of the windows)
// while no message waits, and a pump phase while messages wait. Mode 1 is the nested loop of a
// modal window and returns as soon as the modal window id becomes 0.
#include "runtime/message_loop.h"

#include <algorithm>

#include "runtime/events.h"
#include "runtime/state.h"
#include "runtime/unit_registry.h"

namespace rc {

namespace {

// The system's own timer message (the caret's blink), which no program sees in its handlers.
constexpr UINT kSystemTimerMessage = 0x0118;

// Messages after which idle work is not due again: paints, the caret blink timer and mouse
// moves that did not move.
bool StartsIdle(const MSG& msg) {
  static POINT last_pos = {-1, -1};
  static UINT last_msg = 0;
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    if (msg.message == last_msg && msg.pt.x == last_pos.x && msg.pt.y == last_pos.y) return false;
    last_pos = msg.pt;
    last_msg = msg.message;
    return true;
  }
  return msg.message != WM_PAINT && msg.message != kSystemTimerMessage;
}

}  // namespace

// Gives the loaded window that the message goes to (or that contains its target) a chance to
// take the message before it is dispatched: the window type's pre-translation, which offers
// it to the target unit's type and raises the unit's mouse, key and character events.
bool PreTranslateMessage(MSG* msg) {
  if (msg->hwnd == nullptr) return false;
  UnitObject* window = LoadedWindowOf(GetAncestor(msg->hwnd, GA_ROOT));
  if (window == nullptr) return false;
  const forms::WindowDefinition* def = FindWindowDefinition(window->window_id());
  if (def == nullptr) return false;
  auto pre =
      reinterpret_cast<PreTranslateOp>(UnitOperation(def->units().type_code(0), kOpPreTranslate));
  return pre != nullptr && pre(window, msg) != 0;
}

namespace {

// One message dispatched, unless the window type takes it first.
void Dispatch(MSG* msg) {
  if (!PreTranslateMessage(msg)) {
    TranslateMessage(msg);
    DispatchMessageW(msg);
  }
}

std::vector<IdleTask>::iterator FindIdleTask(Runtime& rt, HWND hwnd) {
  return std::find_if(rt.idle_tasks.begin(), rt.idle_tasks.end(),
                      [hwnd](const IdleTask& task) { return task.hwnd == hwnd; });
}

}  // namespace

void RunIdleTasks() {
  Runtime& rt = TheRuntime();
  for (size_t i = rt.idle_tasks.size(); i-- > 0;) {
    if (i >= rt.idle_tasks.size()) continue;  // a task removed others
    const IdleTask task = rt.idle_tasks[i];
    if (IsWindow(task.hwnd)) {
      task.callback(task.arg);
    } else {
      rt.idle_tasks.erase(rt.idle_tasks.begin() + ptrdiff_t(i));
    }
  }
}

bool AddIdleTask(const IdleTask& task) {
  Runtime& rt = TheRuntime();
  if (task.callback == nullptr || !IsWindow(task.hwnd)) return false;
  if (FindIdleTask(rt, task.hwnd) != rt.idle_tasks.end()) return false;
  rt.idle_tasks.push_back(task);
  return true;
}

void RemoveIdleTask(HWND hwnd) {
  Runtime& rt = TheRuntime();
  auto it = FindIdleTask(rt, hwnd);
  if (it != rt.idle_tasks.end()) rt.idle_tasks.erase(it);
}

bool OnIdle(long count) {
  Runtime& rt = TheRuntime();
  if (count == 0) {
    rt.idle_start = GetTickCount();
    rt.no_idle_windows.clear();
  }
  if (count < 2) return true;
  uint32_t elapsed = GetTickCount() - rt.idle_start;
  bool more = false;
  for (uint32_t id : LiveWindowIds()) {
    auto& skip = rt.no_idle_windows;
    if (std::find(skip.begin(), skip.end(), id) != skip.end()) continue;
    // A handler of an earlier window may have replaced the window list.
    const forms::WindowDefinition* def = FindWindowDefinition(id);
    if (def == nullptr || def->units().count() == 0) continue;
    EventRecord record{id, def->units().id(0), kEventWindowIdle, 1, {elapsed}, 0, 0};
    bool ran = RaiseEvent(&record);
    if (ran && record.result_flag != 0 && record.result != 0) {
      more = true;
    } else {
      skip.push_back(id);
    }
  }
  return more;
}

// Messages are taken with PM_REMOVE straight away: looking at the queue first and taking the
// message after is two round trips to the window server under Wine for each of the hundreds of
// timer messages a second the program gets. For the same reason the look that found the queue
// empty after a message is the one the idle work starts on.
void RunLoop(LoopMode mode) {
  Runtime& rt = TheRuntime();
  bool idle = true;
  long idle_count = 0;
  MSG msg;
  bool taken = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
  for (;;) {
    while (!taken && idle) {
      // The first idle rounds do nothing but the idle tasks: without any, there is nothing for
      // a message to interrupt between them, and no need to look at the queue again.
      do {
        RunIdleTasks();
        if (!OnIdle(idle_count++)) idle = false;
        if (mode == LoopMode::kModal && rt.modal_window_id == 0) return;
      } while (idle && idle_count <= 2 && rt.idle_tasks.empty());
      if (idle) taken = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
    }
    if (!taken && GetMessageW(&msg, nullptr, 0, 0) == -1) return;
    do {
      if (msg.message == WM_QUIT) {
        // WM_QUIT belongs to the main loop: a nested loop leaves it for that one.
        if (mode == LoopMode::kModal) PostQuitMessage(int(msg.wParam));
        return;
      }
      Dispatch(&msg);
      if (mode == LoopMode::kModal && rt.modal_window_id == 0) return;
      if (StartsIdle(msg)) {
        idle = true;
        idle_count = 0;
      }
    } while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    taken = false;
  }
}

void RunMessageLoop() {
  Runtime& rt = TheRuntime();
  rt.loop_started = true;
  if (!AnyLiveWindow()) return;
  RunLoop(LoopMode::kMain);
}

}  // namespace rc
