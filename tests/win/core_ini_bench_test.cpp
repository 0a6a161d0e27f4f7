// The cost of one ReadIniItem on the class list the program creates (about 60 lines), as the
// banner pays it on every tick of a 5 ms timer: ours in GBK and in UTF-8, and the platform's
// ANSI profile function that the command used before. Measured and printed, not judged: it
// depends on the machine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "commands/core_commands.h"
#include "commands/ini_text.h"
#include "tests/core/command_call.h"
#include "tests/core/ini_test_gbk.h"
#include "tests/win/core_test_util.h"

namespace rc {
namespace {

using test::Call;
using test::TakeText;
using test::TextValue;

void Write(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) {
  Call(WriteIniItem, {TextValue(file), TextValue(section), TextValue(key), TextValue(value)});
}

// The creation writes of the program, in their order.
void CreateClassList(const std::string& file) {
  const std::string hyphens(63, '-');
  const std::string sep_key = "[" + std::string(31, '=');
  const std::string sep_value = std::string(31, '=') + "]";
  Write(file, "■提示：", "提示信息",
        "人名与人名之间不能有空缺。‘如：1=张三/2= /3=李四’李四就不会被点到名");
  for (int i = 1; i <= 50; ++i) Write(file, "全班人名：", std::to_string(i), "");
  Write(file, hyphens, sep_key, sep_value);
  Write(file, "广告：", "内容", "欢迎使用岚川软件！www.example.com");
  Write(file, "Running State", "First run", "");
  Write(file, hyphens, sep_key, sep_value);
  Write(file, "警告！", "请勿随意删改内容！", "警告！");
}

template <class Fn>
double MicrosecondsPerCall(int n, Fn fn) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  fn();  // the first call may fill caches
  QueryPerformanceCounter(&a);
  for (int i = 0; i < n; ++i) fn();
  QueryPerformanceCounter(&b);
  return double(b.QuadPart - a.QuadPart) * 1e6 / double(f.QuadPart) / n;
}

TEST(CoreIniBench, OneReadOfTheBannerText) {
  test::ScratchDir dir;
  const std::string gbk = dir.Path("dede.ini");
  const std::string utf8 = dir.Path("utf8.ini");
  CreateClassList(gbk);
  const std::string bytes = test::ReadRaw(gbk);
  ASSERT_TRUE(
      test::WriteRaw(utf8, ini::EncodeText(bytes, ini::Encoding::kUtf8, false, test::TestGbk())));

  const std::string want = "欢迎使用岚川软件！www.example.com";
  const auto ours = [&](const std::string& file) {
    return [&file, &want] {
      if (TakeText(Call(ReadIniItem, {TextValue(file), TextValue("广告："), TextValue("内容")}))
              .text != want) {
        ADD_FAILURE() << "the banner text";
      }
    };
  };
  const auto platform = [&] {
    char buffer[10240];
    GetPrivateProfileStringA("广告：", "内容", "", buffer, sizeof buffer, gbk.c_str());
    if (want != buffer) ADD_FAILURE() << "the banner text through the platform";
  };
  // What any read pays before it parses anything: opening, reading and closing the file.
  const std::wstring path = Wide(gbk);
  const auto io = [&] {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD got = 0;
    ReadFile(h, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(h);
  };
  constexpr int kReads = 2000;
  const double gbk_us = MicrosecondsPerCall(kReads, ours(gbk));
  const double utf8_us = MicrosecondsPerCall(kReads, ours(utf8));
  const double platform_us = MicrosecondsPerCall(kReads, platform);
  const double io_us = MicrosecondsPerCall(kReads, io);
  std::printf(
      "[ MEASURE  ] ReadIniItem on the new class list (%u bytes, %d lines): %.1f us in GBK, "
      "%.1f us in UTF-8; GetPrivateProfileStringA: %.1f us; opening, reading and closing the "
      "file alone: %.1f us\n",
      unsigned(bytes.size()), int(std::count(bytes.begin(), bytes.end(), '\n')), gbk_us, utf8_us,
      platform_us, io_us);
}

}  // namespace
}  // namespace rc
