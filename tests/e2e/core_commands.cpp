// The core commands inside a real program: a question box answered by the user, the settings
// file beside the program, a modal window that closes itself, and the fatal DestroyUnit.
#include <gtest/gtest.h>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

TEST(CoreCommandsProgram, SessionOfQuestionSettingsAndModalWindow) {
  TempDir dir;
  Process proc(dir, "core_probe.exe", "session");
  ASSERT_TRUE(proc.started());
  MessageBoxInfo box = proc.WaitMessageBox();
  ASSERT_TRUE(box) << "MsgBox shows a message box";
  EXPECT_EQ(box.caption, "信息：") << "the default title";
  EXPECT_EQ(box.text, "要开始吗？");
  EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(box, IDNO);

  DWORD code = 1;
  ASSERT_TRUE(proc.WaitExit(10000, &code)) << "DestroyUnit of the last window ends the program";
  EXPECT_EQ(code, 0u);
  std::string want_dir = dir.path().substr(0, dir.path().size() - 1);
  EXPECT_EQ(dir.Read("session.txt"),
            "answer=6\r\n"
            "dir=" +
                want_dir +
                "\r\n"
                "name=张三\r\n"
                "modal=1 gone=1\r\n")
      << "No is 6; the program directory has no trailing separator; the modal load returns "
         "only after its window has closed";
  const std::string ini = dir.Read("dede.ini");
  EXPECT_NE(ini.find("[全班人名：]"), std::string::npos) << "dede.ini lies beside the program";
  EXPECT_NE(ini.find("1=张三"), std::string::npos);
}

TEST(CoreCommandsProgram, DestroyUnitOfAWindowNotLoadedIsFatal) {
  TempDir dir;
  Process proc(dir, "core_probe.exe", "destroymissing");
  MessageBoxInfo box = proc.WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box.caption, "错误");
  EXPECT_EQ(box.text, "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n");
  Answer(box, IDOK);
  DWORD code = 0;
  ASSERT_TRUE(proc.WaitExit(10000, &code));
  EXPECT_EQ(code, 0xFFFFFFFFu) << "the program ends with exit code -1";
}

}  // namespace
