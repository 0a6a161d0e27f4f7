// The units the runtime paints itself, on screen: the transparent label and how it keeps what
// lies behind it, the label's gradient frame, the divider, the picture box layouts and the
// picture button.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/values.h"
#include "runtime/properties.h"
#include "tests/win/draw_support.h"
#include "tests/win/drawn_units_support.h"

namespace rc::drawn_test {
namespace {

constexpr uint32_t kBack = 0x00E0C0A0;  // the window's background: RGB(160, 192, 224)
constexpr COLORREF kBackRgb = RGB(0xA0, 0xC0, 0xE0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

bool Dark(COLORREF c) {
  return GetRValue(c) < 96 && GetGValue(c) < 96 && GetBValue(c) < 96;
}

// Rows of `r` that hold dark (text) pixels, as the first and last such row; {-1, -1} if none.
std::pair<int, int> InkRows(const Shot& shot, const RECT& r) {
  int first = -1, last = -1;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (Dark(shot.at(x, y))) {
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
  }
  return {first, last};
}

int CountWhere(const Shot& shot, const RECT& r, bool (*pred)(COLORREF)) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) n += pred(shot.at(x, y)) ? 1 : 0;
  }
  return n;
}

forms::TransLabelData TransLabel(const char* caption, int font_size = 0) {
  forms::TransLabelData d;
  d.caption = caption;
  d.text_colour = 0x000000;
  if (font_size > 0) d.font = FontOfSize(font_size, true);
  return d;
}

forms::SuperBtnData ColouredButton() {
  forms::SuperBtnData d;
  d.button_style = 2;  // flat: no edge, so the whole button shows the state's background
  d.use_default_colours = 0;
  d.background_colour_normal = 0x00FFFF;
  d.background_colour_mouse_over = 0xFF00FF;
  d.background_colour_pressed = 0xFFFF00;
  return d;
}

forms::SplitterBarData Splitter(uint32_t colour) {
  forms::SplitterBarData d;
  d.colour = colour;
  return d;
}

using DrawnTransLabel = DrawnUnitsTest;

TEST_F(DrawnTransLabel, EmptyCaptionLeavesWhatLiesBehindVisible) {
  constexpr uint32_t kLabel = 0x16000210, kBar = 0x16000211;
  HWND window = Show({UnitRecord(kLabel, TransLabel("", 30), {20, 20, 200, 60}),
                      UnitRecord(kBar, Splitter(0x0000FF), {40, 40, 100, 12})});
  ASSERT_NE(window, nullptr);
  const RECT label = {20, 20, 220, 80};
  const RECT bar_inside = {41, 41, 139, 51};
  auto check = [&](const char* when) {
    Shot shot = CaptureClient(window);
    EXPECT_EQ(CountWhere(shot, bar_inside, [](COLORREF c) { return Near(c, RGB(255, 0, 0)); }),
              98 * 10)
        << when << ": the divider under an empty label shows whole";
    EXPECT_EQ(CountWhere(shot, label, Dark), 0) << when << ": an empty label draws no text";
    EXPECT_TRUE(Near(shot.at(25, 25), kBackRgb))
        << when << ": the window background shows through, not " << Describe(shot.at(25, 25));
  };
  check("after loading");
  WriteText(kLabel, props::trans_label::kCaption.index, "MMMM");
  Pump(50);
  EXPECT_GT(CountWhere(CaptureClient(window), label, Dark), 50) << "the caption is drawn";
  WriteText(kLabel, props::trans_label::kCaption.index, "");
  Pump(50);
  check("after the caption was emptied again");
}

TEST_F(DrawnTransLabel, LineBreaksMakeLinesOnlyWithWordWrap) {
  constexpr uint32_t kWrapped = 0x16000210, kSingle = 0x16000211;
  const char* caption = "岚川软件\r\n作者QQ：\r\n";
  forms::TransLabelData wrapped = TransLabel(caption, 20);
  wrapped.word_wrap = 1;
  forms::TransLabelData single = TransLabel(caption, 20);
  single.word_wrap = 0;
  single.vertical_alignment = 1;
  HWND window = Show({UnitRecord(kWrapped, wrapped, {10, 10, 240, 100}),
                      UnitRecord(kSingle, single, {10, 120, 240, 100})},
                     320, 240);
  ASSERT_NE(window, nullptr);
  Shot shot = CaptureClient(window);

  auto [s_first, s_last] = InkRows(shot, RECT{10, 120, 250, 220});
  ASSERT_GE(s_first, 0) << "the single-line label draws its text";
  const int line = s_last - s_first + 1;
  EXPECT_LT(line, 30) << "without word wrap the caption is one line of a 20-pixel font";
  EXPECT_NEAR((s_first + s_last) / 2, 170, 8) << "and that line is centred vertically";

  auto [w_first, w_last] = InkRows(shot, RECT{10, 10, 250, 110});
  ASSERT_GE(w_first, 0) << "the wrapped label draws its text";
  EXPECT_LT(w_first, 10 + 12) << "wrapped text starts at the top";
  EXPECT_GT(w_last - w_first + 1, line + 10)
      << "with word wrap the line break starts a second line below the first";
}

// Captions on one line (a transparent label without word wrap, a picture button) look exactly as
// they would without their line breaks, wherever these stand; the stored caption keeps them.
using DrawnOneLine = DrawnUnitsTest;

TEST_F(DrawnOneLine, CaptionsShowTheirLineBreaksAsNothing) {
  const std::string kCaptions[] = {"可以快捷选择时间！\r\n", "\r\nMW 岚川", "岚川\r\n软件",
                                   "\nMW\r"};
  std::vector<forms::RecordModel> units;
  for (uint32_t i = 0; i < 4; ++i) {
    for (uint32_t j = 0; j < 2; ++j) {  // as stored, then without the breaks beside it
      std::string caption = kCaptions[i];
      if (j == 1)
        caption.erase(std::remove_if(caption.begin(), caption.end(),
                                     [](char c) { return c == '\r' || c == '\n'; }),
                      caption.end());
      forms::TransLabelData label = TransLabel(caption.c_str(), 16);
      label.horizontal_alignment = label.vertical_alignment = 1;
      forms::SuperBtnData button = ColouredButton();
      button.caption = caption;
      button.font = FontOfSize(16, true);
      const int left = 10 + int(j) * 160, top = 10 + int(i) * 36;
      units.push_back(UnitRecord(0x16000220 + i * 4 + j * 2, label, {left, top, 150, 30}));
      units.push_back(UnitRecord(0x16000221 + i * 4 + j * 2, button, {left + 320, top, 150, 30}));
    }
  }
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  HWND window = Show(std::move(units), 660, 160);
  ASSERT_NE(window, nullptr);
  SetFocus(window);  // no focus rectangle on a button
  const Shot shot = FullRepaint(window);
  for (uint32_t i = 0; i < 4; ++i) {
    for (int left : {10, 330}) {
      const RECT r{left, 10 + int(i) * 36, left + 150, 40 + int(i) * 36};
      int differ = 0;
      for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) differ += shot.at(x, y) != shot.at(x + 160, y);
      }
      EXPECT_EQ(differ, 0) << "caption " << i << (left == 10 ? " on a label" : " on a button")
                           << " looks as it does without its line breaks";
      EXPECT_GT(CountWhere(shot, r, Dark), 20) << "caption " << i << " is drawn";
    }
    EXPECT_EQ(ReadText(0x16000220 + i * 4, props::trans_label::kCaption.index), kCaptions[i]);
    EXPECT_EQ(ReadText(0x16000221 + i * 4, props::super_btn::kCaption.index), kCaptions[i]);
  }
}

TEST_F(DrawnTransLabel, EveryChangeLeavesWhatAFullRepaintShows) {
  constexpr uint32_t kLabel = 0x16000210, kBelow = 0x16000211;
  forms::LabelData below;
  below.background_colour = 0x0000C000;
  HWND window = Show({UnitRecord(kLabel, TransLabel("MMMM", 40), {30, 30, 220, 70}),
                      UnitRecord(kBelow, below, {120, 50, 160, 80})});
  ASSERT_NE(window, nullptr);
  const struct {
    const char* change;
    int32_t index;
    uint32_t value;
    const char* text;
  } changes[] = {
      {"moved one pixel left", props::kLeft.index, 29, nullptr},
      {"moved one pixel left again", props::kLeft.index, 28, nullptr},
      {"moved one pixel right", props::kLeft.index, 29, nullptr},
      {"moved one pixel down", props::kTop.index, 31, nullptr},
      {"a shorter caption", props::trans_label::kCaption.index, 0, "MW"},
      {"aligned right", props::trans_label::kHorizontalAlignment.index, 2, nullptr},
      {"another text colour", props::trans_label::kTextColour.index, 0x000080, nullptr},
      {"a shadow", props::trans_label::kEffect.index, 3, nullptr},
      {"made narrower", props::kWidth.index, 150, nullptr},
  };
  Shot before = CaptureClient(window);
  for (const auto& c : changes) {
    SCOPED_TRACE(c.change);
    if (c.text != nullptr) {
      WriteText(kLabel, c.index, c.text);
    } else {
      Write(kLabel, c.index, c.value);
    }
    Pump(50);
    Shot after = CaptureClient(window);
    EXPECT_FALSE(after == before) << "the change shows";
    Shot clean = FullRepaint(window);
    int differing = 0;
    for (size_t i = 0; i < clean.pixels.size(); ++i)
      differing += after.pixels[i] != clean.pixels[i];
    EXPECT_EQ(differing, 0) << "no pixel of the old look may stay behind";
    before = clean;
  }
}

// The program's name display lies in a group box, its credits in a picture box: the label's
// repaint goes through its container's background and picture.
TEST_F(DrawnTransLabel, InsideContainersTheirBackgroundAndPictureAreRepainted) {
  constexpr uint32_t kName = 0x16000210, kGroup = 0x16000211, kCredits = 0x16000212,
                     kPicture = 0x16000213;
  forms::GroupBoxData group;
  group.caption = "被点人名";
  group.background_colour = 0x00FFFF;
  const std::vector<uint8_t> quad = draw::test::ReadPicture("quad.jpg");
  forms::PicBoxData picture;
  picture.display_mode = 1;
  picture.picture.assign(quad.begin(), quad.end());
  forms::TransLabelData credits = TransLabel("岚川软件\r\n作者QQ：\r\n", 12);
  credits.word_wrap = 1;
  HWND window = Show({Inside(kGroup, UnitRecord(kName, TransLabel("→ _ ←", 40), {8, 16, 200, 60})),
                      UnitRecord(kGroup, group, {8, 8, 220, 90}),
                      Inside(kPicture, UnitRecord(kCredits, credits, {0, 0, 64, 40})),
                      UnitRecord(kPicture, picture, {240, 8, 64, 56})},
                     320, 120);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(GetParent(Native(kName)), Native(kGroup));
  ASSERT_EQ(GetParent(Native(kCredits)), Native(kPicture));
  Shot shot = CaptureClient(window);
  EXPECT_TRUE(Near(shot.at(240 + 60, 8 + 52), RGB(255, 255, 255), 24))
      << "the picture shows beside the credits: " << Describe(shot.at(300, 60));
  EXPECT_TRUE(Near(shot.at(240 + 2, 8 + 38), RGB(0, 0, 255), 24))
      << "and between their lines: " << Describe(shot.at(242, 46));
  for (const char* name : {"张三", "李四", "→ _ ←"}) {
    SCOPED_TRACE(name);
    WriteText(kName, props::trans_label::kCaption.index, name);
    WriteText(kCredits, props::trans_label::kCaption.index, name);
    Pump(50);
    Shot after = CaptureClient(window);
    EXPECT_TRUE(after == FullRepaint(window)) << "the old name leaves no trace";
  }
}

// The program's banner: a label full of text scrolled through a group box a pixel at a time,
// in at the right, its end inside the box, over a divider inside the box, out at the left and
// round again, with new captions and colours of the label and the box on the way, at 96 DPI
// and laid anew at 192. What each step leaves equals a full repaint, the group box's frame and
// background and the divider included: nothing the label keeps of the box may go stale.
TEST_F(DrawnTransLabel, ScrolledThroughAGroupBoxEveryStepLeavesWhatAFullRepaintShows) {
  constexpr uint32_t kBanner = 0x16000210, kGroup = 0x16000211, kBar = 0x16000212;
  forms::TransLabelData banner = TransLabel("欢迎使用随机点名器，祝大家学习进步！", 12);
  banner.text_colour = 0x800000;
  forms::GroupBoxData group;
  group.background_colour = 0x00FFFF;
  enum Change { kNothing, kLabelCaption, kBoxColour, kBoxCaption, kBoxTextColour };
  const struct {
    const char* where;
    int from, steps;  // one-pixel steps to the left from `from`
    bool bar;         // the divider shows
    Change change;    // made before the second step
  } runs[] = {
      {"coming in at the right edge", 250, 4, true, kNothing},
      {"its end inside the box", 40, 4, true, kBoxColour},
      {"over the divider", 25, 4, true, kBoxCaption},
      {"over the divider hidden", 21, 2, false, kNothing},
      {"over the divider shown again", 19, 2, true, kBoxTextColour},
      {"past the left edge", -2, 4, true, kLabelCaption},
      {"its end at the left edge", -198, 3, true, kNothing},
      {"round again: back at the right", 270, 2, true, kBoxColour},
  };
  for (const int dpi : {96, 192}) {
    HWND window = Show({Inside(kGroup, UnitRecord(kBanner, banner, {254, 10, 200, 16})),
                        Inside(kGroup, UnitRecord(kBar, Splitter(0x0000FF), {10, 14, 20, 6})),
                        UnitRecord(kGroup, group, {20, 20, 248, 32})},
                       320, 80);
    ASSERT_NE(window, nullptr);
    if (dpi != 96) SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
    uint32_t colour = 0x00FFFF;
    for (const auto& run : runs) {
      Write(kBar, props::kVisible.index, run.bar ? 1 : 0);
      for (int step = 0; step < run.steps; ++step) {
        SCOPED_TRACE(std::string(run.where) + ", step " + std::to_string(step) + " at " +
                     std::to_string(dpi) + " DPI");
        Write(kBanner, props::kLeft.index, uint32_t(run.from - step));
        if (step == 1 && run.change == kLabelCaption)
          WriteText(kBanner, props::trans_label::kCaption.index, "MW");
        if (step == 1 && run.change == kBoxColour)
          Write(kGroup, props::group_box::kBackgroundColour.index, colour ^= 0x3F3F00);
        if (step == 1 && run.change == kBoxCaption)
          WriteText(kGroup, props::group_box::kCaption.index, "班级公告");
        if (step == 1 && run.change == kBoxTextColour)
          Write(kGroup, props::group_box::kTextColour.index, 0x0000FF);
        Pump(30);
        Shot after = CaptureClient(window);
        EXPECT_TRUE(after == FullRepaint(window)) << "the step leaves no trace and misses nothing";
      }
    }
  }
}

TEST_F(DrawnTransLabel, EffectsDrawTheirCopyBehindTheText) {
  const struct {
    int effect;
    bool white, black;
  } cases[] = {{0, false, false}, {1, true, false}, {2, true, false}, {3, false, true}};
  std::vector<forms::RecordModel> units;
  for (int i = 0; i < 4; ++i) {
    forms::TransLabelData d = TransLabel("MM", 30);
    d.effect = cases[i].effect;
    d.text_colour = 0x0000FF;  // red
    units.push_back(UnitRecord(0x16000210 + i, d, {10, 10 + 50 * i, 150, 45}));
  }
  HWND window = Show(units, 320, 240);
  ASSERT_NE(window, nullptr);
  Shot shot = CaptureClient(window);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE("effect " + std::to_string(cases[i].effect));
    RECT r = {10, 10 + 50 * i, 160, 55 + 50 * i};
    EXPECT_GT(CountWhere(shot, r, [](COLORREF c) { return Near(c, RGB(255, 0, 0), 40); }), 50);
    EXPECT_EQ(CountWhere(shot, r, [](COLORREF c) { return Near(c, RGB(255, 255, 255), 40); }) > 20,
              cases[i].white);
    EXPECT_EQ(CountWhere(shot, r, Dark) > 20, cases[i].black);
  }
}

using DrawnLabel = DrawnUnitsTest;

TEST_F(DrawnLabel, GradientFrameNeedsTwoColoursBesidesTheDefault) {
  constexpr uint32_t kTwo = 0x16000210, kOne = 0x16000211;
  forms::LabelData two;
  two.background_colour = 0xFFFFFF;
  two.border = 6;
  two.gradient_border_width = 8;
  two.border_colour1 = forms::kDefaultColour;
  two.border_colour2 = 0x008000;
  two.border_colour3 = 0x00FF00;
  forms::LabelData one = two;
  one.border_colour2 = forms::kDefaultColour;
  HWND window = Show(
      {UnitRecord(kTwo, two, {10, 10, 60, 40}), UnitRecord(kOne, one, {100, 10, 60, 40})}, 200, 80);
  ASSERT_NE(window, nullptr);
  Shot shot = CaptureClient(window);
  EXPECT_TRUE(Near(shot.at(10, 30), RGB(0, 128, 0)))
      << "the outer ring has the first usable colour, not " << Describe(shot.at(10, 30));
  EXPECT_TRUE(Near(shot.at(17, 30), RGB(0, 255, 0)))
      << "the inner ring the last, not " << Describe(shot.at(17, 30));
  EXPECT_TRUE(Near(shot.at(30, 10), RGB(0, 128, 0))) << "the frame runs along every side";
  EXPECT_TRUE(Near(shot.at(40, 30), RGB(255, 255, 255))) << "inside the frame: the background";
  for (int x : {100, 104, 107, 130}) {
    EXPECT_TRUE(Near(shot.at(x, 30), RGB(255, 255, 255)))
        << "one usable colour draws no frame (x " << x << "): " << Describe(shot.at(x, 30));
  }
}

TEST_F(DrawnLabel, CaptionIsInsetByTheFrameAndWidthWritesAreAtLeastFive) {
  constexpr uint32_t kLabel = 0x16000210;
  forms::LabelData d;
  d.background_colour = 0xFFFFFF;
  d.border = 6;
  d.gradient_border_width = 12;
  d.border_colour1 = 0xFF0000;
  d.border_colour2 = 0xFF0000;
  d.caption = "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM";
  d.font = FontOfSize(30, true);
  HWND window = Show({UnitRecord(kLabel, d, {10, 10, 120, 60})}, 200, 100);
  ASSERT_NE(window, nullptr);
  Shot shot = CaptureClient(window);
  EXPECT_EQ(CountWhere(shot, RECT{10, 10, 130, 22}, Dark), 0) << "no text over the frame";
  EXPECT_EQ(CountWhere(shot, RECT{10, 10, 22, 70}, Dark), 0);
  EXPECT_GT(CountWhere(shot, RECT{22, 22, 118, 58}, Dark), 100) << "the text inside it";

  Write(kLabel, props::label::kGradientBorderWidth.index, 3);
  EXPECT_EQ(Read(kLabel, props::label::kGradientBorderWidth.index), 5u)
      << "a frame width written below 5 becomes 5";
  Write(kLabel, props::label::kBorder.index, 2);
  EXPECT_TRUE(GetWindowLongW(Native(kLabel), GWL_STYLE) & WS_DLGFRAME)
      << "border 2 is the native dialog frame";
  Write(kLabel, props::label::kBorder.index, 9);
  EXPECT_EQ(Read(kLabel, props::label::kBorder.index), 6u) << "borders beyond 6 clamp to 6";
  EXPECT_FALSE(GetWindowLongW(Native(kLabel), GWL_STYLE) & (WS_DLGFRAME | WS_BORDER))
      << "the gradient frame has no native frame";
}

TEST_F(DrawnLabel, PictureModesAndGradientBackground) {
  const std::vector<uint8_t> quad = draw::test::ReadPicture("quad.jpg");  // 64 x 48
  auto with_picture = [&](int mode) {
    forms::LabelData d;
    d.background_colour = 0xFF00FF;
    d.picture_mode = mode;
    d.background_picture.assign(quad.begin(), quad.end());
    return d;
  };
  forms::LabelData gradient;
  gradient.gradient_mode = 1;  // left to right
  gradient.gradient_colour1 = 0x0000FF;
  gradient.gradient_colour2 = forms::kDefaultColour;
  gradient.gradient_colour3 = 0xFF0000;
  HWND window = Show({UnitRecord(0x16000210, with_picture(0), {0, 0, 150, 60}),
                      UnitRecord(0x16000211, with_picture(1), {0, 70, 150, 60}),
                      UnitRecord(0x16000212, with_picture(2), {0, 140, 150, 60}),
                      UnitRecord(0x16000213, gradient, {160, 0, 100, 20})},
                     300, 210);
  ASSERT_NE(window, nullptr);
  Shot shot = CaptureClient(window);
  const COLORREF red = RGB(255, 0, 0), white = RGB(255, 255, 255);
  const struct {
    int x, y;
    COLORREF want;
    const char* rule;
  } samples[] = {
      {16, 12, red, "mode 0: the picture at the top left"},
      {48, 36, white, "mode 0: in its own size"},
      {100, 20, kMagenta, "mode 0: the background beside it"},
      {16, 70 + 12, red, "mode 1: the first tile"},
      {64 + 16, 70 + 12, red, "mode 1: the next tile to the right"},
      {16, 70 + 48 + 4, red, "mode 1: the next tile below"},
      {75 - 32 + 16, 140 + 6 + 12, red, "mode 2: centred in its own size"},
      {10, 140 + 30, kMagenta, "mode 2: the background around it"},
      {161, 10, RGB(255, 0, 0), "gradient: the first usable colour at the left"},
      {258, 10, RGB(0, 0, 255), "gradient: the last at the right"},
      {210, 10, RGB(128, 0, 128), "gradient: an even mix between"},
  };
  for (const auto& p : samples) {
    EXPECT_TRUE(Near(shot.at(p.x, p.y), p.want, 24))
        << p.rule << ": " << Describe(shot.at(p.x, p.y));
  }
}

using DrawnSplitterBar = DrawnUnitsTest;

TEST_F(DrawnSplitterBar, DefaultColourIsARaisedButtonFaceStrip) {
  HWND window =
      Show({UnitRecord(0x16000210, Splitter(forms::kDefaultColour), {10, 10, 100, 8})}, 200, 40);
  ASSERT_NE(window, nullptr);
  Shot shot = CaptureClient(window);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 dark = GetSysColor(COLOR_BTNSHADOW);
  const struct {
    int x, y;
    COLORREF want;
    const char* rule;
  } points[] = {
      {50, 10, light, "top edge: highlight"}, {10, 14, light, "left edge: highlight"},
      {50, 17, dark, "bottom edge: shadow"},  {109, 14, dark, "right edge: shadow"},
      {50, 14, face, "inside: button face"},  {30, 12, face, "inside: button face"},
  };
  for (const auto& p : points) {
    EXPECT_TRUE(Near(shot.at(p.x, p.y), p.want, 2))
        << p.rule << ", got " << Describe(shot.at(p.x, p.y));
  }
}

using DrawnPicBox = DrawnUnitsTest;

forms::PicBoxData PicBox(const std::vector<uint8_t>& picture, int mode) {
  forms::PicBoxData d;
  d.background_colour = 0xFF00FF;
  d.display_mode = mode;
  d.picture.assign(picture.begin(), picture.end());
  return d;
}

// Pixels of a picture box client area (offset by its place in the window) and the quadrant
// colour expected there.
struct Sample {
  int x, y;
  COLORREF want;
};

TEST_F(DrawnPicBox, DisplayModesPlaceTheJpeg) {
  const std::vector<uint8_t> quad = draw::test::ReadPicture("quad.jpg");  // 64 x 48
  std::vector<uint8_t> broken(quad.begin(), quad.begin() + quad.size() * 3 / 4);
  const COLORREF red = RGB(255, 0, 0), lime = RGB(0, 255, 0), blue = RGB(0, 0, 255),
                 white = RGB(255, 255, 255);
  const struct {
    const char* what;
    forms::Geometry at;
    forms::PicBoxData data;
    std::vector<Sample> samples;
  } boxes[] = {
      {"mode 0: own size at the top left",
       {0, 0, 128, 96},
       PicBox(quad, 0),
       {{16, 12, red},
        {48, 12, lime},
        {16, 36, blue},
        {48, 36, white},
        {100, 20, kMagenta},
        {20, 80, kMagenta}}},
      {"mode 1: stretched over the box",
       {140, 0, 128, 96},
       PicBox(quad, 1),
       {{32, 24, red},
        {96, 24, lime},
        {32, 72, blue},
        {96, 72, white},
        {2, 2, red},
        {125, 93, white}}},
      {"mode 2: centred in its own size",
       {0, 110, 128, 96},
       PicBox(quad, 2),
       {{48, 36, red},
        {80, 36, lime},
        {48, 60, blue},
        {80, 60, white},
        {10, 10, kMagenta},
        {118, 86, kMagenta}}},
      {"mode 2: shrunk to the narrow box, then centred",
       {140, 110, 32, 48},
       PicBox(quad, 2),
       {{8, 18, red},
        {24, 18, lime},
        {8, 30, blue},
        {24, 30, white},
        {16, 3, kMagenta},
        {16, 45, kMagenta}}},
      {"a cut JPEG shows nothing",
       {190, 110, 64, 48},
       PicBox(broken, 1),
       {{5, 5, kMagenta}, {32, 24, kMagenta}, {60, 44, kMagenta}}},
      {"a display mode beyond 2 is 2",
       {260, 110, 128, 96},
       PicBox(quad, 7),
       {{48, 36, red}, {80, 60, white}, {10, 10, kMagenta}}},
  };
  std::vector<forms::RecordModel> units;
  for (size_t i = 0; i < std::size(boxes); ++i) {
    units.push_back(UnitRecord(uint32_t(0x16000210 + i), boxes[i].data, boxes[i].at));
  }
  HWND window = Show(units, 400, 220, kBack);
  ASSERT_NE(window, nullptr);
  Shot shot = CaptureClient(window);
  for (const auto& box : boxes) {
    SCOPED_TRACE(box.what);
    for (const Sample& s : box.samples) {
      COLORREF got = shot.at(box.at.left + s.x, box.at.top + s.y);
      EXPECT_TRUE(Near(got, s.want, 24))
          << "at (" << s.x << ", " << s.y << "): " << Describe(got) << ", not " << Describe(s.want);
    }
  }
}

TEST_F(DrawnPicBox, ADifferentModeRepaintsAtOnceAndModesClamp) {
  constexpr uint32_t kBox = 0x16000210;
  const std::vector<uint8_t> quad = draw::test::ReadPicture("quad.jpg");
  HWND window = Show({UnitRecord(kBox, PicBox(quad, 0), {0, 0, 128, 96})}, 200, 120);
  ASSERT_NE(window, nullptr);
  Write(kBox, props::pic_box::kDisplayMode.index, 1);
  RECT pending;
  EXPECT_FALSE(GetUpdateRect(Native(kBox), &pending, FALSE))
      << "writing another display mode paints at once, nothing is left for later";
  Pump(50);
  EXPECT_TRUE(Near(CaptureClient(window).at(125, 93), RGB(255, 255, 255), 24)) << "now stretched";
  Write(kBox, props::pic_box::kDisplayMode.index, 5);
  EXPECT_EQ(Read(kBox, props::pic_box::kDisplayMode.index), 2u) << "a mode above 2 is stored as 2";
  Write(kBox, props::pic_box::kDisplayMode.index, uint32_t(-4));
  EXPECT_EQ(Read(kBox, props::pic_box::kDisplayMode.index), 0u) << "a negative mode is stored as 0";
}

using DrawnSuperBtn = DrawnUnitsTest;

// A picture box is a container: a button inside it notifies the box, which hands the click
// and the drawing request to the button.
TEST_F(DrawnPicBox, UnitsInsideGetTheirNotificationsThroughTheBox) {
  constexpr uint32_t kButton = 0x16000210, kBox = 0x16000211;
  HWND window = Show({Inside(kBox, UnitRecord(kButton, ColouredButton(), {10, 10, 40, 30})),
                      UnitRecord(kBox, PicBox({}, 0), {20, 20, 100, 60})},
                     160, 100);
  ASSERT_NE(window, nullptr);
  HWND button = Native(kButton);
  ASSERT_EQ(GetParent(button), Native(kBox));
  SetCursorPos(500, 500);
  Pump(50);
  EXPECT_TRUE(Near(CaptureClient(window).at(20 + 30, 20 + 25), RGB(255, 255, 0)))
      << "the button is drawn by its unit";
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_EQ(EventsOf(kButton), 1u) << "its click raises its event";
}

struct FoundTooltip {
  HWND button;
  std::wstring text = L"(none)";
};

BOOL CALLBACK FindTooltip(HWND hwnd, LPARAM lp) {
  auto* found = reinterpret_cast<FoundTooltip*>(lp);
  wchar_t cls[64];
  GetClassNameW(hwnd, cls, 64);
  if (lstrcmpiW(cls, TOOLTIPS_CLASSW) != 0) return TRUE;
  wchar_t text[256] = {};
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.lpszText = text;
  if (SendMessageW(hwnd, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)) &&
      tool.uId == reinterpret_cast<UINT_PTR>(found->button)) {
    found->text = text;
    return FALSE;
  }
  return TRUE;
}

// The text of the tooltip of a button, or "(none)".
std::wstring TooltipText(HWND button) {
  FoundTooltip found{button};
  EnumThreadWindows(GetCurrentThreadId(), &FindTooltip, reinterpret_cast<LPARAM>(&found));
  return found.text;
}

TEST_F(DrawnSuperBtn, ClickRaisesEventZeroAndTheTooltipFollowsItsProperty) {
  constexpr uint32_t kButton = 0x16000210;
  forms::SuperBtnData d = ColouredButton();
  d.caption = "皮肤";
  d.tooltip = "更换皮肤";
  HWND window = Show({UnitRecord(kButton, d, {10, 10, 31, 30})}, 120, 60);
  ASSERT_NE(window, nullptr);
  HWND button = Native(kButton);
  SendMessageW(button, BM_CLICK, 0, 0);
  Pump(0);
  EXPECT_EQ(EventsOf(kButton), 1u) << "a click raises event 0 once";

  EXPECT_EQ(TooltipText(button), L"更换皮肤");
  WriteText(kButton, props::super_btn::kTooltip.index, "新的提示");
  EXPECT_EQ(TooltipText(button), L"新的提示") << "writing the tooltip changes it at once";
  WriteText(kButton, props::super_btn::kTooltip.index, "");
  EXPECT_EQ(TooltipText(button), L"(none)") << "an empty tooltip is no tooltip";
  WriteText(kButton, props::super_btn::kTooltip.index, "又有了");
  EXPECT_EQ(TooltipText(button), L"又有了");
}

TEST_F(DrawnSuperBtn, CheckBoxModeTogglesAndRecreatesTheButton) {
  constexpr uint32_t kButton = 0x16000210;
  HWND window = Show({UnitRecord(kButton, ColouredButton(), {10, 10, 40, 30})}, 120, 60);
  ASSERT_NE(window, nullptr);
  HWND before = Native(kButton);
  Write(kButton, props::super_btn::kCheckBoxMode.index, 1);
  HWND after = Native(kButton);
  ASSERT_NE(after, nullptr);
  EXPECT_NE(after, before) << "check-box mode takes a new native button";
  SendMessageW(after, BM_CLICK, 0, 0);
  EXPECT_EQ(Read(kButton, props::super_btn::kChecked.index), 1u) << "a click checks the button";
  SendMessageW(after, BM_CLICK, 0, 0);
  EXPECT_EQ(Read(kButton, props::super_btn::kChecked.index), 0u) << "a second one unchecks it";
  EXPECT_EQ(EventsOf(kButton), 2u) << "and each one is a click";
  Write(kButton, props::super_btn::kChecked.index, 1);
  Pump(50);
  EXPECT_TRUE(Near(CaptureClient(window).at(30, 25), RGB(0, 255, 255)))
      << "a checked button looks pressed";
  Write(kButton, props::super_btn::kDefaultPushButton.index, 1);
  EXPECT_NE(Native(kButton), after) << "the default-button option also takes a new button";
  EXPECT_EQ(Read(kButton, props::super_btn::kChecked.index), 1u)
      << "the new button keeps the state of the old";
}

TEST_F(DrawnSuperBtn, StatesShowTheirColours) {
  constexpr uint32_t kButton = 0x16000210;
  HWND window = Show({UnitRecord(kButton, ColouredButton(), {10, 10, 40, 30})}, 200, 100);
  ASSERT_NE(window, nullptr);
  HWND button = Native(kButton);
  // The colour at the button's centre once it shows `want` (the end of mouse tracking is
  // polled by the system), or what it shows after a second.
  auto centre = [&](COLORREF want) {
    COLORREF got = 0;
    for (int i = 0; i < 25; ++i) {
      Pump(50);
      got = CaptureClient(window).at(30, 25);
      if (Near(got, want, 2)) break;
    }
    return got;
  };
  SetCursorPos(300, 300);
  EXPECT_TRUE(Near(centre(RGB(255, 255, 0)), RGB(255, 255, 0))) << "normal: colour 25";
  POINT over{20, 15};
  ClientToScreen(button, &over);
  SetCursorPos(over.x, over.y);
  EXPECT_TRUE(Near(centre(RGB(255, 0, 255)), RGB(255, 0, 255))) << "mouse over: colour 27";
  SendMessageW(button, BM_SETSTATE, TRUE, 0);
  EXPECT_TRUE(Near(centre(RGB(0, 255, 255)), RGB(0, 255, 255))) << "pressed: colour 29";
  SendMessageW(button, BM_SETSTATE, FALSE, 0);
  SetCursorPos(300, 300);
  EXPECT_TRUE(Near(centre(RGB(255, 255, 0)), RGB(255, 255, 0))) << "the mouse gone: normal again";
  Write(kButton, props::super_btn::kBackgroundColourNormal.index, forms::kDefaultColour);
  EXPECT_EQ(Read(kButton, props::super_btn::kBackgroundColourNormal.index),
            uint32_t(GetSysColor(COLOR_BTNFACE)))
      << "the default colour is stored as the button face";
  Write(kButton, props::super_btn::kUseDefaultColours.index, 1);
  EXPECT_TRUE(Near(centre(GetSysColor(COLOR_BTNFACE)), GetSysColor(COLOR_BTNFACE), 2))
      << "default colours: button face";
}

TEST_F(DrawnSuperBtn, IconPictureIsShrunkCentredBlendedAndMakesRoomForTheCaption) {
  constexpr uint32_t kAlone = 0x16000210, kCaptioned = 0x16000211, kSmall = 0x16000212;
  forms::SuperBtnData d = ColouredButton();
  const std::vector<uint8_t> icon = draw::test::ReadPicture("png256.ico");
  d.picture1.assign(icon.begin(), icon.end());
  forms::SuperBtnData captioned = d;
  captioned.caption = "皮肤";
  HWND window = Show(
      {UnitRecord(kAlone, d, {10, 10, 40, 40}), UnitRecord(kCaptioned, captioned, {60, 10, 40, 40}),
       UnitRecord(kSmall, captioned, {110, 10, 31, 30})},
      160, 60);
  ASSERT_NE(window, nullptr);
  SetCursorPos(500, 500);
  Pump(50);
  Shot shot = CaptureClient(window);
  // Alone: the 256 x 256 picture (red, lime at half alpha / blue, clear) fills the 34 x 34
  // content at (13, 13).
  const struct {
    int x, y;
    COLORREF want;
    const char* what;
  } alone[] = {
      {13 + 8, 13 + 8, RGB(255, 0, 0), "red quadrant"},
      {13 + 25, 13 + 8, RGB(128, 255, 0), "half-transparent lime over the yellow background"},
      {13 + 8, 13 + 25, RGB(0, 0, 255), "blue quadrant"},
      {13 + 25, 13 + 25, RGB(255, 255, 0), "the clear quadrant shows the background"},
      {11, 11, RGB(255, 255, 0), "the margin is background"},
  };
  for (const auto& p : alone) {
    EXPECT_TRUE(Near(shot.at(p.x, p.y), p.want, 24))
        << p.what << ": " << Describe(shot.at(p.x, p.y));
  }
  auto red = [](COLORREF c) { return Near(c, RGB(255, 0, 0), 24); };
  // With a caption below it, the picture shrinks into the upper part.
  EXPECT_GT(CountWhere(shot, RECT{63, 13, 97, 30}, red), 10) << "the picture sits above";
  EXPECT_EQ(CountWhere(shot, RECT{63, 13, 97, 27}, Dark), 0) << "no caption over the picture";
  EXPECT_GT(CountWhere(shot, RECT{63, 30, 97, 47}, Dark), 10) << "the caption below it";
  // The program's 31 x 30 skin button has no room for both: the picture alone.
  EXPECT_GT(CountWhere(shot, RECT{113, 13, 138, 37}, red), 20) << "the small button's picture";
  EXPECT_EQ(CountWhere(shot, RECT{110, 10, 141, 40}, Dark), 0) << "and no caption squeezed in";
}

TEST_F(DrawnSuperBtn, PictureColourIsTransparentInPicturesWithoutAlpha) {
  const std::vector<uint8_t> bmp = draw::test::ReadPicture("quad24.bmp");  // 10 x 6
  forms::SuperBtnData keyed = ColouredButton();
  keyed.picture1.assign(bmp.begin(), bmp.end());
  keyed.picture1_colour = 0xFFFFFF;
  forms::SuperBtnData plain = keyed;
  plain.picture1_colour = forms::kDefaultColour;
  HWND window = Show({UnitRecord(0x16000210, keyed, {0, 0, 40, 40}),
                      UnitRecord(0x16000211, plain, {50, 0, 40, 40})},
                     100, 50);
  ASSERT_NE(window, nullptr);
  SetCursorPos(500, 500);
  Pump(50);
  Shot shot = CaptureClient(window);
  // The picture sits in its own size in the middle: (15, 17) to (25, 23).
  EXPECT_TRUE(Near(shot.at(16, 18), RGB(255, 0, 0))) << "red stays";
  EXPECT_TRUE(Near(shot.at(23, 22), RGB(255, 255, 0)))
      << "white is the picture's colour: the background shows: " << Describe(shot.at(23, 22));
  EXPECT_TRUE(Near(shot.at(50 + 23, 22), RGB(255, 255, 255)))
      << "with the default colour nothing is transparent";
}

using DrawnUnitsSave = DrawnUnitsTest;

// The save operation gives the current data, so that a re-created unit looks as before.
TEST_F(DrawnUnitsSave, SaveWritesTheCurrentTypeData) {
  constexpr uint32_t kTrans = 0x16000210, kLabel = 0x16000211, kBox = 0x16000212, kBar = 0x16000213,
                     kButton = 0x16000214;
  HWND window = Show({UnitRecord(kTrans, TransLabel("a"), {0, 0, 50, 20}),
                      UnitRecord(kLabel, forms::LabelData{}, {0, 20, 50, 20}),
                      UnitRecord(kBox, forms::PicBoxData{}, {0, 40, 50, 20}),
                      UnitRecord(kBar, forms::SplitterBarData{}, {0, 60, 50, 8}),
                      UnitRecord(kButton, forms::SuperBtnData{}, {0, 70, 50, 20})});
  ASSERT_NE(window, nullptr);
  WriteText(kTrans, props::trans_label::kCaption.index, "新标题");
  Write(kLabel, props::label::kGradientBorderWidth.index, 2);
  Write(kBox, props::pic_box::kDisplayMode.index, 9);
  Write(kBar, props::splitter_bar::kFillColour.index, 0x123456);
  WriteText(kButton, props::super_btn::kTooltip.index, "提示");
  auto saved = [](uint32_t type_code, uint32_t unit, auto* out) {
    auto save = reinterpret_cast<SaveOp>(UnitOperation(type_code, kOpSave));
    ASSERT_NE(save, nullptr);
    uint32_t size = 0;
    void* block = save(FindLiveObject(kControlWindow, unit), &size);
    EXPECT_EQ(forms::ParseTypeDataAs(static_cast<const uint8_t*>(block), size, out),
              forms::TypeDataStatus::kOk);
    FreeMem(block);
  };
  forms::TransLabelData trans;
  saved(forms::kTypeTransLabel, kTrans, &trans);
  EXPECT_EQ(trans.caption, "新标题");
  forms::LabelData label;
  saved(forms::kTypeLabel, kLabel, &label);
  EXPECT_EQ(label.gradient_border_width, 5);
  forms::PicBoxData box;
  saved(forms::kTypePicBox, kBox, &box);
  EXPECT_EQ(box.display_mode, 2);
  forms::SplitterBarData bar;
  saved(forms::kTypeSplitterBar, kBar, &bar);
  EXPECT_EQ(bar.colour, 0x123456u);
  forms::SuperBtnData button;
  saved(forms::kTypeSuperBtn, kButton, &button);
  EXPECT_EQ(button.tooltip, "提示");
}

}  // namespace
}  // namespace rc::drawn_test
