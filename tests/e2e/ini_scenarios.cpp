// The class list of a program in a folder with a Chinese name, on a Chinese system (code page
// 936) and on a Western one (1252): the probe creates dede.ini as the application does, reads
// it back and writes into a UTF-8 class list beside it. Both runs must read the same texts and
// leave the same bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

const std::string kUtf8List = u8"[全班人名：]\r\n1=张三\r\n[Running State]\r\nFirst run=\r\n";

std::wstring Utf16(const std::string& gbk) {
  const int n = MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), &w[0], n);
  return w;
}

// Runs the probe from dir\folder (made here) until it has left its notes. Under `western` it
// is started as a Wine process of its own in a Western locale: Wine gives a program the code
// page of the Unix locale it starts in, whatever environment block it is handed.
std::string RunProbe(const TempDir& dir, const std::string& folder, bool western) {
  if (!CreateDirectoryW(Utf16(dir.path() + folder).c_str(), nullptr)) return "no folder";
  const std::string exe = folder + "\\core_probe.exe";
  if (!dir.CopyIn(BinDir() + "core_probe.exe", exe)) return "no copy";
  if (!dir.Write(folder + "\\utf8.ini", kUtf8List)) return "no utf8.ini";
  const std::wstring image = Utf16(dir.path() + exe);
  std::wstring cmd = L"\"" + image + L"\" ini";
  const wchar_t* program = image.c_str();
  if (western) {
    cmd = L"/usr/bin/env LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 wine " + cmd;
    program = L"Z:\\usr\\bin\\env";
  }
  const std::wstring cwd = Utf16(dir.path() + folder);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si,
                      &info)) {
    return "not started";
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  const std::string notes = folder + "\\ini.txt";
  WaitUntil([&] { return dir.Read(notes).find("end\r\n") != std::string::npos; }, 20000);
  // The program file stays locked until the program has ended.
  const std::wstring exe_path = Utf16(dir.path() + exe);
  WaitUntil([&] { return DeleteFileW(exe_path.c_str()) != FALSE; }, 10000);
  return dir.Read(notes);
}

TEST(IniScenario, AChineseFolderUnderAWesternCodePageGivesTheSameFile) {
  TempDir dir;
  const std::string chinese = RunProbe(dir, "点名器（中文）", false);
  const std::string western = RunProbe(dir, "点名器（西文）", true);
  const std::string common =
      "writes 1\r\n"
      "first run before=\r\n"
      "no 1\r\n"
      "first run after=no\r\n"
      "1=张三 2=李四 3=\r\n"
      "banner=欢迎使用岚川软件！\r\n"
      "utf8 1=张三\r\n"
      "utf8 no 1\r\n"
      "end\r\n";
  EXPECT_EQ(chinese, "acp 936\r\n" + common);
  if (western.rfind("acp 1252", 0) != 0 && western.find("end") == std::string::npos) {
    GTEST_SKIP() << "needs Wine with env(1) and the en_US.UTF-8 locale: " << western;
  }
  EXPECT_EQ(western, "acp 1252\r\n" + common) << "the same texts under code page 1252";

  const std::string ini = dir.Read("点名器（中文）\\dede.ini");
  EXPECT_NE(ini.find("[全班人名：]\r\n1=张三\r\n2=李四\r\n3=\r\n"), std::string::npos) << ini;
  EXPECT_EQ(dir.Read("点名器（西文）\\dede.ini"), ini) << "byte for byte as under code page 936";
  const std::string utf8_after = u8"[全班人名：]\r\n1=张三\r\n[Running State]\r\nFirst run=no\r\n";
  EXPECT_EQ(dir.Read("点名器（中文）\\utf8.ini"), utf8_after);
  EXPECT_EQ(dir.Read("点名器（西文）\\utf8.ini"), utf8_after) << "the UTF-8 file stays UTF-8";
}

}  // namespace
