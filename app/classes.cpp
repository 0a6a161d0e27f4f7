// Several classes in one class list file. Besides the section "全班人名：", which holds the class
// as it always has (50 names at most), the file may hold sections "全班人名：<class>", up to 500
// names each. The class in use is "当前班级" in "点名设置：", read afresh at every use; empty
// or missing, the original section is in use and nothing of this shows.
#include "app/app.h"
#include "app/classes.h"

namespace app {
namespace {

using namespace main_window;

const char kNamesSection[] = "全班人名：";
const char kSettingsSection[] = "点名设置：";
const char kClassKey[] = "当前班级";
const char kGroupCaption[] = "被点人名";

// The class whose name the caption shows: the form's caption is the original class's.
std::string ShownClass;

}  // namespace

std::string ClassInUse() {
  return ReadIniItem(ClassListPath(), kSettingsSection, kClassKey);
}

std::string ClassSection(const std::string& name) {
  return kNamesSection + name;
}

int ClassLimit(const std::string& name) {
  return name.empty() ? 50 : 500;
}

std::vector<std::string> ClassNames() {
  std::vector<std::string> names = {std::string()};
  const std::string prefix = kNamesSection;
  for (const std::string& section : ListIniSections(ClassListPath())) {
    if (section.size() > prefix.size() && section.compare(0, prefix.size(), prefix) == 0) {
      names.push_back(section.substr(prefix.size()));
    }
  }
  return names;
}

void ShowClassInUse(const std::string& name) {
  if (name == ShownClass) return;
  ShownClass = name;
  分组框1.set_caption(name.empty() ? kGroupCaption : kGroupCaption + ("：" + name));
}

void UseClass(const std::string& name) {
  StopNameCycle();
  // The original class is the one in use without the key: a file that never had it gets none.
  if (name != ClassInUse()) WriteIniItem(ClassListPath(), kSettingsSection, kClassKey, name);
  ShowClassInUse(name);
}

}  // namespace app
