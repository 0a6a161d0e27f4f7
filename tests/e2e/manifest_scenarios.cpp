// The program's application manifest as the running program sees it: a stand-in skin library
// (manifest_probe.dll) asks the system, from inside the program, what the process's own
// activation context holds. Under Wine every program is per-monitor DPI-aware whatever its
// manifest says, so the awareness itself tells nothing here; the settings the system read do.
// The program asks for no awareness in code: the manifest is the one place.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

TEST(ManifestScenario, TheRunningProgramRunsAsInvokerOnTheNamedSystemsPerMonitorDpiAware) {
  TempDir dir;
  ASSERT_TRUE(dir.Write("dede.ini", "[全班人名：]\r\n1=甲\r\n[Running State]\r\nFirst run=no\r\n"));
  ASSERT_TRUE(dir.CopyIn(BinDir() + "manifest_probe.dll", "SkinH_EL.dll"));
  Process program(dir, "rollcall.exe");
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(WaitUntil([&] { return dir.Exists("manifest_probe.txt"); }, 20000))
      << "the program applies its start skin through the library";
  WaitUntil(
      [&] { return dir.Read("manifest_probe.txt").find("dpiAwareness=") != std::string::npos; });

  std::vector<std::string> seen;
  std::istringstream lines(dir.Read("manifest_probe.txt"));
  for (std::string line; std::getline(lines, line);) seen.push_back(line);
  std::vector<std::string> expected = {
      "run level=1",  // asInvoker: no virtualised writes, no elevation prompt
      "ui access=0",
      "supported os={35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
      "supported os={4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      "supported os={1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      "supported os={8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
      "dpiAware=true/pm",                       // system aware on 7 and 8, per monitor on 8.1
      "dpiAwareness=PerMonitorV2, PerMonitor",  // Windows 10 and 11
  };
  std::sort(seen.begin(), seen.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(seen, expected) << "the process's activation context comes from the program's "
                               "manifest: as invoker, the four systems, per-monitor DPI aware";
}

}  // namespace
