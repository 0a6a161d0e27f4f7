// Several classes in one class list file. Besides the section "全班人名：", which holds the class
// as it always has (50 names at most), the file may hold sections "全班人名：<class>", up to 500
// names each. The class in use is "当前班级" in "点名设置：", read afresh at every use; empty
// or missing, the original section is in use and nothing of this shows.
#include <array>
#include <utility>

#include "app/app.h"
#include "app/classes.h"

namespace app {
namespace {

using namespace main_window;

const char kNamesSection[] = "全班人名：";
const char kClassKey[] = "当前班级";
const char kGroupCaption[] = "被点人名";

// The class whose name the caption shows: the form's caption is the original class's.
std::string ShownClass;

}  // namespace

std::string ClassInUse() {
  return ReadSetting(kClassKey);
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
  if (name != ClassInUse()) WriteSetting(kClassKey, name);
  ShowClassInUse(name);
}

// The classes in the name display's menu: "班级" lists the classes of the file, the one in use
// ticked, and switches at a choice; the import of a pasted list beside it.
namespace {

// The classes as the menu last listed them; a choice is the place of one of them.
std::vector<std::string> Listed;

template <size_t I>
void ChooseClass() {
  if (I < Listed.size()) UseClass(Listed[I]);
}

// Places 1 to 9 have their digit as access key, the next ones a letter.
constexpr size_t kMaxListed = 35;

template <size_t... I>
constexpr std::array<void (*)(), sizeof...(I)> Choices(std::index_sequence<I...>) {
  return {&ChooseClass<I>...};
}
constexpr auto kChoices = Choices(std::make_index_sequence<kMaxListed>());

std::string AccessKey(size_t place) {
  return std::string(1, place < 9 ? char('1' + place) : char('A' + place - 9));
}

void ClassMenu(std::vector<MenuEntry>* entries) {
  Listed = ClassNames();
  if (Listed.size() > kMaxListed) Listed.resize(kMaxListed);
  const std::string in_use = ClassInUse();
  entries->push_back({MenuItem{"班级(&C)"}, nullptr});
  for (size_t i = 0; i < Listed.size(); ++i) {
    MenuItem item{"&" + AccessKey(i) + " " + (Listed[i].empty() ? "全班人名" : Listed[i])};
    item.ticked = Listed[i] == in_use;
    item.depth = 1;
    entries->push_back({item, kChoices[i]});
  }
  entries->push_back({MenuItem{"从剪贴板导入名单…(&I)"}, &ImportClassFromClipboard});
}

const bool kRegistered = (AddNameMenuSection(&ClassMenu), true);

}  // namespace

}  // namespace app
