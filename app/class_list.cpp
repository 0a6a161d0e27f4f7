// The class list file dede.ini beside the program: its creation with the default contents,
// the first-run notice, and the path every read and write uses. The teacher fills in the
// names; the program never writes one.
#include "app/app.h"
#include "app/classes.h"
#include "app/config.h"

namespace app {
namespace {

const char kHintSection[] = "■提示：";
const char kNamesSection[] = "全班人名：";
const char kSettingsSection[] = "点名设置：";
const char kNoRepeatKey[] = "不重复";
const char kSeparatorSection[] = "---------------------------------------------------------------";
const char kSeparatorKey[] = "[===============================";
const char kSeparatorValue[] = "===============================]";
const char kBannerSection[] = "广告：";
const char kStateSection[] = "Running State";
const char kFirstRunKey[] = "First run";

}  // namespace

std::string ClassListPath() {
  return GetProgramDir() + "/dede.ini";
}

std::string ReadSetting(const std::string& key) {
  return ReadIniItem(ClassListPath(), kSettingsSection, key);
}

void WriteSetting(const std::string& key, const std::string& value) {
  WriteIniItem(ClassListPath(), kSettingsSection, key, value);
}

bool FairModeOn() {
  const std::string on = ReadSetting(kNoRepeatKey);
  return on == "1" || on == "是";
}

std::vector<std::string> ReadClassList() {
  std::vector<std::string> names;
  const std::string in_use = ClassInUse();
  const std::string section = ClassSection(in_use);
  for (int k = 1; k <= ClassLimit(in_use); ++k) {
    std::string name = ReadIniItem(ClassListPath(), section, std::to_string(k));
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  return names;
}

void EnsureClassListFile() {
  // The runtime made the program's folder the current one, so the bare name finds the file.
  if (FileExists("dede.ini")) return;
  MsgBox("没有发现‘dede.ini’文件！即将新建文件。", kBoxWarning, "外部数据缺失！");
  const std::string path = ClassListPath();
  WriteIniItem(path, kHintSection, "提示信息",
               "人名与人名之间不能有空缺。‘如：1=张三/2= /3=李四’李四就不会被点到名");
  for (int k = 1; k <= 50; ++k) WriteIniItem(path, kNamesSection, std::to_string(k), "");
  WriteIniItem(path, kSeparatorSection, kSeparatorKey, kSeparatorValue);
  WriteIniItem(path, kBannerSection, "内容", std::string("欢迎使用岚川软件！") + config::kMakerUrl);
  WriteIniItem(path, kStateSection, kFirstRunKey, "");
  WriteIniItem(path, kSeparatorSection, kSeparatorKey, kSeparatorValue);
  WriteIniItem(path, "警告！", "请勿随意删改内容！", "警告！");
}

void ShowFirstRunNotice() {
  const std::string path = ClassListPath();
  if (!ReadIniItem(path, kStateSection, kFirstRunKey).empty()) return;
  MsgBox(
      "点名器6.0版本_人数增加至50人\r\n请将原先的‘dede.ini’中信息备份并将其删除\r\n"
      "使其生成新的文件‘dede.ini’后再将信息导入其中",
      kBoxInformation, "V6.0使用须知（首次运行）");
  WriteIniItem(path, kStateSection, kFirstRunKey, "no");
}

}  // namespace app
