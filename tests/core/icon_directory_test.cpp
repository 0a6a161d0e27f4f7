// The ICO / CUR directory the picture decoders and the window loader share: what the directory
// says is reported as it is, and a cut one is refused whole.
#include <gtest/gtest.h>

#include <vector>

#include "base/icon_directory.h"

namespace rc {
namespace {

TEST(IconDirectory, ReportsWhatTheFileSaysAndRefusesACutDirectory) {
  // A cursor file of one 256-pixel image with its hot spot at (7, 9): 4 bytes at offset 22.
  std::vector<uint8_t> f = {0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 7, 0, 9, 0, 4, 0, 0, 0, 22, 0, 0, 0};
  f.resize(26, 0xAB);
  IconDirectory dir;
  ASSERT_TRUE(ReadIconDirectory(f.data(), f.size(), &dir));
  ASSERT_EQ(dir.entries.size(), 1u);
  const IconDirectoryEntry e = dir.entries[0];
  EXPECT_EQ(dir.kind, kCursorFile);
  EXPECT_EQ(e.width, 256) << "a stored side of 0 is 256";
  EXPECT_EQ(e.planes_or_hot_x + 100 * e.bits_or_hot_y, 907);
  EXPECT_EQ(e.Image(f.data(), f.size()), f.data() + 22) << "an image inside the file";
  EXPECT_EQ(e.Image(f.data(), f.size() - 1), nullptr) << "an image running past the end";
  f[4] = 2;
  EXPECT_FALSE(ReadIconDirectory(f.data(), f.size(), &dir)) << "a cut directory is refused whole";
  EXPECT_TRUE(dir.entries.empty());
  f[4] = 0;
  EXPECT_FALSE(ReadIconDirectory(f.data(), f.size(), &dir)) << "no image, no directory";
  EXPECT_FALSE(ReadIconDirectory(f.data(), 5, &dir)) << "a cut header is refused";
}

}  // namespace
}  // namespace rc
