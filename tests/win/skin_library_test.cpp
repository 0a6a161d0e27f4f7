// The skin library as the program uses it: loaded from beside the program, called with skins
// of the shipped set, it dresses a window of every control kind the program has, and message
// boxes made later; an empty or broken skin gives the plain look back; many changes leak
// nothing (tests/programs/skin_soak). Pixels are read back from the windows' own surfaces.
//
// With ROLLCALL_SKIN_SHOTS set to a folder, a picture of the test window is saved there for
// every skin shown (skin-NN.bmp, plain.bmp), to look at.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/skin_format.h"
#include "tests/source_root.h"

namespace {

using AttachFn = int(WINAPI*)(const uint8_t*, int, const char*, int, int, int);

std::string SkinDir() {
  return rc::test::SourcePath("skin/skins") + "\\";
}

std::vector<uint8_t> SkinBytes(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%02d.she", number);
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen((SkinDir() + name).c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
    std::fclose(f);
  }
  return bytes;
}

COLORREF Role(const skin::SkinInfo& info, skin::SkinColour role) {
  const uint32_t c = info.colours[role];
  return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

// Each channel of `c` lies between those of a and b, give or take `slack`.
testing::AssertionResult Between(COLORREF c, COLORREF a, COLORREF b, int slack) {
  const int cs[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
  const int as[3] = {GetRValue(a), GetGValue(a), GetBValue(a)};
  const int bs[3] = {GetRValue(b), GetGValue(b), GetBValue(b)};
  for (int i = 0; i < 3; ++i) {
    const int lo = (as[i] < bs[i] ? as[i] : bs[i]) - slack;
    const int hi = (as[i] > bs[i] ? as[i] : bs[i]) + slack;
    if (cs[i] < lo || cs[i] > hi) {
      char text[96];
      std::snprintf(text, sizeof text, "%06lx is not between %06lx and %06lx", c, a, b);
      return testing::AssertionFailure() << text;
    }
  }
  return testing::AssertionSuccess();
}

// Read through the import each time: the compiler may keep an import's address in a register.
__attribute__((noinline)) COLORREF SystemFace() {
  return GetSysColor(COLOR_BTNFACE);
}

void Pump(DWORD ms = 0) {
  const DWORD until = GetTickCount() + ms;
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (ms) Sleep(5);
  } while (ms && int(until - GetTickCount()) > 0);
}

COLORREF PixelOf(HWND hwnd, int x, int y, bool whole_window = false) {
  HDC dc = whole_window ? GetWindowDC(hwnd) : GetDC(hwnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return c;
}

void SaveShot(HWND hwnd, const std::string& name) {
  const char* dir = std::getenv("ROLLCALL_SKIN_SHOTS");
  if (!dir || !*dir) return;
  RECT r;
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC src = GetDCEx(hwnd, nullptr, DCX_WINDOW | DCX_CACHE);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(src);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, src, 0, 0, SRCCOPY);
  GdiFlush();
  const int stride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof fh + sizeof bi.bmiHeader + stride * h), 0, 0,
                         DWORD(sizeof fh + sizeof bi.bmiHeader)};
  if (FILE* f = std::fopen((std::string(dir) + "\\" + name + ".bmp").c_str(), "wb")) {
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    std::fwrite(bits, size_t(stride) * h, 1, f);
    std::fclose(f);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
  ReleaseDC(hwnd, src);
}

class SkinLibrary : public testing::Test {
 protected:
  static constexpr int kWidth = 440, kHeight = 330;

  void SetUp() override {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll(path, n);
    dll.erase(dll.find_last_of(L"\\/") + 1);
    dll += L"SkinH_EL.dll";
    module_ = LoadLibraryW(dll.c_str());
    ASSERT_NE(module_, nullptr) << "SkinH_EL.dll is not beside the test program";
    attach_ = reinterpret_cast<AttachFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "SkinH_AttachRes")));
    ASSERT_NE(attach_, nullptr) << "the export has its bare name";

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"SkinLibraryTestWindow";
    RegisterClassW(&wc);
    top_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"皮肤测试 Skin test",
                           WS_OVERLAPPEDWINDOW & ~WS_THICKFRAME, 60, 60, kWidth, kHeight, nullptr,
                           nullptr, wc.hInstance, nullptr);
    ASSERT_NE(top_, nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                     int h, DWORD ex = 0) {
      HWND c = CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, top_,
                               nullptr, wc.hInstance, nullptr);
      SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      return c;
    };
    button_ = child(L"BUTTON", L"开始点名", BS_PUSHBUTTON | WS_TABSTOP, 20, 20, 120, 36);
    child(L"BUTTON", L"停止", BS_DEFPUSHBUTTON | WS_TABSTOP, 150, 20, 90, 36);
    disabled_ = child(L"BUTTON", L"暂停", BS_PUSHBUTTON, 250, 20, 80, 36);
    EnableWindow(disabled_, FALSE);
    child(L"BUTTON", L"分组 Group", BS_GROUPBOX, 20, 70, 220, 96);
    radio_ = child(L"BUTTON", L"男生", BS_AUTORADIOBUTTON, 34, 94, 90, 22);
    child(L"BUTTON", L"女生", BS_AUTORADIOBUTTON, 34, 124, 90, 22);
    SendMessageW(radio_, BM_SETCHECK, BST_CHECKED, 0);
    child(L"BUTTON", L"计时", BS_AUTOCHECKBOX, 130, 94, 90, 22);
    edit_ = child(L"EDIT", L"30", ES_NUMBER | WS_TABSTOP, 20, 180, 100, 26, WS_EX_CLIENTEDGE);
    updown_ =
        CreateWindowExW(0, UPDOWN_CLASSW, L"",
                        WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS, 0,
                        0, 0, 0, top_, nullptr, wc.hInstance, nullptr);
    SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
    SendMessageW(updown_, UDM_SETRANGE32, 0, 99);
    scroll_ = child(L"SCROLLBAR", L"", SBS_VERT, 390, 20, 18, 200);
    SCROLLINFO si = {sizeof si, SIF_ALL, 0, 100, 20, 30, 0};
    SetScrollInfo(scroll_, SB_CTL, &si, TRUE);
    progress_ = child(PROGRESS_CLASSW, L"", PBS_SMOOTH, 20, 220, 340, 22, WS_EX_CLIENTEDGE);
    SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
    SendMessageW(progress_, PBM_SETPOS, 60, 0);
    ShowWindow(top_, SW_SHOW);
    SetForegroundWindow(top_);
    UpdateWindow(top_);
    Pump(100);
  }

  void TearDown() override {
    if (attach_) attach_(nullptr, 0, "", 0, 0, 0);
    if (top_) DestroyWindow(top_);
    Pump();
    if (module_) FreeLibrary(module_);
  }

  // Applies skin `number` (0: the empty skin) as the program does: a copy, freed at once.
  skin::SkinInfo Apply(int number) {
    skin::SkinInfo info = {};
    if (number == 0) {
      attach_(nullptr, 0, "", 0, 0, 0);
    } else {
      std::vector<uint8_t> bytes = SkinBytes(number);
      EXPECT_EQ(skin::ReadSkin(bytes.data(), uint32_t(bytes.size()), &info), skin::kSkinOk);
      attach_(bytes.data(), int(bytes.size()), "", 0, 0, 0);
      std::fill(bytes.begin(), bytes.end(), 0xEE);  // the library kept its own copy
    }
    Pump(30);
    return info;
  }

  // Samples: title bar (lower half, between title and buttons), window background, button.
  struct Look {
    COLORREF title, back, button;
  };
  Look Sample() {
    RECT w, c;
    GetWindowRect(top_, &w);
    GetClientRect(top_, &c);
    POINT origin = {0, 0};
    ClientToScreen(top_, &origin);
    const int caption_bottom = origin.y - w.top;
    Look l;
    l.title = PixelOf(top_, (w.right - w.left) * 3 / 5, caption_bottom - 5, true);
    l.back = PixelOf(top_, 300, 150);
    l.button = PixelOf(button_, 12, 18);
    return l;
  }

  HMODULE module_ = nullptr;
  AttachFn attach_ = nullptr;
  HWND top_ = nullptr, button_ = nullptr, disabled_ = nullptr, radio_ = nullptr, edit_ = nullptr,
       updown_ = nullptr, scroll_ = nullptr, progress_ = nullptr;
};

TEST_F(SkinLibrary, SkinsDressEveryControlAndThePlainLookComesBack) {
  const Look plain = Sample();
  SaveShot(top_, "plain");
  const COLORREF plain_face = SystemFace();

  const int kShown[] = {8, 1, 9, 22, 23, 12, 6, 3};
  std::vector<Look> looks;
  for (int number : kShown) {
    SCOPED_TRACE(testing::Message() << "skin " << number);
    const skin::SkinInfo info = Apply(number);
    const Look l = Sample();
    char shot[16];
    std::snprintf(shot, sizeof shot, "skin-%02d", number);
    SaveShot(top_, shot);
    const bool active = GetActiveWindow() == top_;
    EXPECT_EQ(l.back, Role(info, skin::kFace)) << "window background";
    const int textured = info.pictures[skin::kPictureCaption].data ? 30 : 12;
    EXPECT_TRUE(Between(l.title, Role(info, active ? skin::kCaptionTop : skin::kInactiveCaptionTop),
                        Role(info, active ? skin::kCaptionBottom : skin::kInactiveCaptionBottom),
                        textured))
        << "title bar";
    EXPECT_TRUE(
        Between(l.button, Role(info, skin::kButtonTop), Role(info, skin::kButtonBottom), 12))
        << "button face";
    // The program's own default colour follows the skin (its imports are redirected).
    EXPECT_EQ(SystemFace(), Role(info, skin::kFace));
    for (const Look& other : looks) {
      EXPECT_TRUE(other.back != l.back || other.title != l.title) << "skins look alike";
    }
    looks.push_back(l);
  }

  // With pictures asked for, every skin is shown once.
  if (const char* shots = std::getenv("ROLLCALL_SKIN_SHOTS"); shots && *shots) {
    for (int number = 1; number <= 33; ++number) {
      Apply(number);
      char shot[16];
      std::snprintf(shot, sizeof shot, "skin-%02d", number);
      SaveShot(top_, shot);
    }
  }

  // Pressed and hovered buttons change colour; the disabled one is dimmed.
  const skin::SkinInfo info = Apply(8);
  SendMessageW(button_, BM_SETSTATE, TRUE, 0);
  EXPECT_TRUE(Between(PixelOf(button_, 12, 18), Role(info, skin::kButtonPressedTop),
                      Role(info, skin::kButtonPressedBottom), 12))
      << "pressed button";
  SendMessageW(button_, BM_SETSTATE, FALSE, 0);
  EXPECT_NE(PixelOf(disabled_, 12, 18), PixelOf(button_, 12, 18)) << "disabled button";
  // The window procedures of the controls stay callable from above the skin's own layer.
  SendMessageW(scroll_, SBM_SETPOS, 70, TRUE);
  EXPECT_EQ(GetScrollPos(scroll_, SB_CTL), 70);

  Apply(0);
  const Look back = Sample();
  SaveShot(top_, "plain-again");
  EXPECT_EQ(back.back, plain.back) << "plain window background";
  EXPECT_EQ(back.title, plain.title) << "plain title bar";
  EXPECT_EQ(back.button, plain.button) << "plain button";
  EXPECT_EQ(SystemFace(), plain_face) << "imports given back";
}

TEST_F(SkinLibrary, BrokenSkinsGiveThePlainLookWithoutFault) {
  const Look plain = Sample();
  std::vector<uint8_t> bytes = SkinBytes(5);
  ASSERT_FALSE(bytes.empty());
  std::vector<std::vector<uint8_t>> broken = {
      std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40),  // cut short
      std::vector<uint8_t>(bytes.begin(), bytes.end() - 1),     // one byte missing
      std::vector<uint8_t>(300, 0x41),                          // not a skin
  };
  broken.push_back(bytes);
  broken.back()[5] = 4;  // another generation of the format
  for (size_t i = 0; i < broken.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "broken skin " << i);
    Apply(5);
    EXPECT_NE(Sample().back, plain.back);
    attach_(broken[i].data(), int(broken[i].size()), "", 0, 0, 0);
    Pump(30);
    EXPECT_EQ(Sample().back, plain.back);
  }
  Apply(5);
  attach_(reinterpret_cast<const uint8_t*>(16), 4096, "", 0, 0, 0);  // unreadable memory
  Pump(30);
  EXPECT_EQ(Sample().back, plain.back);
  attach_(bytes.data(), -5, "", 0, 0, 0);
  EXPECT_EQ(Sample().back, plain.back);
}

// A helper thread watches for the box, samples it and presses OK.
struct BoxProbe {
  DWORD thread;
  COLORREF back = CLR_INVALID, title = CLR_INVALID;
  bool found = false;
};

BOOL CALLBACK SampleBox(HWND hwnd, LPARAM lp) {
  wchar_t cls[16];
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  auto* probe = reinterpret_cast<BoxProbe*>(lp);
  Sleep(300);  // let it paint
  RECT w;
  GetWindowRect(hwnd, &w);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  probe->title = PixelOf(hwnd, (w.right - w.left) * 2 / 3, origin.y - w.top - 5, true);
  probe->back = PixelOf(hwnd, 3, 3);
  probe->found = true;
  PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
  return FALSE;
}

DWORD WINAPI ProbeBox(void* p) {
  auto* probe = static_cast<BoxProbe*>(p);
  for (int i = 0; i < 400 && !probe->found; ++i) {
    Sleep(10);
    EnumThreadWindows(probe->thread, SampleBox, reinterpret_cast<LPARAM>(probe));
  }
  return 0;
}

TEST_F(SkinLibrary, MessageBoxMadeLaterIsSkinned) {
  const skin::SkinInfo info = Apply(6);
  BoxProbe probe;
  probe.thread = GetCurrentThreadId();
  HANDLE t = CreateThread(nullptr, 0, ProbeBox, &probe, 0, nullptr);
  MessageBoxW(top_, L"点名开始了", L"提示 Notice", MB_OK | MB_ICONINFORMATION);
  WaitForSingleObject(t, 10000);
  CloseHandle(t);
  ASSERT_TRUE(probe.found) << "no message box";
  EXPECT_EQ(probe.back, Role(info, skin::kFace)) << "message box background";
  EXPECT_TRUE(
      Between(probe.title, Role(info, skin::kCaptionTop), Role(info, skin::kCaptionBottom), 30))
      << "message box title bar (active, textured)";
}

// Runs a test program beside this one; its exit code, with what it printed shown.
DWORD RunBeside(const wchar_t* program, std::string* output = nullptr) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring exe(path, n);
  exe.erase(exe.find_last_of(L"\\/") + 1);
  exe += program;
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 0)) return 98;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = write;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                      &pi)) {
    CloseHandle(read);
    CloseHandle(write);
    return 97;
  }
  CloseHandle(write);
  std::string out;
  char buffer[256];
  DWORD got;
  while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(read);
  DWORD code = 99;
  if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::printf("%s", out.c_str());
  if (output) *output = out;
  return code;
}

// In a process of its own: the count fills the GDI handle table.
TEST(SkinSoak, FiveHundredChangesLeaveNoGdiObjectsOrProperties) {
  EXPECT_EQ(RunBeside(L"skin_soak.exe"), 0u);
}

// The embedding the program uses (rollcall_skin_blocks), checked by a probe built with it.
TEST(SkinBlocks, ProgramCarriesTheLibraryAndTheSkinsAsConstantBlocks) {
  EXPECT_EQ(RunBeside(L"skin_blocks_probe.exe"), 0u);
}

// The display's DPI for the programs started while it is held (Wine reports the prefix's
// LogPixels to a program when it starts); no setting again after, as before: Wine tells a
// LogPixels of 96 from none, and the other programs of the prefix run without one.
struct DisplayDpi {
  explicit DisplayDpi(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                    sizeof dpi);
  }
  ~DisplayDpi() { RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels"); }
};

// A DPI-aware window at 192 DPI: the system lays its title bar out twice as tall as at 96, and
// the skin's caption buttons and frame line follow it.
TEST(SkinDpi, CaptionButtonsAndFrameLineFollowTheDisplay) {
  int at[2][5] = {};  // dpi, caption, close button width and height, frame line
  for (int i = 0; i < 2; ++i) {
    const DisplayDpi display(i == 0 ? 96 : 192);
    std::string out;
    RunBeside(L"skin_dpi_probe.exe", &out);
    std::sscanf(out.c_str(), "dpi=%d caption=%d close=%dx%d line=%d", &at[i][0], &at[i][1],
                &at[i][2], &at[i][3], &at[i][4]);
  }
  ASSERT_EQ(at[1][0], 192) << "the probe sees the display's DPI";
  EXPECT_NEAR(at[1][1], 2 * at[0][1], 1) << "the title bar is twice as tall";
  EXPECT_NEAR(at[1][2], 2 * at[0][2], 2) << "so is the close button";
  EXPECT_NEAR(at[1][3], 2 * at[0][3], 2) << "so is the close button";
  EXPECT_EQ(at[0][4], 1);
  EXPECT_EQ(at[1][4], 2) << "the frame line is twice as wide";
}

}  // namespace
