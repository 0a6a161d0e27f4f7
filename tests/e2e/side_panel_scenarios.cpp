// The side panel on the real program: the tab's blinking arrows, the slide of the window two
// pixels a tick to 795 and back to 617 with the notice label over the name display, a click
// that turns a slide round, and the tab kept at the right edge all the while.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kMainTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kIni[] = "[Running State]\r\nFirst run=no\r\n";
constexpr char kFormArrows[] = "》》》》》》》》》》";
constexpr char kOpenA[] = "》》    》》    》》";
constexpr char kOpenB[] = "》》    》》";
constexpr char kCloseA[] = "《《    《《    《《";
constexpr char kCloseB[] = "《《    《《";

struct Program {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND main = nullptr, tab = nullptr, panel = nullptr, notice = nullptr;

  Program() {
    dir.Write("dede.ini", kIni);
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    main = proc->WaitWindow(kMainTitle, 20000);
    if (main == nullptr) return;
    tab = FindChildAt(main, "Button", 584, 0);
    panel = FindChildAt(main, "Button", 592, 8);
    HWND names = FindChildAt(main, "Button", 8, 8);
    notice = names ? FindChildAt(names, "Label", 8, 16) : nullptr;
  }
  bool found() const { return main && tab && panel && notice; }
};

// One look at the slide.
struct Sample {
  DWORD at;
  int width;     // outer width of the main window
  int tab_left;  // in the main window's client area
  bool panel, notice;
  bool settled;  // the width did not change while the sample was taken
};

Sample Look(const Program& p) {
  Sample s{};
  s.at = GetTickCount();
  s.width = Width(p.main);
  RECT r;
  GetWindowRect(p.tab, &r);
  MapWindowPoints(HWND_DESKTOP, p.main, reinterpret_cast<POINT*>(&r), 2);
  s.tab_left = r.left;
  s.panel = IsWindowVisible(p.panel) != FALSE;
  s.notice = IsWindowVisible(p.notice) != FALSE;
  s.settled = Width(p.main) == s.width;
  return s;
}

// Samples until `done` holds for a sample or the time is up.
template <typename Done>
std::vector<Sample> Watch(const Program& p, Done done, DWORD limit_ms = 10000) {
  std::vector<Sample> samples;
  const DWORD start = GetTickCount();
  do {
    samples.push_back(Look(p));
    if (done(samples.back())) break;
    ::Sleep(2);
  } while (GetTickCount() - start < limit_ms);
  return samples;
}

// What a slide must show from one width to the other: every width on the way a step of 2 from
// the start, in one direction; the notice over the name display and no panel while moving; the
// tab at width - 33 as its own timer last saw the width: at most a few steps off, since the
// slide's timer and the tab's take turns as the system delivers their ticks. Returns the number
// of samples taken while moving.
int CheckSlide(const std::vector<Sample>& samples, int from, int to) {
  const int step = to > from ? 2 : -2;
  int previous = from, moving = 0;
  for (const Sample& s : samples) {
    SCOPED_TRACE(testing::Message() << "at " << s.at - samples[0].at << " ms, width " << s.width);
    EXPECT_EQ((s.width - from) % 2, 0);
    EXPECT_TRUE(step > 0 ? s.width >= previous : s.width <= previous) << "one direction";
    previous = s.width;
    if (s.width != from && s.width != to) {
      ++moving;
      EXPECT_TRUE(s.notice) << "the notice shows while the window slides";
      EXPECT_FALSE(s.panel) << "the panel shows only at 795";
    }
    const int off = s.width - 33 - s.tab_left;
    EXPECT_TRUE(!s.settled || (std::abs(off) <= 3 * 2 && off % 2 == 0)) << "tab at " << s.tab_left;
  }
  return moving;
}

TEST(SidePanelScenario, TabBlinksAndSlidesThePanelOutAndBackAndAClickTurnsASlideRound) {
  Program p;
  ASSERT_TRUE(p.found());

  // The arrows: the form's column until the first blink, half a second after the timers
  // started, then two groups and three groups in turn every half second.
  const DWORD shown = GetTickCount();
  std::vector<std::pair<DWORD, std::string>> captions{{0, ChangingText(p.tab)}};
  while (GetTickCount() - shown < 1300) {
    const std::string c = ChangingText(p.tab);
    if (c != captions.back().second) captions.push_back({GetTickCount() - shown, c});
    ::Sleep(5);
  }
  ASSERT_GE(captions.size(), 3u);
  EXPECT_TRUE(captions[0].second == kFormArrows || captions[0].second == kOpenA);
  size_t a = captions[0].second == kOpenA ? 0 : 1;
  EXPECT_EQ(captions[a].second, kOpenA);
  EXPECT_LE(captions[a].first, 700u) << "the first blink comes half a second after the start";
  for (size_t i = a + 1; i < captions.size(); ++i) {
    EXPECT_EQ(captions[i].second, (i - a) % 2 ? kOpenB : kOpenA);
    const DWORD gap = captions[i].first - captions[i - 1].first;
    EXPECT_TRUE(gap >= 400 && gap <= 700) << gap << " ms between blinks";
  }

  // A click while collapsed: the notice, the window widens to 795, then the panel shows and
  // the notice hides; the arrows turn left.
  Click(p.tab);
  DWORD start = GetTickCount();
  std::vector<Sample> samples =
      Watch(p, [](const Sample& s) { return s.width == 795 && s.panel && !s.notice; });
  RecordProperty("widen_ms", int(GetTickCount() - start));
  EXPECT_GT(CheckSlide(samples, 617, 795), 10);
  ASSERT_EQ(samples.back().width, 795);
  harness::Sleep(300);
  Sample rest = Look(p);
  EXPECT_EQ(rest.width, 795) << "the widening stops at 795";
  EXPECT_EQ(rest.tab_left, 795 - 33);
  EXPECT_TRUE(rest.panel && !rest.notice);
  EXPECT_TRUE(WaitUntil([&] {
    const std::string c = ChangingText(p.tab);
    return c == kCloseA || c == kCloseB;
  }));

  // The uncovered panel on screen: its speaker picture (dark speaker, green waves) where the
  // panel at (592, 8) puts it, at (128, 328) of the panel.
  const Image client = ClientShot(p.main);
  EXPECT_GT(CountNear(client, 720, 336, 758, 366, Rgb(0x1F, 0x96, 0x46), 40), 20);
  EXPECT_GT(CountNear(client, 720, 336, 758, 366, Rgb(0x22, 0x2E, 0x3E), 40), 50);
  SaveForReadme(Screenshot(p.main), "main_panel.png");

  // A click while expanded: the panel hides at once, the window narrows to 617, then the
  // notice hides.
  Click(p.tab);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(p.panel); }, 2000));
  samples = Watch(p, [](const Sample& s) { return s.width == 617 && !s.notice; });
  EXPECT_GT(CheckSlide(samples, 795, 617), 10);
  for (const Sample& s : samples) EXPECT_FALSE(s.panel);
  harness::Sleep(300);
  rest = Look(p);
  EXPECT_EQ(rest.width, 617);
  EXPECT_EQ(rest.tab_left, 584);
  EXPECT_FALSE(rest.panel || rest.notice);
  EXPECT_TRUE(WaitUntil([&] {
    const std::string c = ChangingText(p.tab);
    return c == kOpenA || c == kOpenB;
  }));

  // A click while widening turns the slide round at once: back to 617, the panel never shown.
  Click(p.tab);
  samples = Watch(p, [](const Sample& s) { return s.width >= 701; });
  ASSERT_GE(samples.back().width, 701);
  Click(p.tab);
  const int turned_at = Look(p).width;
  std::vector<Sample> back = Watch(p, [](const Sample& s) { return s.width == 617 && !s.notice; });
  samples.insert(samples.end(), back.begin(), back.end());
  auto widest = samples.begin();
  for (auto s = samples.begin(); s != samples.end(); ++s) {
    if (s->width > widest->width) widest = s;
    EXPECT_FALSE(s->panel);
  }
  EXPECT_LE(widest->width, turned_at + 2) << "no more than the step under way at the click";
  EXPECT_GT(CheckSlide({widest, samples.end()}, widest->width, 617), 10);
  EXPECT_EQ(samples.back().width, 617);
  EXPECT_FALSE(samples.back().notice);
}

}  // namespace
