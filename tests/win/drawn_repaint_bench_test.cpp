// How much a transparent label repaints when it moves by one pixel, as the banner does on every
// tick of a 5 ms timer: every pixel any window paints is recorded (erase, paint and frame, by
// subclassing each window of the test window), and must lie in the label's old or new
// rectangle. The cost of one step is measured and printed, not judged: it depends on the
// machine.
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "runtime/properties.h"
#include "tests/harness/paint_area.h"
#include "tests/win/drawn_units_support.h"

namespace rc::drawn_test {
namespace {

constexpr uint32_t kBanner = 0x16000210, kBar = 0x16000211, kStrip = 0x16000212,
                   kBeside = 0x16000213;

// The union, in screen coordinates, of everything the spied windows were asked to paint.
class PaintSpy {
 public:
  explicit PaintSpy(HWND top) : touched_(CreateRectRgn(0, 0, 0, 0)) {
    the_spy_ = this;
    Hook(top);
  }
  ~PaintSpy() {
    for (const auto& [hwnd, proc] : procs_) {
      if (IsWindow(hwnd)) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    }
    DeleteObject(touched_);
    the_spy_ = nullptr;
  }
  PaintSpy(const PaintSpy&) = delete;
  PaintSpy& operator=(const PaintSpy&) = delete;

  void Reset() { SetRectRgn(touched_, 0, 0, 0, 0); }
  HRGN touched() const { return touched_; }

 private:
  // The window and every window inside it.
  void Hook(HWND hwnd) {
    procs_[hwnd] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    for (HWND w = GetWindow(hwnd, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) Hook(w);
  }
  void Record(HWND hwnd, UINT msg, WPARAM wp) { harness::AddPainted(touched_, hwnd, msg, wp); }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    the_spy_->Record(hwnd, msg, wp);
    return CallWindowProcW(the_spy_->procs_[hwnd], hwnd, msg, wp, lp);
  }

  static inline PaintSpy* the_spy_ = nullptr;
  std::map<HWND, WNDPROC> procs_;
  HRGN touched_;
};

RECT ScreenRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r;
}

using DrawnRepaintBench = DrawnUnitsTest;

// The main window's banner: a 563 x 16 label scrolled through a 248 x 32 container, most of it
// outside; a divider under it inside the container, and a label beside the container that the
// banner's rectangle (but not what shows of it) reaches into.
TEST_F(DrawnRepaintBench, OnePixelMoveTouchesOnlyTheOldAndNewRectangles) {
  forms::TransLabelData banner;
  banner.caption = "欢迎使用随机点名器，祝大家学习进步！欢迎使用随机点名器";
  banner.font = FontOfSize(12, true);
  banner.text_colour = 0x800000;
  forms::PicBoxData strip;
  forms::SplitterBarData bar;
  bar.colour = 0x008000;
  forms::LabelData beside;
  beside.background_colour = 0x00C0FFC0;
  beside.caption = "旁边的标签";
  HWND window = Show({Inside(kStrip, UnitRecord(kBanner, banner, {100, 10, 563, 16})),
                      Inside(kStrip, UnitRecord(kBar, bar, {20, 14, 200, 8})),
                      UnitRecord(kStrip, strip, {80, 336, 248, 32}),
                      UnitRecord(kBeside, beside, {336, 336, 210, 32})},
                     617, 407, forms::kDefaultColour);
  ASSERT_NE(window, nullptr);
  HWND label = Native(kBanner);
  ASSERT_EQ(GetParent(label), Native(kStrip)) << "the banner lies in its container";
  const RECT beside_rect = ScreenRect(Native(kBeside));
  HRGN beside_region = CreateRectRgnIndirect(&beside_rect);

  constexpr int kSteps = 60;
  int64_t most = 0, total = 0;
  {
    PaintSpy spy(window);
    int left = 100;
    for (int step = 0; step < kSteps; ++step) {
      RECT old_rect = ScreenRect(label);
      spy.Reset();
      WriteProperty(kControlWindow, kBanner, props::kLeft.index, -1, uint32_t(--left), 0);
      Pump(0);
      RECT new_rect = ScreenRect(label);
      HRGN allowed = CreateRectRgnIndirect(&old_rect);
      HRGN fresh = CreateRectRgnIndirect(&new_rect);
      CombineRgn(allowed, allowed, fresh, RGN_OR);
      HRGN outside = CreateRectRgn(0, 0, 0, 0);
      const int kind = CombineRgn(outside, spy.touched(), allowed, RGN_DIFF);
      EXPECT_EQ(kind, NULLREGION) << "step " << step << ": " << harness::RegionArea(outside)
                                  << " pixels painted outside the old and new rectangles";
      const int64_t area = harness::RegionArea(spy.touched());
      EXPECT_GT(area, 0) << "step " << step << ": the move repaints something";
      HRGN shared = CreateRectRgn(0, 0, 0, 0);
      EXPECT_EQ(CombineRgn(shared, spy.touched(), beside_region, RGN_AND), NULLREGION)
          << "step " << step << ": the label beside the container is not repainted";
      DeleteObject(shared);
      most = std::max(most, area);
      total += area;
      DeleteObject(outside);
      DeleteObject(fresh);
      DeleteObject(allowed);
    }
  }

  // The cost of a step without the spy: the write with its repaints, and the queued paint of
  // the strip the label left.
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  constexpr int kTimedSteps = 400;
  int left = 40;
  QueryPerformanceCounter(&start);
  for (int step = 0; step < kTimedSteps; ++step) {
    WriteProperty(kControlWindow, kBanner, props::kLeft.index, -1, uint32_t(--left), 0);
    Pump(0);
  }
  QueryPerformanceCounter(&end);
  const double micros =
      double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart) / kTimedSteps;
  std::printf(
      "[ bench    ] TransLabel 563x16 scrolled through a 248x32 container by one pixel: %lld "
      "pixels touched per step on average, at most %lld (the label's rectangle is %d, what shows "
      "of it at most %d); %.1f us per step\n",
      static_cast<long long>(total / kSteps), static_cast<long long>(most), 563 * 16, 248 * 16,
      micros);
  DeleteObject(beside_region);
  RecordProperty("pixels_per_step", int(total / kSteps));
  RecordProperty("microseconds_per_step", int(micros));
}

}  // namespace
}  // namespace rc::drawn_test
