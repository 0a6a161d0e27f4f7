// The runtime frame seen from outside: error reports, program end and its exit codes, exit
// requests from worker threads, modal windows and DLL commands, on the probe program.
#include <gtest/gtest.h>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

struct ProbeRun {
  TempDir dir;
  Process proc;
  explicit ProbeRun(const std::string& args, bool with_dll = false)
      : proc((with_dll ? CopyDll(dir) : dir), "runtime_probe.exe", args) {}
  static const TempDir& CopyDll(const TempDir& dir) {
    dir.CopyIn(BinDir() + "runtime_testdll.dll", "runtime_testdll.dll");
    return dir;
  }
  DWORD Exit(DWORD timeout = 10000) {
    DWORD code = 0;
    EXPECT_TRUE(proc.WaitExit(timeout, &code)) << "the program must end";
    return code;
  }
};

// Answers the report box and checks that the program then ends with -1.
void ExpectReport(ProbeRun& run, const std::string& text) {
  MessageBoxInfo box = run.proc.WaitMessageBox();
  ASSERT_TRUE(box) << "a runtime error shows a message box";
  EXPECT_EQ(box.caption, "错误");
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK}) << "the report has an OK button only";
  Answer(box, IDOK);
  EXPECT_EQ(run.Exit(), 0xFFFFFFFFu) << "a runtime error ends the program with exit code -1";
}

// Every way of failing that the probe has, with the exact report it must show.
TEST(RuntimeFrameReport, EachFailureShowsItsReportAndEndsWithMinusOne) {
  struct Case {
    const char* args;
    bool with_dll;
    const char* text;
  } cases[] = {
      // No code: no code line.
      {"missing", false, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
      {"badwindow", false, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
      // A code without table text: only the first line and the code line.
      {"code 12", false, "运行时出错!\r\n\r\n错误代码：12\r\n\r\n"},
      {"code 6", false,
       "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"},
      {"alloc", false, "运行时出错!\r\n\r\n错误信息：分配 2147483632 字节内存失败!\r\n"},
      {"getobject", false, "运行时出错!\r\n\r\n错误信息：指定窗口或窗口组件不存在或尚未载入\r\n"},
      {"dll 0", true,
       "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“runtime_testdll.dll”"
       "中的输出命令“NoSuchExport”\r\n"},
      {"dll 1", true,
       "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件中的输出命令“NoSuchExport”\r\n"},
      // A C-convention function leaves its arguments on the stack.
      {"dll 2", true,
       "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ProbeRun run(c.args, c.with_dll);
    ExpectReport(run, c.text);
  }
}

TEST(RuntimeFrameReport, NoHandlerRunsWhileTheReportIsShown) {
  ProbeRun run("errorevent");
  HWND main = run.proc.WaitWindow("探针主窗口");
  ASSERT_TRUE(main);
  MessageBoxInfo box = run.proc.WaitMessageBox();
  ASSERT_TRUE(box);
  Close(main);
  harness::Sleep(300);
  EXPECT_FALSE(run.dir.Exists("handler.txt"))
      << "the close request arrives while the report is up but must reach no handler";
  if (run.proc.HasMessageBox()) Answer(box, IDOK);
  EXPECT_EQ(run.Exit(), 0xFFFFFFFFu);
  EXPECT_FALSE(run.dir.Exists("handler.txt"));
}

TEST(RuntimeFrameEnd, ClosingTheOnlyWindowEndsWithZero) {
  ProbeRun run("close");
  HWND main = run.proc.WaitWindow("探针主窗口");
  ASSERT_TRUE(main) << "the start window is shown with its GBK title";
  EXPECT_EQ(ClassName(main), "WTWindow");
  Close(main);
  EXPECT_EQ(run.Exit(), 0u) << "destroying the last window ends the loop and the program with 0";
}

TEST(RuntimeFrameEnd, WindowClosedBeforeTheLoopPostsNoQuit) {
  ProbeRun run("preclose");
  EXPECT_EQ(run.Exit(), 0u);
  EXPECT_EQ(run.dir.Read("preclose.txt"), "returned quit=0")
      << "a window closed before the loop started must not post WM_QUIT, and the loop must "
         "return at once when no window is left";
}

TEST(RuntimeFrameEnd, ExitFromWorkerThreadRunsOnTheMainThread) {
  ProbeRun run("worker 37");
  ASSERT_TRUE(run.proc.WaitWindow("探针主窗口"));
  EXPECT_EQ(run.Exit(), 37u) << "ExitProgram on a worker ends the process with its code";
  EXPECT_EQ(run.dir.Read("exit.txt"), "main")
      << "the shutdown (exit routine) runs on the main thread";
}

TEST(RuntimeFrameModal, NestedLoopDispatchesOtherWindowsUntilItsWindowCloses) {
  ProbeRun run("modal");
  HWND main = run.proc.WaitWindow("探针主窗口");
  ASSERT_TRUE(main);
  HWND modal = run.proc.WaitWindow("模态窗口");
  ASSERT_TRUE(modal) << "the modal window opens from the main window's timer";
  EXPECT_FALSE(IsWindowEnabled(main)) << "the other windows take no input while a modal one is up";
  harness::Sleep(400);
  EXPECT_FALSE(run.dir.Exists("modal.txt")) << "the modal load returns only when its window closes";
  Close(modal);
  ASSERT_TRUE(run.proc.WaitWindow("模态已返回")) << "the load returned and the handler went on";
  std::string note = run.dir.Read("modal.txt");
  EXPECT_EQ(note.substr(0, 9), "loaded=0 ");
  int ticks = std::atoi(note.substr(note.find("ticks=") + 6).c_str());
  EXPECT_GE(ticks, 5) << "timer ticks of the main window keep arriving in the nested loop: "
                      << note;
  EXPECT_NE(note.find("modal=0"), std::string::npos) << "the saved modal id is restored: " << note;
  EXPECT_TRUE(IsWindowEnabled(main)) << "closing the modal window enables the others again";
  Close(main);
  EXPECT_EQ(run.Exit(), 0u);
}

TEST(RuntimeFrameDll, SystemDllListKeepsOnlyTheDllWithTheExport) {
  ProbeRun run("dllscan");
  EXPECT_EQ(run.Exit(), 0u);
  std::string note = run.dir.Read("dllscan.txt");
  size_t first = note.find('\n');
  ASSERT_NE(first, std::string::npos) << note;
  std::string before = note.substr(8, first - 8);
  ASSERT_EQ(before.find("mpr.dll"), std::string::npos) << "the probe must not load Mpr.dll itself";
  EXPECT_EQ(note.substr(first + 1),
            "missing: " + before + "not found\ntick: " + before + "kernel32")
      << "an export found in no listed DLL leaves none of them loaded, and GetTickCount comes "
         "from Kernel32.dll with no other DLL kept";
}

TEST(RuntimeFrameDll, OrdinalExportFromTheProgramFolder) {
  ProbeRun run("dll 3", true);
  EXPECT_EQ(run.Exit(), 42u) << "\"#7\" calls export ordinal 7 (AddStd) with 2 and 40";
}

}  // namespace
