// Every text of the main window stands out from what it is drawn on, in every skin: measured
// from screenshots of the real program with a called name, the side panel open and the answer
// timer off. The skins come from the skin button, clicked until each has been seen; each is
// recognised by its face colour. Text in the program's own colour that stood out already is
// drawn in exactly that colour.
//
// ROLLCALL_SKIN_GALLERY=<folder> also saves each skin's picture there (NN.png) and a line per
// skin in contrast.txt: number, name, lowest ratio of normal and of large text
// (scripts/skin_gallery.sh).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>

#include "tests/e2e/robust_support.h"
#include "tests/source_root.h"

namespace {

using namespace robust;

// Pupils of one name: whoever is called, the picture is the same, so that pictures of two runs
// compare.
constexpr char kClassList[] =
    "[全班人名：]\r\n1=王小明\r\n2=王小明\r\n3=王小明\r\n"
    "[广告：]\r\n内容=欢迎同学们积极回答问题，答对的同学加一分，答错了也没关系，大家一起想一想\r\n"
    "[Running State]\r\nFirst run=no\r\n";

struct SkinInfo {
  int number;
  std::string name;
  uint32_t face;  // 0x00RRGGBB
};

std::vector<SkinInfo> ShippedSkins() {
  std::ifstream in(rc::test::SourcePath("skin/skins.txt"));
  std::vector<SkinInfo> skins;
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find("face=#");
    if (line.empty() || line[0] == '#' || at == std::string::npos) continue;
    std::istringstream fields(line);
    SkinInfo s;
    int size;
    fields >> s.number >> size >> s.name;
    s.face = uint32_t(std::stoul(line.substr(at + 6, 6), nullptr, 16));
    skins.push_back(s);
  }
  return skins;
}

double Luminance(uint32_t c) {
  auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin((c >> 16) & 255) + 0.7152 * lin((c >> 8) & 255) + 0.0722 * lin(c & 255);
}
double Ratio(uint32_t a, uint32_t b) {
  const double la = Luminance(a) + 0.05, lb = Luminance(b) + 0.05;
  return la > lb ? la / lb : lb / la;
}
int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift : {0, 8, 16})
    d = std::max(d, std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)));
  return d;
}

// A text of the window: where it is (client coordinates of the main window), how large, and
// the colour the program gives it (none: the skin's own).
struct Text {
  const char* what;
  RECT area;
  bool large;
  bool body;  // drawn on a button's body: the background is taken down its left edge
  uint32_t program_colour;
};
constexpr uint32_t kSkinColour = 0xFFFFFFFF;

struct Measured {
  bool found = false;
  uint32_t text = 0, back = 0;  // the text's colour and the background it is measured on
  double ratio = 0;
};

// The background is the area's most common colour; on a button's body, whose colours change
// down it, every colour down its left edge, and the text is measured on the darkest of them.
// The text's colour is the one that stands out most among the colours far from the
// background that many pixels show (thin strokes are mostly smoothed edges).
Measured Measure(const Image& shot, const RECT& a, bool body) {
  std::map<uint32_t, int> count;
  for (int y = a.top; y < a.bottom; ++y) {
    for (int x = a.left; x < a.right; ++x) ++count[shot.at(x, y)];
  }
  Measured m;
  std::vector<uint32_t> backs;  // by row on a body
  int most = 0;
  for (auto [c, n] : count) {
    if (n > most) most = n, m.back = c;
  }
  if (body) {
    for (int y = a.top; y < a.bottom; ++y) backs.push_back(shot.at(a.left, y));
    m.back = backs[0];
    for (uint32_t b : backs) m.back = Luminance(b) < Luminance(m.back) ? b : m.back;
  } else {
    backs.push_back(m.back);
  }
  // Text pixels: far from the background of their row.
  std::map<uint32_t, int> text;
  int total = 0;
  for (int y = a.top; y < a.bottom; ++y) {
    for (int x = a.left; x < a.right; ++x) {
      const uint32_t c = shot.at(x, y);
      if (Distance(c, backs[body ? y - a.top : 0]) > 40) ++text[c], ++total;
    }
  }
  for (auto [c, n] : text) {
    if (n < std::max(4, total / 40)) continue;
    if (!m.found || Ratio(c, m.back) > m.ratio) m.text = c, m.ratio = Ratio(c, m.back);
    m.found = true;
  }
  return m;
}

// A unit's rectangle as far as its parent shows it.
RECT AreaOf(HWND main, HWND unit, int inset) {
  RECT r, parent;
  GetWindowRect(unit, &r);
  GetClientRect(GetParent(unit), &parent);
  MapWindowPoints(GetParent(unit), HWND_DESKTOP, reinterpret_cast<POINT*>(&parent), 2);
  IntersectRect(&r, &r, &parent);
  MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&r), 2);
  InflateRect(&r, -inset, -inset);
  return r;
}

TEST(SkinContrastScenario, EveryTextStandsOutInEverySkin) {
  const std::vector<SkinInfo> skins = ShippedSkins();
  ASSERT_EQ(skins.size(), 33u);
  Program p(kClassList);
  ASSERT_TRUE(p.Start()) << "the main window and its units";
  ASSERT_TRUE(p.OpenPanel());
  ASSERT_TRUE(p.Touch());
  harness::Sleep(300);
  ASSERT_TRUE(p.Touch());
  ASSERT_TRUE(WaitUntil([&] { return WindowText(p.button) == kStart; }, 3000)) << "a name called";
  // The side panel's units and the bottom strip, found by their texts.
  std::map<std::string, HWND> unit;
  for (const Control& c : Children(p.main)) {
    if (!c.visible) continue;
    if (c.cls == "Label" && c.text.find("年") != std::string::npos) unit["clock"] = c.hwnd;
    if (c.cls == "SplitterBar") unit["divider"] = c.hwnd;
    if (!c.text.empty() && !unit.count(c.text)) unit[c.text] = c.hwnd;
  }
  // (The answer timer's switch is disabled once a name is called: its caption is meant to
  // recede, as disabled captions do.)
  for (const char* t : {"clock", "divider", "计时器已关闭！", "60", "15秒", "60秒", "被点人名",
                        "计时器", "检查更新", "倒计时功能（新）"}) {
    ASSERT_TRUE(unit.count(t)) << "unit " << t;
  }
  auto caption = [&](const char* group) {
    RECT r = AreaOf(p.main, unit[group], 0);
    return RECT{r.left + 18, r.top + 1, r.left + 60, r.top + 16};
  };
  auto radio = [&](const char* text) {
    RECT r = AreaOf(p.main, unit[text], 0);
    r.left += 20;
    return r;
  };
  const RECT divider = AreaOf(p.main, unit["divider"], 0);
  RECT state = AreaOf(p.main, unit["计时器已关闭！"], 0);
  state.bottom = std::min(state.bottom, divider.top);  // the label reaches over the divider
  // The banner's strip is as tall as its bold text: the whole height, for the background to
  // show more than the text does.
  RECT banner = AreaOf(p.main, p.banner, 0);
  InflateRect(&banner, -3, 0);
  const std::vector<Text> texts = {
      {"called name", AreaOf(p.main, p.display, 0), true, false, Rgb(0, 0, 255)},
      {"start button", AreaOf(p.main, p.button, 8), true, true, kSkinColour},
      {"banner", banner, false, false, Rgb(0, 0, 128)},
      {"clock", AreaOf(p.main, unit["clock"], 0), false, false, Rgb(128, 0, 128)},
      {"timer state", state, false, false, Rgb(128, 0, 0)},
      {"seconds", AreaOf(p.main, unit["60"], 4), true, false, Rgb(0x58, 0x30, 0xE0)},
      {"15 s", radio("15秒"), false, false, Rgb(0, 0, 128)},
      {"60 s", radio("60秒"), false, false, Rgb(0, 0, 128)},
      {"names frame", caption("被点人名"), false, false, kSkinColour},
      {"panel frame", caption("计时器"), false, false, kSkinColour},
      {"update button", AreaOf(p.main, unit["检查更新"], 5), false, true, kSkinColour},
      {"countdown button", AreaOf(p.main, unit["倒计时功能（新）"], 5), false, true, kSkinColour},
  };

  const std::string gallery = EnvPath("ROLLCALL_SKIN_GALLERY");
  std::ofstream lines;
  if (!gallery.empty()) lines.open(gallery + "\\contrast.txt");
  std::set<int> seen;
  // Clicks until every skin has come up once (about 140 on average).
  for (int click = 0; click < 900 && seen.size() < skins.size(); ++click) {
    Click(p.skin);
    harness::Sleep(120);
    const Image shot = ClientShot(p.main);
    int skin = -1;
    for (size_t i = 0; i < skins.size(); ++i) {
      if (shot.at(2, 2) == skins[i].face) skin = int(i);
    }
    if (skin < 0 || seen.count(skin)) continue;
    // The repaint done: the same skin in a second picture.
    harness::Sleep(150);
    const Image settled = ClientShot(p.main);
    if (settled.at(2, 2) != skins[skin].face) continue;
    seen.insert(skin);
    const SkinInfo& s = skins[skin];
    double lowest[2] = {100, 100};  // normal text, large text
    for (const Text& t : texts) {
      Measured m = Measure(settled, t.area, t.body);
      // The banner leaves its strip empty for a moment on each pass.
      for (int again = 0; !m.found && again < 40; ++again) {
        harness::Sleep(100);
        m = Measure(ClientShot(p.main), t.area, t.body);
      }
      const double need = t.large ? 3.0 : 4.5;
      EXPECT_TRUE(m.found) << s.name << ": " << t.what << " shows no text";
      EXPECT_GE(m.ratio, need) << s.name << ": " << t.what << " must stand out from its background "
                               << std::hex << m.text << " on " << m.back;
      if (t.program_colour != kSkinColour && Ratio(t.program_colour, m.back) >= need) {
        EXPECT_EQ(m.text, t.program_colour)
            << s.name << ": " << t.what << " stood out in the program's colour, which stays ("
            << std::hex << m.text << "), on " << std::hex << m.back;
      }
      lowest[t.large] = std::min(lowest[t.large], m.ratio);
    }
    const uint32_t bar =
        settled.at((divider.left + divider.right) / 2, (divider.top + divider.bottom) / 2);
    EXPECT_GE(Ratio(bar, s.face), 3.0) << s.name << ": the divider must stand out from the face";
    if (!gallery.empty()) {
      char name[16];
      snprintf(name, sizeof name, "\\%02d.png", s.number);
      SavePng(Screenshot(p.main), gallery + name);
      lines << s.number << ' ' << s.name << std::fixed << std::setprecision(1) << ' ' << lowest[0]
            << ' ' << lowest[1] << '\n';
    }
  }
  EXPECT_EQ(seen.size(), skins.size()) << "every skin came up on the skin button";
  EXPECT_TRUE(p.Ends());
}

}  // namespace
