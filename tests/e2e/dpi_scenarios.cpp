// The program at the display scalings of classroom boards and laptops (100, 125, 150 and 200 %)
// and across a change of scaling while it runs. Wine reports the prefix's LogPixels to a
// program when it starts and stretches nothing, so what the screen shows is what the runtime
// laid out itself; Wine never changes a window's DPI, so the change is sent as Windows sends it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "tests/harness/driver.h"
#include "tests/source_root.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kCountdownTitle[] = "内置倒计时器 v0.2";
constexpr char kStart[] = "轻触开始点名";
constexpr char kStop[] = "轻触停止点名";
constexpr char kClass[] =
    "[全班人名：]\r\n1=欧阳诸葛娜\r\n2=司马上官燕\r\n3=张三\r\n"
    "[广告：]\r\n内容=欢迎使用岚川软件！www.example.com\r\n[Running State]\r\nFirst run=no\r\n";

// A design pixel on a display of `dpi`: the runtime's rule (MulDiv, half away from zero).
int Px(int v, int dpi) {
  return MulDiv(v, dpi, 96);
}

// The display's DPI for the programs started while it is held. The prefix's setting comes back
// after, also when there was none: Wine tells apart a LogPixels of 96 and no LogPixels.
class DisplayDpi {
 public:
  explicit DisplayDpi(DWORD dpi) {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_,
                        &size) == ERROR_SUCCESS;
    Set(dpi);
  }
  ~DisplayDpi() {
    if (had_) {
      Set(old_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels");
    }
  }

 private:
  static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
  static void Set(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  }
  DWORD old_ = 0;
  bool had_ = false;
};

RECT InParent(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Units of the main window where its form puts them (design pixels), each inside the one
// `parent` names (-1: the window). The banner's moving text is left out.
struct Place {
  int parent;
  const char* cls;
  int left, top, width, height;
};
const Place kMainPlaces[] = {
    {-1, "Button", 8, 8, 568, 152},      // 0 the names' box
    {0, "TransLabel", 8, 16, 552, 128},  // 1 the name display
    {0, "Label", 472, 104, 88, 48},      //   the hidden number
    {-1, "Button", 8, 168, 568, 168},    // 3 the big button
    {-1, "Button", 584, 0, 25, 378},     // 4 the panel's tab
    {-1, "Button", 592, 8, 168, 360},    // 5 the side panel
    {5, "SplitterBar", 0, 64, 168, 8},   //   its splitter
    {5, "msctls_progress32", 8, 256, 152, 72},
    {5, "PicBox", 128, 328, 38, 30},   // 8 the speaker
    {5, "Button", 8, 333, 120, 24},    // 9 the countdown window's button
    {-1, "Button", 80, 336, 248, 32},  //   the banner's box
    {-1, "Button", 546, 340, 31, 30},  //   the skin button
};

// Finds every unit of kMainPlaces at its place times the scale, with its size times the scale;
// the handles in table order.
std::vector<HWND> ExpectPlaces(HWND main, int dpi) {
  std::vector<HWND> found;
  for (const Place& p : kMainPlaces) {
    HWND parent = p.parent < 0 ? main : found[size_t(p.parent)];
    HWND h = parent ? FindChildAt(parent, p.cls, Px(p.left, dpi), Px(p.top, dpi)) : nullptr;
    EXPECT_NE(h, nullptr) << p.cls << " at " << p.left << "," << p.top << " times the scale";
    if (h != nullptr) {
      const RECT r = InParent(h);
      EXPECT_EQ(r.right - r.left, Px(p.left + p.width, dpi) - Px(p.left, dpi)) << p.cls;
      EXPECT_EQ(r.bottom - r.top, Px(p.top + p.height, dpi) - Px(p.top, dpi)) << p.cls;
    }
    found.push_back(h);
  }
  return found;
}

// Every unit at any depth has its edges where whole design pixels land, so that units that
// meet in the form meet on the screen.
void ExpectOnGrid(HWND parent, int dpi) {
  for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    const RECT r = InParent(h);
    for (LONG edge : {r.left, r.top, r.right, r.bottom}) {
      EXPECT_EQ(Px(MulDiv(edge, 96, dpi), dpi), edge) << ClassName(h) << " edge " << edge;
    }
    ExpectOnGrid(h, dpi);
  }
}

std::wstring FromUtf8(const std::string& s) {
  std::wstring w(s.size(), L'\0');
  w.resize(
      size_t(MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), int(w.size()))));
  return w;
}

// Captions whose text's cell overflows their unit in the form itself, at 96 DPI as at the other
// scales but 120 DPI, where the two-line labels' 15-pixel lines just fit (transparent labels and
// the running page's big digits, clipped since the first version): the design's, not the
// scaling's. Figures at 96 DPI, needed vs the unit.
const std::set<std::string> kOverflowInTheForm = {
    "0x1601001F",  // the answer timer's "60", 96 px: 98x101 in 136x96
    "0x160100CA",  // the running page's "：", 96 px: 97x101 in 40x120
    "0x160100C9",  // the running page's ".", 96 px: 49x101 in 40x120
    "0x160100B0",  // "作者：", 20 px: 63x21 in 56x24
    "0x160100A9",  // the author's two lines, 12 px: 48x26 in 64x24
    "0x160100A8",  // the group's two lines, 12 px: 60x26 in 96x24
    "0x160100B5",  // the setup page's "分钟", 20 px: 42x21 in 40x32
};

std::wstring WText(HWND h) {
  wchar_t shown[512] = {};
  GetWindowTextW(h, shown, 512);
  return shown;
}

// A stored caption, its quotes off and its line breaks read.
std::wstring Caption(std::map<std::string, std::string>& u) {
  const std::string& q = u["caption"];
  const std::string c = q.size() > 2 ? q.substr(1, q.size() - 2) : "";
  return FromUtf8(std::regex_replace(std::regex_replace(c, std::regex(R"(\\r)"), "\r"),
                                     std::regex(R"(\\n)"), "\n"));
}

// Every unit of a window's form whose caption shows as stored: the text measured in the unit's
// font made as the runtime makes it at `dpi` (its height an edge from 0, the default GUI font's
// height from this process's DPI) lies inside the unit's live client rectangle, wrapped where the
// unit wraps. A unit whose live text differs (set at run time) or that is not found is left out.
// Returns the units checked.
int ExpectCaptionsFit(HWND window, const char* form, int dpi) {
  std::ifstream in(rc::test::SourcePath(std::string("app/forms/") + form));
  std::map<std::string, std::map<std::string, std::string>> units;  // by id, in file order
  std::vector<std::string> order;
  std::string line, id;
  const std::regex unit_re(R"(unit (\w+) (\w+))"), field_re(R"(\s*(\w+) = (.*))");
  std::smatch m;
  while (std::getline(in, line)) {
    if (std::regex_match(line, m, unit_re)) {
      order.push_back(id = m[1]);
      units[id]["type"] = m[2];
    } else if (!id.empty() && std::regex_match(line, m, field_re) && !units[id].count(m[1])) {
      units[id][m[1]] = m[2];
    }
  }
  // Records lie in stacking order, a container after its units: the live handles by id, found
  // at their places times the scale; of units at one place, the one showing the stored caption,
  // then the one holding the most of its units at their places with their captions.
  std::map<std::string, HWND> live;
  auto at = [&](HWND parent, const std::string& uid, bool captioned) {
    std::vector<HWND> found;
    int x = 0, y = 0;
    if (sscanf(units[uid]["pos"].c_str(), "%d, %d", &x, &y) != 2) return found;
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      const RECT r = InParent(c);
      if (r.left == Px(x, dpi) && r.top == Px(y, dpi) &&
          (!captioned || WText(c) == Caption(units[uid]))) {
        found.push_back(c);
      }
    }
    return found;
  };
  std::function<HWND(const std::string&)> find = [&](const std::string& uid) -> HWND {
    if (live.count(uid)) return live[uid];
    auto& u = units[uid];
    HWND parent = u.count("parent") ? find(u["parent"]) : window, unit = nullptr;
    int best = -1;
    for (HWND c : parent ? at(parent, uid, false) : std::vector<HWND>{}) {
      int score = WText(c) == Caption(u) ? 1000 : 0;
      std::istringstream kids(u["children"]);
      for (std::string k; kids >> k;) {
        if (k.back() == ',') k.pop_back();
        score += int(!at(c, k, true).empty());
      }
      if (score > best) best = score, unit = c;
    }
    return live[uid] = unit;
  };
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW gui{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
  gui.lfHeight = MulDiv(gui.lfHeight, 96, GetDeviceCaps(dc, LOGPIXELSY));
  int checked = 0;
  for (const std::string& uid : order) {
    auto& u = units[uid];
    if (u["type"] == "window") continue;
    const std::wstring text = Caption(u);
    HWND unit = find(uid);
    if (unit == nullptr || text.empty() || WText(unit) != text || kOverflowInTheForm.count(uid)) {
      continue;
    }
    LOGFONTW f = gui;
    std::smatch fm;
    if (std::regex_search(u["font"], fm, std::regex(R"(face \"(.*)\" size (\d+))"))) {
      f = LOGFONTW{};
      f.lfHeight = -std::stoi(fm[2]);
      f.lfWeight = u["font"].find(" bold") != std::string::npos ? FW_BOLD : 0;
      f.lfItalic = u["font"].find(" italic") != std::string::npos;
      f.lfUnderline = u["font"].find(" underline") != std::string::npos;
      f.lfCharSet = DEFAULT_CHARSET;
      f.lfQuality = PROOF_QUALITY;
      wcsncpy(f.lfFaceName, FromUtf8(fm[1]).c_str(), LF_FACESIZE - 1);
    }
    f.lfHeight = MulDiv(f.lfHeight, dpi, 96);
    HFONT font = CreateFontIndirectW(&f);
    HGDIOBJ old = SelectObject(dc, font);
    RECT client, need{0, 0, 0, 0};
    GetClientRect(unit, &client);
    need.right = client.right;
    const bool wraps = u["type"] == "Button" || u["word_wrap"] == "1";
    std::wstring shown = text;  // on one line, line breaks show nothing and take no room
    if (!wraps)
      shown.erase(std::remove_if(shown.begin(), shown.end(),
                                 [](wchar_t c) { return c == L'\r' || c == L'\n'; }),
                  shown.end());
    DrawTextW(dc, shown.c_str(), int(shown.size()), &need,
              DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    DeleteObject(font);
    EXPECT_TRUE(need.right <= client.right && need.bottom <= client.bottom)
        << "a caption's extent in its font lies inside its unit: " << u["name"] << " at " << dpi
        << " DPI needs " << need.right << "x" << need.bottom << ", has " << client.right << "x"
        << client.bottom;
    ++checked;
  }
  DeleteDC(dc);
  return checked;
}

// A shot of a whole window, also one larger than the screen: taken in pieces, the window moved
// so that each piece shows, then put back. Wine may scale a place this process (at 96 DPI) gives
// a window of a program at `dpi`; where the window lands is read back.
Image WholeShot(HWND window, int dpi) {
  RECT home;
  GetWindowRect(window, &home);
  const int w = home.right - home.left, h = home.bottom - home.top;
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (home.left >= 0 && home.top >= 0 && home.right <= sw && home.bottom <= sh) {
    return Screenshot(window);
  }
  auto move = [&](int x, int y) {
    for (int scale : {dpi, 96}) {  // as given, then as Wine scales it
      SetWindowPos(window, nullptr, MulDiv(x, scale, dpi), MulDiv(y, scale, dpi), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      RECT at;
      GetWindowRect(window, &at);
      if (at.left == x && at.top == y) return;
    }
  };
  Image whole;
  whole.width = w;
  whole.height = h;
  whole.data.assign(size_t(w) * h, 0);
  // The piece at the window's own place comes last and covers the others: the banner, which
  // moves while the pieces are taken, lies inside it whole, with no seam through its text.
  for (int x : {std::min(0, sw - w), 0}) {
    for (int y : {std::min(0, sh - h), 0}) {
      move(x, y);
      RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      RECT at;
      GetWindowRect(window, &at);
      // What the move uncovered may not be painted yet: pure black is no colour of the skin.
      Image screen;
      for (int tries = 0; tries < 10; ++tries) {
        harness::Sleep(300);
        screen = Screenshot(nullptr);
        if (CountNear(screen, std::max(0L, at.left), std::max(0L, at.top),
                      std::min(LONG(sw), at.right), std::min(LONG(sh), at.bottom), 0,
                      0) < w * h / 100) {
          break;
        }
      }
      for (int j = std::max(0L, at.top); j < std::min(LONG(sh), at.bottom); ++j) {
        for (int i = std::max(0L, at.left); i < std::min(LONG(sw), at.right); ++i) {
          whole.data[size_t(j - at.top) * w + (i - at.left)] = screen.at(i, j);
        }
      }
    }
  }
  move(home.left, home.top);
  return whole;
}

// Pixels near a colour inside a unit, in a shot of its whole window.
int Pixels(const Image& shot, HWND window, HWND unit, uint32_t colour, int tolerance = 40) {
  RECT w, u;
  GetWindowRect(window, &w);
  GetWindowRect(unit, &u);
  return CountNear(shot, u.left - w.left, u.top - w.top, u.right - w.left, u.bottom - w.top, colour,
                   tolerance);
}

// The up-downs beside the countdown's minute and second boxes (104 design pixels wide with
// them): each is the last 16 design pixels of its box's place at the window's `dpi`, its arrows
// (the darkest pixels in it, in `shot` taken at that DPI) grown with it.
void ExpectSpinsScaled(HWND window, int dpi, const Image* shot) {
  std::vector<HWND> spins;
  std::function<void(HWND)> walk = [&](HWND parent) {
    for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
      if (ClassName(h) == UPDOWN_CLASSA) spins.push_back(h);
      walk(h);
    }
  };
  walk(window);
  ASSERT_EQ(spins.size(), 2u) << "the minute and second boxes' up-downs";
  for (HWND spin : spins) {
    const RECT box = InParent(HWND(SendMessageW(spin, UDM_GETBUDDY, 0, 0))), at = InParent(spin);
    const int left = MulDiv(box.left, 96, dpi);
    EXPECT_TRUE(at.left == box.right && at.left == Px(left + 88, dpi) &&
                at.right == Px(left + 104, dpi))
        << "the up-down 16 design pixels wide beside its box at " << dpi << " DPI: box right "
        << box.right << ", up-down " << at.left << " to " << at.right;
    EXPECT_TRUE(shot == nullptr ||
                Pixels(*shot, window, spin, Rgb(0, 0, 0), 60) > 20 * Px(Px(1, dpi), dpi))
        << "the arrows drawn to the up-down's size at " << dpi << " DPI";
  }
}

// The pictures of every scale into ROLLCALL_SCREENSHOT_DIR when given, named by the DPI.
void SaveShot(const Image& shot, const char* name, int dpi) {
  if (Env("ROLLCALL_SCREENSHOT_DIR").empty()) return;
  SavePng(shot,
          EnvPath("ROLLCALL_SCREENSHOT_DIR") + "\\" + name + "_" + std::to_string(dpi) + "dpi.png");
}

bool ChangeDpi(const Process& proc, HWND window, int from, int to);

class DpiScenario : public testing::TestWithParam<int> {};

TEST_P(DpiScenario, BothWindowsLaidOutAndDrawnAtTheDisplayScale) {
  const int dpi = GetParam();
  const int area = Px(Px(1, dpi), dpi);  // pixels of a design pixel squared, about
  const DisplayDpi scale{DWORD(dpi)};
  TempDir dir;
  ASSERT_TRUE(dir.Write("dede.ini", kClass));
  Process proc(dir, "rollcall.exe");
  HWND main = proc.WaitWindow(kTitle, 20000);
  ASSERT_NE(main, nullptr);
  harness::Sleep(500);

  RECT r;
  GetWindowRect(main, &r);
  EXPECT_NEAR(r.right - r.left, Px(617, dpi), 2) << "the outer width times the scale";
  EXPECT_NEAR(r.bottom - r.top, Px(407, dpi), 2) << "the outer height times the scale";
  const std::vector<HWND> units = ExpectPlaces(main, dpi);
  ExpectOnGrid(main, dpi);
  HWND display = units[1], button = units[3], tab = units[4], panel = units[5];
  ASSERT_TRUE(display && button && tab && panel);

  const Image idle = WholeShot(main, dpi);
  SaveShot(idle, "main_idle", dpi);
  EXPECT_GT(Pixels(idle, main, display, Rgb(0, 0, 255)), 1000 * area) << "the blue arrows";
  EXPECT_GT(Pixels(idle, main, button, Rgb(0, 0, 0), 60), 3000 * area) << "the big caption";

  // Stopped on a long name: the whole name inside the display.
  Click(button);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(button) == kStop; }));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) != 0; }));
  std::string name;
  ASSERT_TRUE(WaitUntil([&] {
    name = ChangingText(display);
    return name != "张三" && name.size() > 6;
  }));
  Click(button);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(button) == kStart; }));
  harness::Sleep(300);
  const Image stopped = WholeShot(main, dpi);
  SaveShot(stopped, "main_stopped", dpi);
  EXPECT_GT(Pixels(stopped, main, display, Rgb(0, 0, 255)), 6000 * area) << "a long name";
  RECT w, u;
  GetWindowRect(main, &w);
  GetWindowRect(display, &u);
  const int edge = Px(2, dpi);  // no ink along the display's edges: the name is not cut
  EXPECT_EQ(CountNear(stopped, u.left - w.left, u.top - w.top, u.left - w.left + edge,
                      u.bottom - w.top, Rgb(0, 0, 255), 40) +
                CountNear(stopped, u.right - w.left - edge, u.top - w.top, u.right - w.left,
                          u.bottom - w.top, Rgb(0, 0, 255), 40),
            0);

  // The panel opens to 795 times the scale, the tab at width - 33 times the scale.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) != 0; }));
  Click(tab);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(panel) != 0; }, 10000));
  GetWindowRect(main, &r);
  EXPECT_NEAR(r.right - r.left, Px(795, dpi), 2) << "the open panel's width times the scale";
  EXPECT_NEAR(InParent(tab).left, Px(795 - 33, dpi), 2);
  ExpectOnGrid(main, dpi);
  EXPECT_GE(ExpectCaptionsFit(main, "main_window.form", dpi), 12);
  const Image open = WholeShot(main, dpi);
  SaveShot(open, "main_panel", dpi);
  EXPECT_GT(Pixels(open, main, units[8], Rgb(0x1F, 0x96, 0x46)), 20 * area)
      << "the speaker's green waves, stretched over its scaled box";

  // The countdown window, from the panel.
  Click(units[9]);
  HWND countdown = proc.WaitWindow(kCountdownTitle);
  ASSERT_NE(countdown, nullptr);
  GetWindowRect(countdown, &r);
  EXPECT_NEAR(r.right - r.left, Px(629, dpi), 2);
  EXPECT_NEAR(r.bottom - r.top, Px(267, dpi), 2);
  ExpectOnGrid(countdown, dpi);
  EXPECT_GE(ExpectCaptionsFit(countdown, "countdown_window.form", dpi), 15);
  const Image setup = WholeShot(countdown, dpi);
  SaveShot(setup, "countdown_setup", dpi);
  EXPECT_GT(CountNear(setup, 0, 0, setup.width, Px(70, dpi), Rgb(0, 128, 0), 40), 150 * area)
      << "the green tip";
  ExpectSpinsScaled(countdown, dpi, &setup);
  // Laid out again at another DPI and back, the up-downs follow.
  const int other = dpi == 192 ? 96 : 192;
  ASSERT_TRUE(ChangeDpi(proc, countdown, dpi, other));
  ExpectSpinsScaled(countdown, other, nullptr);
  ASSERT_TRUE(ChangeDpi(proc, countdown, other, dpi));
  ExpectSpinsScaled(countdown, dpi, nullptr);
  Close(countdown);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }));
  Close(main);
  DWORD code = 1;
  EXPECT_TRUE(proc.WaitExit(10000, &code) && code == 0);
}

INSTANTIATE_TEST_SUITE_P(Display, DpiScenario, testing::Values(96, 120, 144, 192),
                         [](const testing::TestParamInfo<int>& p) {
                           return "Dpi" + std::to_string(p.param);
                         });

// WM_DPICHANGED as Windows sends it: the new DPI and the suggested rectangle, which lives in
// the receiving process.
bool ChangeDpi(const Process& proc, HWND window, int from, int to) {
  RECT r;
  GetWindowRect(window, &r);
  const RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, to, from),
                       r.top + MulDiv(r.bottom - r.top, to, from)};
  void* remote = VirtualAllocEx(proc.handle(), nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  if (remote == nullptr ||
      !WriteProcessMemory(proc.handle(), remote, &suggested, sizeof suggested, nullptr)) {
    return false;
  }
  DWORD_PTR result = 0;
  const bool sent =
      SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(to, to),
                          reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result) != 0;
  VirtualFreeEx(proc.handle(), remote, 0, MEM_RELEASE);
  return sent;
}

TEST(DpiChangeScenario, TwiceTheScaleAndBackWhileTheNamesCycleAndThePanelSlides) {
  TempDir dir;
  ASSERT_TRUE(dir.Write("dede.ini", kClass));
  Process proc(dir, "rollcall.exe");
  HWND main = proc.WaitWindow(kTitle, 20000);
  ASSERT_NE(main, nullptr);
  HWND names = FindChildAt(main, "Button", 8, 8);
  HWND display = names ? FindChildAt(names, "TransLabel", 8, 16) : nullptr;
  HWND button = FindChildAt(main, "Button", 8, 168);
  HWND tab = FindChildAt(main, "Button", 584, 0);
  HWND panel = FindChildAt(main, "Button", 592, 8);
  ASSERT_TRUE(display && button && tab && panel);

  Click(button);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(button) == kStop; }));
  Click(tab);
  ASSERT_TRUE(WaitUntil([&] { return Width(main) > 640; }));
  ASSERT_TRUE(ChangeDpi(proc, main, 96, 192));
  const int at_change = Width(main);
  EXPECT_GT(at_change, Px(640, 192) - 4) << "the suggested rectangle taken";
  EXPECT_LT(at_change, Px(795, 192) + 1);
  EXPECT_EQ(InParent(button).right - InParent(button).left, Px(568, 192));
  EXPECT_EQ(InParent(tab).left, Width(main) - Px(33, 192)) << "the tab at width - 33, scaled";
  ExpectOnGrid(main, 192);
  // The slide goes on at the new scale to 795 times two, and the panel shows.
  EXPECT_TRUE(WaitUntil([&] { return Width(main) == Px(795, 192) && IsWindowVisible(panel); }))
      << "the slide ends at " << Width(main);
  std::set<std::string> seen;
  WaitUntil([&] {
    seen.insert(ChangingText(display));
    return seen.size() >= 3;
  });
  EXPECT_GE(seen.size(), 3u) << "the names still cycle";
  EXPECT_EQ(WindowText(button), kStop);

  ASSERT_TRUE(ChangeDpi(proc, main, 192, 96));
  EXPECT_EQ(Width(main), 795);
  EXPECT_EQ(InParent(tab).left, 795 - 33);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) != 0; }));
  Click(button);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(button) == kStart; })) << "the cycle stops";
  Click(tab);
  EXPECT_TRUE(WaitUntil([&] { return Width(main) == 617; }, 10000)) << "and the panel closes";
  harness::Sleep(300);
  ExpectPlaces(main, 96);
  ExpectOnGrid(main, 96);
  Close(main);
  DWORD code = 1;
  EXPECT_TRUE(proc.WaitExit(10000, &code) && code == 0);
}

}  // namespace
