// The yardstick the benchmark holds the roll-call program against: the same main window
// (617 x 407, the same 31 controls of the same classes in the same places) written straight
// against Win32, with no runtime between.
//
//   bench_reference.exe          the window with the program's running timers doing the same
//                                work per tick: the clock text, the banner read from dede.ini
//                                and moved one pixel, the answer-timer keeper, the tab keeper
//                                and the arrow blinker; 按钮1 starts and stops the name cycle
//                                (one key of the class list per tick), the tab slides the window
//   bench_reference.exe --bare   the window and its controls only (start-up reference)
//
// The driver reads the tick counts of its timers with kQueryTicks (wParam: the timer id).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT kQueryTicks = WM_APP + 1;

enum TimerId : UINT_PTR {
  kCycle = 1,      // 时钟1, 50 ms while cycling
  kClock = 2,      // 时钟2, 1 ms
  kBanner = 3,     // 时钟3, 5 ms
  kCountdown = 4,  // 时钟4, stopped at once by the keeper
  kKeeper = 5,     // 时钟5, 1 ms
  kBlinker = 6,    // 时钟6, 500 ms
  kTab = 7,        // 时钟7, 1 ms
  kWiden = 8,      // 时钟8
  kNarrow = 9,     // 时钟9
  kGuard = 10,     // 时钟_限制快速点击
  kTimerCount = 11,
};

enum ControlId : int {
  kNameFrame = 100,
  kNameLabel = 110,
  kRollButton = 120,
  kBannerStrip = 140,
  kClockStrip = 150,
  kBannerLabel = 170,
  kPanel = 190,
  kCheckButton = 330,
  kNotice = 430,
  kClockLabel = 290,
  kTabButton = 380,
  kRandomLabel = 530,
};

// One control: class, style, text, place in its parent's client area, parent id (0: the
// window). The same tree the program's form data makes.
struct ControlRecord {
  int id;
  const char* cls;
  DWORD style;
  DWORD ex_style;
  const char* text;
  int x, y, w, h;
  int parent;
};

constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
constexpr DWORD kShown = kChild | WS_VISIBLE;
constexpr DWORD kGroup = kChild | BS_GROUPBOX;
constexpr DWORD kPush = kShown | WS_TABSTOP | BS_MULTILINE | BS_CENTER | BS_VCENTER;
constexpr DWORD kRadio = kShown | BS_AUTORADIOBUTTON;

const ControlRecord kControls[] = {
    {540, "BUTTON", kShown | WS_TABSTOP, 0, "皮肤", 546, 340, 31, 30, 0},
    {kTabButton, "BUTTON", kPush, 0, "》》》》》》》》》》", 584, 0, 25, 378, 0},
    {370, "Label", kChild, 0, "XXXX可用XXXX", 128, 32, 88, 32, 0},
    {360, "Label", kChild, 0, "", 24, 112, 88, 32, 0},
    {350, "Label", kChild, 0, "XXXX检查XXXX", 24, 72, 88, 32, 0},
    {340, "Label", kChild, 0, "6.0", 24, 32, 88, 32, 0},
    {kCheckButton, "BUTTON", kPush, 0, "检查更新", 8, 342, 64, 27, 0},
    {kPanel, "BUTTON", kGroup, 0, "计时器", 592, 8, 168, 360, 0},
    {480, "SCROLLBAR", kChild | SBS_VERT, 0, "", 128, 200, 40, 128, kPanel},
    {470, "PicBox", kChild, 0, "", 128, 328, 38, 30, kPanel},
    {450, "PicBox", kShown, 0, "", 128, 328, 38, 30, kPanel},
    {440, "BUTTON", kPush, 0, "倒计时功能（新）", 8, 333, 120, 24, kPanel},
    {310, "TransLabel", kShown, WS_EX_TRANSPARENT, "计时器已关闭！", 8, 40, 152, 32, kPanel},
    {300, "BUTTON", kPush, 0, "计时器开关", 8, 16, 152, 24, kPanel},
    {270, PROGRESS_CLASSA, kShown, WS_EX_STATICEDGE, "", 8, 256, 152, 72, kPanel},
    {250, "BUTTON", kGroup | WS_VISIBLE, 0, "", 8, 136, 152, 112, kPanel},
    {260, "TransLabel", kShown, WS_EX_TRANSPARENT, "60", 8, 16, 136, 96, 250},
    {240, "SplitterBar", kShown, 0, "", 0, 64, 168, 8, kPanel},
    {230, "BUTTON", kRadio, 0, "60秒", 88, 112, 64, 24, kPanel},
    {220, "BUTTON", kRadio, 0, "45秒", 8, 112, 64, 24, kPanel},
    {210, "BUTTON", kRadio, 0, "30秒", 88, 80, 64, 24, kPanel},
    {200, "BUTTON", kRadio, 0, "15秒", 8, 80, 64, 24, kPanel},
    {kClockStrip, "BUTTON", kGroup | WS_VISIBLE, 0, "", 336, 336, 210, 32, 0},
    {kClockLabel, "Label", kShown, 0, "", 2, 8, 205, 20, kClockStrip},
    {kBannerStrip, "BUTTON", kGroup | WS_VISIBLE, 0, "", 80, 336, 248, 32, 0},
    {kBannerLabel, "TransLabel", kShown, WS_EX_TRANSPARENT, "广告", 254, 10, 563, 16, kBannerStrip},
    {kRollButton, "BUTTON", kPush, 0, "轻触开始点名", 8, 168, 568, 168, 0},
    {kNameFrame, "BUTTON", kGroup | WS_VISIBLE, 0, "被点人名", 8, 8, 568, 152, 0},
    {kRandomLabel, "Label", kChild, 0, "-=-", 472, 104, 88, 48, kNameFrame},
    {kNotice, "Label", kChild, 0, "计时器显示/隐藏中", 8, 16, 552, 128, kNameFrame},
    {kNameLabel, "TransLabel", kShown, WS_EX_TRANSPARENT, "→ _ ←", 8, 16, 552, 128, kNameFrame},
};
constexpr int kControlCount = sizeof kControls / sizeof kControls[0];
static_assert(kControlCount == 31, "the program's main window has 31 controls besides timers");

constexpr int kCollapsed = 617;
constexpr int kExpanded = 794;
constexpr int kMaxNames = 50;

// The window's whole state: what the program keeps in unit properties.
struct State {
  HWND window = nullptr;
  HWND controls[kControlCount] = {};
  std::string ini_path;
  std::string clock_text;
  std::string banner_text;
  std::string name_text;
  int banner_left = 254;
  UINT banner_interval = 5;
  UINT countdown_interval = 0;
  bool cycling = false;
  int name_count = 0;
  unsigned seed_addend = 0;
  LONG ticks[kTimerCount] = {};
  HFONT name_font = nullptr;
  HFONT text_font = nullptr;
};
State g;

HWND Control(int id) {
  for (int i = 0; i < kControlCount; ++i) {
    if (kControls[i].id == id) return g.controls[i];
  }
  return nullptr;
}

// Labels keep their font in the window's user data; the window text is the caption.
LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFONT:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      const bool transparent = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
      if (!transparent) FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      char text[256];
      const int n = GetWindowTextA(hwnd, text, sizeof text);
      HGDIOBJ old = SelectObject(dc, HGDIOBJ(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
      SetBkMode(dc, TRANSPARENT);
      DrawTextA(dc, text, n, &client, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

LRESULT CALLBACK FillProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(HDC(wp), &client, GetSysColorBrush(COLOR_BTNSHADOW));
    return 1;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// The date-time text the program's clock shows: trailing zero parts of the time left out.
std::string ClockText() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[96];
  int n = std::snprintf(text, sizeof text, "%d年%d月%d日", t.wYear, t.wMonth, t.wDay);
  const int parts[3] = {t.wHour, t.wMinute, t.wSecond};
  const char* units[3] = {"时", "分", "秒"};
  int last = 2;
  while (last >= 0 && parts[last] == 0) --last;
  for (int i = 0; i <= last && n < int(sizeof text); ++i) {
    n += std::snprintf(text + n, sizeof text - size_t(n), "%d%s", parts[i], units[i]);
  }
  return text;
}

std::string ReadIni(const char* section, const char* key) {
  char value[1024];
  GetPrivateProfileStringA(section, key, "", value, sizeof value, g.ini_path.c_str());
  return value;
}

// A label without background shows what lies behind it: its rectangle in the parent is
// painted again with the label on top, when the window system next paints.
void RepaintBehind(HWND label) {
  RECT r;
  GetWindowRect(label, &r);
  HWND parent = GetParent(label);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SetLabelText(HWND label, std::string* stored, const std::string& text) {
  if (*stored == text) return;
  *stored = text;
  SetWindowTextA(label, text.c_str());
  RepaintBehind(label);
}

int WindowWidth() {
  RECT r;
  GetWindowRect(g.window, &r);
  return r.right - r.left;
}

void OnClockTick() {
  const std::string now = ClockText();
  if (now != g.clock_text) {
    g.clock_text = now;
    SetWindowTextA(Control(kClockLabel), now.c_str());
    InvalidateRect(Control(kClockLabel), nullptr, FALSE);
  }
}

void OnBannerTick() {
  HWND label = Control(kBannerLabel);
  SetLabelText(label, &g.banner_text, ReadIni("广告：", "内容"));
  if (g.banner_text.empty()) {
    g.banner_interval = 15000;
    SetTimer(g.window, kBanner, g.banner_interval, nullptr);
    return;
  }
  RECT old_rect;
  GetWindowRect(label, &old_rect);
  MapWindowPoints(nullptr, GetParent(label), reinterpret_cast<POINT*>(&old_rect), 2);
  g.banner_left = g.banner_left == -420 ? 270 : g.banner_left - 1;
  SetWindowPos(label, nullptr, g.banner_left, old_rect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  RECT new_rect = old_rect;
  OffsetRect(&new_rect, g.banner_left - old_rect.left, 0);
  UnionRect(&new_rect, &new_rect, &old_rect);
  RedrawWindow(GetParent(label), &new_rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void OnKeeperTick() {
  if (g.countdown_interval == 0) return;
  g.countdown_interval = 0;
  KillTimer(g.window, kCountdown);
}

void OnTabTick() {
  SetWindowPos(Control(kTabButton), nullptr, WindowWidth() - 33, 0, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnBlinkerTick() {
  const bool collapsed = WindowWidth() == kCollapsed;
  const char* a = collapsed ? "》》    》》    》》" : "《《    《《    《《";
  const char* b = collapsed ? "》》    》》" : "《《    《《";
  char caption[64];
  GetWindowTextA(Control(kTabButton), caption, sizeof caption);
  SetWindowTextA(Control(kTabButton), std::strcmp(caption, a) == 0 ? b : a);
}

void OnCycleTick() {
  std::srand(GetTickCount() + ++g.seed_addend);
  const int n = 1 + std::rand() % (g.name_count > 0 ? g.name_count : 1);
  char number[16];
  std::snprintf(number, sizeof number, "%d", n);
  SetWindowTextA(Control(kRandomLabel), number);
  HWND label = Control(kNameLabel);
  ShowWindow(label, SW_SHOWNA);
  SetLabelText(label, &g.name_text, ReadIni("全班人名：", number));
}

void OnRollClick() {
  int count = 0;
  while (count < kMaxNames && !ReadIni("全班人名：", std::to_string(count + 1).c_str()).empty()) {
    ++count;
  }
  if (count < 2) return;
  g.name_count = count;
  HWND button = Control(kRollButton);
  g.cycling = !g.cycling;
  if (g.cycling) {
    SetTimer(g.window, kCycle, 50, nullptr);
  } else {
    KillTimer(g.window, kCycle);
    g.countdown_interval = 1000;
    SetTimer(g.window, kCountdown, 1000, nullptr);
  }
  SetWindowTextA(button, g.cycling ? "轻触停止点名" : "轻触开始点名");
  EnableWindow(button, FALSE);
  SetTimer(g.window, kGuard, g.cycling ? 750 : 250, nullptr);
}

void OnTabClick() {
  ShowWindow(Control(kNotice), SW_SHOWNA);
  KillTimer(g.window, kWiden);
  KillTimer(g.window, kNarrow);
  SetTimer(g.window, WindowWidth() == kCollapsed ? kWiden : kNarrow, 1, nullptr);
}

void Resize(int width) {
  SetWindowPos(g.window, nullptr, 0, 0, width, 407, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnSlideTick(bool widen) {
  const int width = WindowWidth();
  if (widen && width < kExpanded) return Resize(width + 2);
  if (!widen && width > kCollapsed) {
    ShowWindow(Control(kPanel), SW_HIDE);
    return Resize(width - 2);
  }
  KillTimer(g.window, widen ? kWiden : kNarrow);
  if (widen) ShowWindow(Control(kPanel), SW_SHOWNA);
  ShowWindow(Control(kNotice), SW_HIDE);
}

void OnTimer(UINT_PTR id) {
  if (id < kTimerCount) InterlockedIncrement(&g.ticks[id]);
  switch (id) {
    case kCycle:
      return OnCycleTick();
    case kClock:
      return OnClockTick();
    case kBanner:
      return OnBannerTick();
    case kCountdown:
      return;
    case kKeeper:
      return OnKeeperTick();
    case kBlinker:
      return OnBlinkerTick();
    case kTab:
      return OnTabTick();
    case kWiden:
    case kNarrow:
      return OnSlideTick(id == kWiden);
    case kGuard:
      KillTimer(g.window, kGuard);
      EnableWindow(Control(kRollButton), TRUE);
      return;
    default:
      return;
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == kRollButton) OnRollClick();
      if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == kTabButton) OnTabClick();
      return 0;
    case kQueryTicks:
      return wp < kTimerCount ? g.ticks[wp] : 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

bool Register(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0;
}

std::string ProgramDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of("\\/"));
}

bool CreateMainWindow(bool with_timers) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  if (!Register("BenchReference", WindowProc) || !Register("Label", LabelProc) ||
      !Register("TransLabel", LabelProc) || !Register("PicBox", FillProc) ||
      !Register("SplitterBar", FillProc)) {
    return false;
  }
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kCollapsed) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - 407) / 2;
  g.window = CreateWindowExA(WS_EX_WINDOWEDGE, "BenchReference", "bench reference",
                             WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y,
                             kCollapsed, 407, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (g.window == nullptr) return false;
  g.name_font = CreateFontA(-56, 0, 0, 0, FW_BOLD, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "SimSun");
  g.text_font = HFONT(GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < kControlCount; ++i) {
    const ControlRecord& c = kControls[i];
    HWND parent = c.parent == 0 ? g.window : Control(c.parent);
    g.controls[i] = CreateWindowExA(c.ex_style, c.cls, c.text, c.style, c.x, c.y, c.w, c.h, parent,
                                    HMENU(INT_PTR(c.id)), GetModuleHandleA(nullptr), nullptr);
    if (g.controls[i] == nullptr) return false;
    SendMessageA(g.controls[i], WM_SETFONT,
                 WPARAM(c.id == kNameLabel || c.id == kNotice ? g.name_font : g.text_font), 0);
  }
  SendMessageA(Control(230), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(Control(270), PBM_SETRANGE32, 0, 60);
  g.banner_text = "广告";
  if (with_timers) {
    g.ini_path = ProgramDir() + "\\dede.ini";
    SetTimer(g.window, kClock, 1, nullptr);
    SetTimer(g.window, kBanner, g.banner_interval, nullptr);
    SetTimer(g.window, kKeeper, 1, nullptr);
    SetTimer(g.window, kBlinker, 500, nullptr);
    SetTimer(g.window, kTab, 1, nullptr);
  }
  ShowWindow(g.window, SW_SHOW);
  UpdateWindow(g.window);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  const bool bare = std::strstr(command_line, "--bare") != nullptr;
  if (!CreateMainWindow(!bare)) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (g.name_font != nullptr) DeleteObject(g.name_font);
  return 0;
}
