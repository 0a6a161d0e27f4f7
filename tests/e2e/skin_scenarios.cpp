// Skins on the real program: the library it writes beside itself before its first window, the
// start skin, the skin button changing the look, and a library file that is there but lacks the
// export. Face colours come from the skin list the skins are generated from.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/harness/driver.h"
#include "tests/source_root.h"

using namespace harness;

namespace {

constexpr char kMainTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kSeenClassList[] =
    "[全班人名：]\r\n1=甲\r\n2=乙\r\n[Running State]\r\nFirst run=no\r\n";

// The face colour of every skin, from skin/skins.txt ("face=#rrggbb"), as 0x00RRGGBB.
std::vector<uint32_t> FaceColours() {
  std::vector<uint32_t> faces;
  std::ifstream in(rc::test::SourcePath("skin/skins.txt"));
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find("face=#");
    if (line.empty() || line[0] == '#' || at == std::string::npos) continue;
    faces.push_back(uint32_t(std::stoul(line.substr(at + 6, 6), nullptr, 16)));
  }
  return faces;
}

// Index of the skin whose face colour fills most of the picture's sample points, or -1.
int SkinOf(const Image& client, const std::vector<uint32_t>& faces) {
  int best = -1, best_count = 0;
  for (size_t i = 0; i < faces.size(); ++i) {
    const int n = CountNear(client, 0, 0, client.width, client.height, faces[i], 4);
    if (n > best_count) {
      best = int(i);
      best_count = n;
    }
  }
  return best_count > client.width * client.height / 20 ? best : -1;
}

TEST(SkinScenario, TheLibraryIsWrittenFirstAndTheSkinButtonChangesTheLook) {
  const std::vector<uint32_t> faces = FaceColours();
  ASSERT_EQ(faces.size(), 33u);
  TempDir dir;
  ASSERT_TRUE(dir.Write("dede.ini", kSeenClassList));
  Process program(dir, "rollcall.exe");
  HWND main = program.WaitWindow(kMainTitle, 20000);
  ASSERT_NE(main, nullptr);
  const std::string library = dir.Read("SkinH_EL.dll");
  EXPECT_EQ(library.size(), 88576u) << "the library image, written beside the program";
  const DWORD attributes = GetFileAttributesA((dir.path() + "SkinH_EL.dll").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN))
      << "and hidden";
  EXPECT_EQ(SkinOf(ClientShot(main), faces), 7) << "the window starts in skin 8";

  // The skin button sits at the bottom right of the main window; each click applies a skin
  // drawn from 1 to 33.
  HWND button = nullptr;
  for (const Control& c : Children(main)) {
    if (c.text == "皮肤") button = c.hwnd;
  }
  ASSERT_NE(button, nullptr);
  std::set<int> seen{7};
  for (int click = 0; click < 6; ++click) {
    const Image before = ClientShot(main);
    Click(button);
    int skin = -1;
    WaitUntil(
        [&] {
          return (skin = SkinOf(ClientShot(main), faces)) >= 0 && skin != SkinOf(before, faces);
        },
        3000);
    EXPECT_GE(skin, 0) << "every look is one of the skins";
    seen.insert(skin);
  }
  EXPECT_GE(seen.size(), 4u) << "six clicks bring several different skins";
  Close(main);
  DWORD code = 1;
  EXPECT_TRUE(program.WaitExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(SkinScenario, ALibraryWithoutTheExportEndsTheProgramWithTheRuntimeError) {
  TempDir dir;
  ASSERT_TRUE(dir.Write("dede.ini", kSeenClassList));
  ASSERT_TRUE(dir.CopyIn(BinDir() + "runtime_testdll.dll", "SkinH_EL.dll"));
  const std::string before = dir.Read("SkinH_EL.dll");
  Process program(dir, "rollcall.exe");
  MessageBoxInfo box = program.WaitMessageBox(20000);
  ASSERT_TRUE(box);
  EXPECT_EQ(box.caption, "错误");
  EXPECT_NE(box.text.find("无法找到指定DLL库文件“SkinH_EL.dll”中的输出命令“SkinH_AttachRes”"),
            std::string::npos)
      << box.text;
  Answer(box, IDOK);
  DWORD code = 0;
  EXPECT_TRUE(program.WaitExit(10000, &code));
  EXPECT_EQ(code, 0xFFFFFFFFu);
  EXPECT_EQ(dir.Read("SkinH_EL.dll"), before) << "an existing file is never replaced";
}

}  // namespace
