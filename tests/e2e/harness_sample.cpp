// The harness proves itself on a small sample program: windows, controls, message boxes,
// screenshots and exit codes as later scenarios will use them on the real program.
#include <gtest/gtest.h>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

struct SampleRun {
  TempDir dir;
  Process proc;
  HWND main;
  explicit SampleRun(const std::string& args)
      : proc(dir, "sample.exe", args), main(proc.WaitWindow("样例窗口")) {}
};

TEST(HarnessSample, ButtonShowsGbkMessageBoxAndCloseGivesExitCode) {
  SampleRun run("42");
  ASSERT_TRUE(run.main) << "the sample window must appear under its GBK title";

  HWND button = FindChildByText(run.main, "显示消息");
  ASSERT_TRUE(button) << "child controls are found by their GBK text";
  Click(button);

  MessageBoxInfo box = run.proc.WaitMessageBox();
  ASSERT_TRUE(box) << "a click that opens a modal box must not block the driver";
  EXPECT_EQ(box.caption, "样例标题");
  EXPECT_EQ(box.text, "你好，世界！");
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});

  Answer(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !run.proc.HasMessageBox(); })) << "answering closes the box";
  Close(run.main);
  DWORD code = 0;
  ASSERT_TRUE(run.proc.WaitExit(5000, &code)) << "closing the only window ends the program";
  EXPECT_EQ(code, 42u);
}

TEST(HarnessSample, NegativeExitCodeArrivesWhole) {
  SampleRun run("-1");
  ASSERT_TRUE(run.main);
  Close(run.main);
  DWORD code = 0;
  ASSERT_TRUE(run.proc.WaitExit(5000, &code));
  EXPECT_EQ(code, 0xFFFFFFFFu) << "an exit code of -1 reaches the driver as all ones";
}

TEST(HarnessSample, ChildrenListClassTextAndRectangle) {
  SampleRun run("0");
  ASSERT_TRUE(run.main);
  std::vector<Control> kids = Children(run.main);
  ASSERT_EQ(kids.size(), 1u);
  EXPECT_EQ(kids[0].cls, "Button");
  EXPECT_EQ(kids[0].id, 100);
  EXPECT_EQ(kids[0].rect.right - kids[0].rect.left, 120);
  EXPECT_EQ(kids[0].rect.bottom - kids[0].rect.top, 30);
  EXPECT_TRUE(kids[0].visible);
}

TEST(HarnessSample, ScreenshotShowsTheWindowAndSavesAsPng) {
  SampleRun run("0");
  ASSERT_TRUE(run.main);
  Image shot = ClientShot(run.main);
  ASSERT_FALSE(shot.empty());
  EXPECT_LT(shot.width, 320) << "the client area excludes the frame";
  // Away from the button the client area is the button-face colour of its class brush.
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  uint32_t want = Rgb(GetRValue(face), GetGValue(face), GetBValue(face));
  EXPECT_GT(CountNear(shot, 160, 10, shot.width, shot.height, want, 2),
            (shot.width - 160) * (shot.height - 10) * 9 / 10)
      << "the client area outside the button is button face";
  TempDir out;
  std::string path = out.path() + "shot.png";
  ASSERT_TRUE(SavePng(shot, path));
  std::string png = out.Read("shot.png");
  ASSERT_GT(png.size(), 8u + size_t(shot.width) * shot.height * 3);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
