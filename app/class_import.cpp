// A class made from names pasted from a spreadsheet: the clipboard's cells cleaned into a list,
// shown for a yes, named in a small window of its own, and added to the class list file as a
// section of its own that becomes the class in use. The file is copied to dede.ini.bak first;
// the write only adds to it, in its own encoding and line ends.
#include "app/app.h"
#include "app/classes.h"
#include "app/pasted_names.h"
#include "commands/ini_text.h"

namespace app {
namespace {

using namespace class_name_window;

const char kTitle[] = "从剪贴板导入名单";
// How many names the preview shows from each end of the list.
constexpr size_t kShownAtEachEnd = 5;

// The name window's answer: what was typed, empty when it was cancelled.
std::string Proposed;
std::string Chosen;

std::u16string Utf16(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::string JoinGbk(const std::vector<std::u16string>& names, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) out += (i > from ? "、" : "") + GbkFromUtf16(names[i]);
  return out;
}

// A name GBK cannot hold whole: its GBK form has a "?" more than the name itself.
bool ChangesInGbk(const std::u16string& name) {
  const std::string gbk = GbkFromUtf16(name);
  return std::count(gbk.begin(), gbk.end(), '?') > std::count(name.begin(), name.end(), u'?');
}

std::string Preview(const paste::Names& got, bool gbk_file) {
  const std::vector<std::u16string>& n = got.names;
  std::string text = "剪贴板里有 " + std::to_string(n.size()) + " 个人名：\r\n";
  if (n.size() <= 2 * kShownAtEachEnd) {
    text += JoinGbk(n, 0, n.size());
  } else {
    text +=
        JoinGbk(n, 0, kShownAtEachEnd) + " …… " + JoinGbk(n, n.size() - kShownAtEachEnd, n.size());
  }
  text += "\r\n";
  if (!got.duplicates.empty()) {
    text += "\r\n重复的人名只算一次：" + JoinGbk(got.duplicates, 0, got.duplicates.size());
  }
  if (got.titles > 0 || got.numbers > 0) {
    text += "\r\n已略去表头 " + std::to_string(got.titles) + " 格、学号（纯数字）" +
            std::to_string(got.numbers) + " 格。";
  }
  if (got.over > 0) {
    text += "\r\n一个班最多 " + std::to_string(paste::kMaxNames) + " 人，后面的 " +
            std::to_string(got.over) + " 个人名不导入。";
  }
  if (gbk_file) {
    std::vector<std::u16string> changed;
    for (const std::u16string& name : n) {
      if (ChangesInGbk(name)) changed.push_back(name);
    }
    if (!changed.empty()) {
      text += "\r\n名单文件 dede.ini 是 GBK 编码，这些人名中的生僻字会写成“?”：" +
              JoinGbk(changed, 0, changed.size()) +
              "（把 dede.ini 另存为 UTF-8 编码再导入就能保留）";
    }
  }
  return text + "\r\n\r\n要用这些人名新建一个班级吗？";
}

// The file's sections match without regard to the case of ASCII letters.
bool IsClass(const std::vector<std::string>& classes, const std::string& name) {
  const auto lower = [](std::string s) {
    for (size_t i = 0; i < s.size(); ++i) {
      if (static_cast<unsigned char>(s[i]) >= 0x81) {
        ++i;  // the second byte of a character may look like a letter
      } else if (s[i] >= 'A' && s[i] <= 'Z') {
        s[i] = char(s[i] - 'A' + 'a');
      }
    }
    return s;
  };
  for (const std::string& c : classes) {
    if (lower(c) == lower(name)) return true;
  }
  return false;
}

std::string ProposeName(const std::vector<std::string>& classes) {
  for (int k = 1;; ++k) {
    const std::string name = "新班级" + std::to_string(k);
    if (!IsClass(classes, name)) return name;
  }
}

std::string Trimmed(const std::string& text) {
  const size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  return text.substr(b, text.find_last_not_of(" \t") - b + 1);
}

bool AddClass(const std::string& name, const std::vector<std::u16string>& names) {
  const std::string path = ClassListPath();
  if (FileExists(path) && !WriteBytesToFile(path + ".bak", ReadFileBytes(path))) {
    MsgBox("无法备份 dede.ini（写 dede.ini.bak 失败），名单没有导入，dede.ini 没有改动。",
           kBoxWarning, kTitle);
    return false;
  }
  std::vector<std::u16string> lines;
  for (size_t k = 0; k < names.size(); ++k)
    lines.push_back(Utf16(std::to_string(k + 1) + "=") + names[k]);
  if (!AddIniSection(path, ClassSection(name), lines)) {
    MsgBox(
        "无法写入 dede.ini（文件可能是只读的，或正被别的程序占用），名单没有导入，"
        "dede.ini 没有改动。",
        kBoxWarning, kTitle);
    return false;
  }
  UseClass(name);
  return true;
}

}  // namespace

void ImportClassFromClipboard() {
  const std::u16string text = ReadClipboardText();
  const paste::Names got = paste::CleanNames(text);
  if (got.names.empty()) {
    MsgBox(text.empty()
               ? "剪贴板里没有文字。\r\n请先在表格中选中全班的姓名，按 Ctrl+C 复制，再来导入。"
               : "剪贴板里没有找到人名。\r\n请先在表格中选中全班的姓名，按 Ctrl+C 复制，再来导入。",
           kBoxWarning, kTitle);
    return;
  }
  const Bytes file = ReadFileBytes(ClassListPath());
  const bool gbk_file =
      rc::ini::DetectEncoding(std::string_view(reinterpret_cast<const char*>(file.data()),
                                               file.size())) == rc::ini::Encoding::kGbk;
  if (MsgBox(Preview(got, gbk_file), kBoxYesNo + kBoxInformation, kTitle) != kAnswerYes) return;
  Proposed = ProposeName(ClassNames());
  Chosen.clear();
  LoadWindow(kWindow, true);
  if (Chosen.empty()) return;
  if (AddClass(Chosen, got.names)) {
    MsgBox("已新建班级“" + Chosen + "”，共 " + std::to_string(got.names.size()) +
               " 人，现在点名用的就是这个班。\r\n导入前的 dede.ini 已备份为 dede.ini.bak。",
           kBoxInformation, kTitle);
  }
}

void OnClassNameWindowCreated(Event&) {
  编辑框_班级名.set_content(Proposed);
}

void OnClassNameOkClick(Event&) {
  const std::string name = Trimmed(编辑框_班级名.content());
  if (name.empty()) {
    MsgBox("请输入班级的名称。", kBoxWarning, kTitle);
    return;
  }
  if (IsClass(ClassNames(), name)) {
    MsgBox("已经有叫“" + name + "”的班级了，请换一个名称。", kBoxWarning, kTitle);
    return;
  }
  Chosen = name;
  DestroyUnit(kWindow);
}

void OnClassNameCancelClick(Event&) {
  Chosen.clear();
  DestroyUnit(kWindow);
}

}  // namespace app
