// The message box command, answered from a second thread the way a user would answer it.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "base/text_w.h"
#include "commands/core_commands.h"
#include "tests/core/command_call.h"
#include "tests/win/core_test_util.h"

namespace rc {
namespace {

using test::Call;
using test::TextValue;

constexpr ArgRecord kOmitted{0, 0, 0};
constexpr int kCloseBox = 0;  // answer by closing the box instead of pressing a button

std::atomic<int> g_ticks{0};
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
  ++g_ticks;
}

struct BoxSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<BoxSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (pid == s->pid && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindOwnMessageBox() {
  BoxSearch search{GetCurrentProcessId(), nullptr};
  EnumWindows(&MatchBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Text(HWND hwnd) {
  wchar_t buf[512] = {};
  GetWindowTextW(hwnd, buf, 512);
  return Gbk(buf);
}

// What the answering thread saw of the box.
struct Seen {
  bool box = false;
  std::string caption;
  std::string text;
  int ticks_before_answer = 0;
  bool other_window_enabled = true;
  bool topmost = false;
};

// Waits on a thread of its own for the box, looks at it and answers it with `button`, after
// `min_ticks` timer ticks have been counted while it was open.
class Answerer {
 public:
  Answerer(int button, int min_ticks = 0, HWND other = nullptr)
      : thread_([=] { Run(button, min_ticks, other); }) {}
  ~Answerer() {
    if (thread_.joinable()) thread_.join();
  }
  const Seen& Join() {
    thread_.join();
    return seen_;
  }

 private:
  void Run(int button, int min_ticks, HWND other) {
    HWND box = nullptr;
    for (int i = 0; i < 1000 && box == nullptr; ++i) {
      box = FindOwnMessageBox();
      if (box == nullptr) Sleep(5);
    }
    if (box == nullptr) return;
    seen_.box = true;
    seen_.caption = Text(box);
    seen_.text = Text(GetDlgItem(box, 0xFFFF));
    seen_.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (other != nullptr) seen_.other_window_enabled = IsWindowEnabled(other) != FALSE;
    const int start = g_ticks;
    for (int i = 0; i < 500 && g_ticks - start < min_ticks; ++i) Sleep(10);
    seen_.ticks_before_answer = g_ticks - start;
    if (button == kCloseBox) {
      PostMessageW(box, WM_CLOSE, 0, 0);
    } else {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    }
  }

  Seen seen_;
  std::thread thread_;
};

int Ask(int style, int button) {
  Answerer answer(button);
  return SlotInt(Call(MsgBox, {TextValue("问题"), IntValue(style)}));
}

TEST(CoreMsgBox, ButtonsAnswerFromZeroToSix) {
  struct Case {
    int style;
    int button;
    int result;
  } cases[] = {
      {MB_YESNO, IDYES, 5},
      {MB_YESNO, IDNO, 6},
      {MB_OK, IDOK, 0},
      {MB_OK, kCloseBox, 0},
      {MB_ICONEXCLAMATION, IDOK, 0},
      {MB_ICONINFORMATION, kCloseBox, 0},
      {MB_OKCANCEL, IDCANCEL, 1},
      {MB_ABORTRETRYIGNORE, IDABORT, 2},
      {MB_RETRYCANCEL, IDRETRY, 3},
      {MB_ABORTRETRYIGNORE, IDIGNORE, 4},
      {MB_YESNOCANCEL, kCloseBox, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ask(c.style, c.button), c.result) << "style " << c.style << ", button " << c.button;
  }
}

TEST(CoreMsgBox, MessageAndTitleAsShown) {
  const ArgRecord day = DoubleValue(42601.0 + 8.0 / 24, kTagDateTime);  // 2016-08-19 08:00
  const std::string long_text(300, 'a');
  HeapBlock block = test::MakeByteBlock("abc");
  struct Case {
    ArgRecord message;
    ArgRecord title;
    const char* caption;
    std::string text;
  } cases[] = {
      {TextValue("你好"), kOmitted, "信息：", "你好"},
      {TextValue("你好"), TextValue("外部数据缺失！"), "外部数据缺失！", "你好"},
      {TextValue(long_text), PointerValue(nullptr, kTagText), "", long_text},
      {PointerValue(nullptr, kTagText), kOmitted, "信息：", ""},
      {DoubleValue(15.0), kOmitted, "信息：", "15"},
      {IntValue(-7), kOmitted, "信息：", "-7"},
      {BoolValue(true), kOmitted, "信息：", "真"},
      {day, kOmitted, "信息：", "2016年8月19日8时"},
      {PointerValue(block.get(), kTagBytes), kOmitted, "信息：", ""},
  };
  for (const Case& c : cases) {
    Answerer answer(IDOK);
    Call(MsgBox, {c.message, IntValue(0), c.title});
    const Seen& seen = answer.Join();
    ASSERT_TRUE(seen.box);
    EXPECT_EQ(seen.caption, c.caption);
    EXPECT_EQ(seen.text, c.text) << "a text is shown as it is, numbers as ToText gives them";
  }
}

TEST(CoreMsgBox, TimersKeepTickingWhileTheBoxIsOpen) {
  g_ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 10, &CountTick);
  ASSERT_NE(timer, 0u);
  Answerer answer(IDOK, 3);
  Call(MsgBox, {TextValue("计时"), IntValue(MB_ICONINFORMATION)});
  const Seen& seen = answer.Join();
  KillTimer(nullptr, timer);
  ASSERT_TRUE(seen.box);
  EXPECT_GE(seen.ticks_before_answer, 3) << "the box's own loop must dispatch timer messages";
}

TEST(CoreMsgBox, TaskModalUnlessSystemModalIsAsked) {
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                               100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  {
    Answerer answer(IDOK, 0, other);
    Call(MsgBox, {TextValue("任务"), IntValue(0)});
    EXPECT_FALSE(answer.Join().other_window_enabled)
        << "a box without owner disables the program's windows (task-modal)";
  }
  EXPECT_TRUE(IsWindowEnabled(other)) << "and enables them again";
  {
    Answerer answer(IDOK, 0, other);
    Call(MsgBox, {TextValue("系统"), IntValue(MB_SYSTEMMODAL)});
    const Seen& seen = answer.Join();
    EXPECT_TRUE(seen.other_window_enabled) << "system-modal is not made task-modal as well";
    EXPECT_TRUE(seen.topmost) << "a system-modal box stays on top";
  }
  DestroyWindow(other);
}

}  // namespace
}  // namespace rc
