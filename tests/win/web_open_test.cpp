// OpenWebPage hands the address to the browser. Under Wine the browser is a script that appends
// each address to the file named by ROLLCALL_BROWSER_LOG (set up by the Wine test environment).
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/harness/driver.h"
#include "base/values.h"
#include "library_commands/commands.h"

namespace rc {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Waits until the browser log holds the line `url` after `offset`; the browser is started
// asynchronously, after ShellExecute has returned.
bool WaitForLine(const std::string& log, size_t offset, const std::string& url) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string text = ReadAll(log);
    if (text.size() > offset && text.find(url + "\n", offset) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

class WebOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = harness::EnvPath("ROLLCALL_BROWSER_LOG");
    if (log_.empty()) GTEST_SKIP() << "ROLLCALL_BROWSER_LOG is not set: no browser hand-off";
    offset_ = ReadAll(log_).size();
  }
  std::string log_;
  size_t offset_ = 0;
};

TEST_F(WebOpen, OpensTheGivenAddress) {
  const std::string url = "http://127.0.0.1:9/rollcall-open?n=" + std::to_string(GetTickCount());
  ArgRecord arg = PointerValue(url.c_str(), kTagText);
  ResultRecord result{};
  OpenWebPage(&result, 1, &arg);
  EXPECT_EQ(result.lo, 0u) << "OpenWebPage reports nothing";
  EXPECT_EQ(result.tag, 0u);
  EXPECT_TRUE(WaitForLine(log_, offset_, url)) << "the browser must receive " << url;
}

TEST_F(WebOpen, WithoutAnAddressOpensTheDefault) {
  ArgRecord omitted{0, 0, kTagOmitted};
  ResultRecord result{};
  OpenWebPage(&result, 1, &omitted);
  EXPECT_TRUE(WaitForLine(log_, offset_, kDefaultWebAddress))
      << "an omitted address opens the configured default";
  const size_t after_first = ReadAll(log_).size();
  OpenWebPage(&result, 0, nullptr);
  EXPECT_TRUE(WaitForLine(log_, after_first, kDefaultWebAddress))
      << "no argument at all also opens the default";
}

}  // namespace
}  // namespace rc
