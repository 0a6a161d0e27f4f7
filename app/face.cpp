#include "app/face.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "base/program.h"
#include "base/text_w.h"
#include "commands/core_commands.h"
#include "forms/props/button.h"
#include "forms/props/edit_box.h"
#include "forms/props/group_box.h"
#include "forms/props/label.h"
#include "forms/props/process_bar.h"
#include "forms/props/radio_box.h"
#include "forms/props/timer.h"
#include "forms/props/trans_label.h"
#include "forms/props/vscroll_bar.h"
#include "forms/props/window.h"
#include "library_commands/commands.h"

namespace app {
namespace {

namespace props = rc::props;
using rc::ArgRecord;
using rc::ResultRecord;

const rc::EntryPoints* g_entry = &rc::kEntryPoints;

// Support libraries by their place in the program header's library list.
enum : uint32_t { kInternetLibrary = 3, kAppInterfaceLibrary = 4, kMultimediaLibrary = 5 };

// Takes over a text the runtime handed back: its bytes, and the block freed.
std::string TakeText(uintptr_t text) {
  char* p = reinterpret_cast<char*>(text);
  if (p == nullptr) return std::string();
  std::string copy(p);
  g_entry->FreeMem(p);
  return copy;
}

// Argument records. Commands read an integer from the low word whatever its tag, so integers
// always travel as integer records.
ArgRecord Int(int32_t v) {
  return rc::IntValue(v);
}
ArgRecord Double(double v) {
  ArgRecord r{0, 0, rc::kTagDouble};
  rc::SetSlotDouble(&r, v);
  return r;
}
// A borrowed text: the command never frees or keeps it; the empty text is passed as the
// constant empty text, never as null.
ArgRecord Text(const std::string& s) {
  ArgRecord r{0, 0, rc::kTagText};
  rc::SetSlotPointer(&r, s.empty() ? rc::kEmptyText : s.c_str());
  return r;
}
ArgRecord Block(const Bytes& b) {
  ArgRecord r{0, 0, rc::kTagBytes};
  rc::SetSlotPointer(&r, b.block() != nullptr ? b.block() : rc::kEmptyByteBlock);
  return r;
}
ArgRecord UnitReference(const Unit& u) {
  return ArgRecord{u.window_id(), u.unit_id(), rc::kTagWindowRef};
}
constexpr ArgRecord kOmitted{0, 0, rc::kTagOmitted};

ResultRecord Core(rc::CommandFn fn, std::vector<ArgRecord> args) {
  return g_entry->CallCoreCommand(fn, uint32_t(args.size()), args.data());
}
ResultRecord Library(rc::CommandFn fn, uint32_t library, std::vector<ArgRecord> args) {
  return g_entry->CallLibraryCommand(fn, library, uint32_t(args.size()), args.data());
}

std::string TextResult(const ResultRecord& r) {
  return TakeText(reinterpret_cast<uintptr_t>(rc::SlotPointer(r)));
}
Bytes BlockResult(const ResultRecord& r) {
  return Bytes(rc::SlotPointer(r));
}

// Property access.
uint64_t Read(const Unit& u, const props::Property& p) {
  return g_entry->ReadProperty(u.window_id(), u.unit_id(), p.index, -1);
}
int ReadInt(const Unit& u, const props::Property& p) {
  return int32_t(uint32_t(Read(u, p)));
}
bool ReadBool(const Unit& u, const props::Property& p) {
  return uint32_t(Read(u, p)) != 0;
}
std::string ReadText(const Unit& u, const props::Property& p) {
  return TakeText(uintptr_t(Read(u, p)));
}
void Write(const Unit& u, const props::Property& p, uint32_t lo, uint32_t hi = 0) {
  g_entry->WriteProperty(u.window_id(), u.unit_id(), p.index, -1, lo, hi);
}
void WriteText(const Unit& u, const props::Property& p, const std::string& s) {
  Write(u, p, uint32_t(reinterpret_cast<uintptr_t>(s.empty() ? rc::kEmptyText : s.c_str())));
}

}  // namespace

const rc::EntryPoints* UseEntryPoints(const rc::EntryPoints* table) {
  const rc::EntryPoints* previous = g_entry;
  g_entry = table;
  return previous;
}

Bytes::~Bytes() {
  if (block_ != nullptr) g_entry->FreeMem(block_);
}

Bytes& Bytes::operator=(Bytes&& other) noexcept {
  if (this != &other) {
    if (block_ != nullptr) g_entry->FreeMem(block_);
    block_ = other.release();
  }
  return *this;
}

const uint8_t* Bytes::data() const {
  return block_ != nullptr ? rc::ByteBlockData(block_) : nullptr;
}

uint32_t Bytes::size() const {
  return rc::ByteBlockLength(block_);
}

Bytes CopyBlock(const void* stored_block) {
  if (stored_block == nullptr) return Bytes();
  const size_t size = 8 + rc::ByteBlockLength(stored_block);
  void* copy = g_entry->AllocMem(size);
  std::memcpy(copy, stored_block, size);
  return Bytes(copy);
}

// Common properties.
int Unit::left() const {
  return ReadInt(*this, props::kLeft);
}
void Unit::set_left(int left) const {
  Write(*this, props::kLeft, uint32_t(left));
}
int Unit::width() const {
  return ReadInt(*this, props::kWidth);
}
void Unit::set_width(int width) const {
  Write(*this, props::kWidth, uint32_t(width));
}
bool Unit::visible() const {
  return ReadBool(*this, props::kVisible);
}
void Unit::set_visible(bool visible) const {
  Write(*this, props::kVisible, visible ? 1 : 0);
}
bool Unit::disabled() const {
  return ReadBool(*this, props::kDisabled);
}
void Unit::set_disabled(bool disabled) const {
  Write(*this, props::kDisabled, disabled ? 1 : 0);
}

void Window::set_always_on_top(bool on_top) const {
  Write(*this, props::window::kAlwaysOnTop, on_top ? 1 : 0);
}
void Window::set_background_music(const Bytes& music) const {
  const void* block = music.block() != nullptr ? music.block() : rc::kEmptyByteBlock;
  Write(*this, props::window::kBackgroundMusic, uint32_t(reinterpret_cast<uintptr_t>(block)));
}

bool Window::in_view() const {
  return Core(&rc::WindowInView, {UnitReference(*this)}).lo != 0;
}

std::string GroupBox::caption() const {
  return ReadText(*this, props::group_box::kCaption);
}
void GroupBox::set_caption(const std::string& caption) const {
  WriteText(*this, props::group_box::kCaption, caption);
}

std::string Window::set_hot_key(const std::string& key_name) const {
  return TextResult(Core(&rc::SetHotKey, {UnitReference(*this), Text(key_name)}));
}
void Window::lower_behind_foreground() const {
  Core(&rc::LowerBehindForeground, {UnitReference(*this)});
}

bool ShowFullScreen(const Window& window, const TransLabel& name, const TransLabel& seconds,
                    const Button& button, const TransLabel& timer_switch,
                    const std::string& start_caption, const std::string& switch_on,
                    const std::string& names, uint32_t colour) {
  return Core(&rc::ShowFullScreen,
              {UnitReference(window), UnitReference(name), UnitReference(seconds),
               UnitReference(button), UnitReference(timer_switch), Text(start_caption),
               Text(switch_on), Text(names), Int(int32_t(colour))})
             .lo != 0;
}
bool FullScreenOpen() {
  return Core(&rc::FullScreenOpen, {}).lo != 0;
}
void SetFullScreenOnTop(bool on) {
  Core(&rc::FullScreenOnTop, {Int(on ? 1 : 0)});
}
bool IsFullScreenTouch(const Event& event) {
  return event.Arg(0) == rc::kFullScreenTouch;
}

int Timer::interval() const {
  return ReadInt(*this, props::timer::kInterval);
}
void Timer::set_interval(int ms) const {
  Write(*this, props::timer::kInterval, uint32_t(ms));
}

std::string Button::caption() const {
  return ReadText(*this, props::button::kCaption);
}
void Button::set_caption(const std::string& caption) const {
  WriteText(*this, props::button::kCaption, caption);
}

std::string Label::caption() const {
  return ReadText(*this, props::label::kCaption);
}
void Label::set_caption(const std::string& caption) const {
  WriteText(*this, props::label::kCaption, caption);
}
void Label::set_frame_colour_1(uint32_t colour) const {
  Write(*this, props::label::kGradientBorderColour1, colour);
}
void Label::set_frame_colour_2(uint32_t colour) const {
  Write(*this, props::label::kGradientBorderColour2, colour);
}
void Label::set_frame_colour_3(uint32_t colour) const {
  Write(*this, props::label::kGradientBorderColour3, colour);
}

std::string TransLabel::caption() const {
  return ReadText(*this, props::trans_label::kCaption);
}
void TransLabel::set_caption(const std::string& caption) const {
  WriteText(*this, props::trans_label::kCaption, caption);
}
void TransLabel::set_text_colour(uint32_t colour) const {
  Write(*this, props::trans_label::kTextColour, colour);
}

bool RadioBox::selected() const {
  return ReadBool(*this, props::radio_box::kSelected);
}

int ProcessBar::position() const {
  return ReadInt(*this, props::process_bar::kPosition);
}
void ProcessBar::set_position(int position) const {
  Write(*this, props::process_bar::kPosition, uint32_t(position));
}
void ProcessBar::set_maximum(int maximum) const {
  Write(*this, props::process_bar::kMaximum, uint32_t(maximum));
}

int VScrollBar::position() const {
  return ReadInt(*this, props::vscroll_bar::kPosition);
}

std::string EditBox::content() const {
  return ReadText(*this, props::edit_box::kContent);
}
void EditBox::set_content(const std::string& content) const {
  WriteText(*this, props::edit_box::kContent, content);
}

// Commands.
std::string ReadIniItem(const std::string& path, const std::string& section,
                        const std::string& key) {
  return TextResult(Core(&rc::ReadIniItem, {Text(path), Text(section), Text(key)}));
}

void WriteIniItem(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& value) {
  Core(&rc::WriteIniItem, {Text(path), Text(section), Text(key), Text(value)});
}

std::string GetProgramDir() {
  return TextResult(Core(&rc::GetProgramDir, {}));
}

std::string GetUserLibraryDir() {
  return TextResult(Core(&rc::GetUserLibraryDir, {}));
}

bool FileExists(const std::string& path) {
  return Core(&rc::FileExists, {Text(path)}).lo != 0;
}

Bytes ReadFileBytes(const std::string& path) {
  return BlockResult(Core(&rc::ReadFileBytes, {Text(path)}));
}

bool WriteBytesToFile(const std::string& path, const Bytes& bytes) {
  return Core(&rc::WriteBytesToFile, {Text(path), Block(bytes)}).lo != 0;
}

bool SetFileAttr(const std::string& path, int attributes) {
  return Core(&rc::SetFileAttr, {Text(path), Int(attributes)}).lo != 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return Core(&rc::RenameFile, {Text(from), Text(to)}).lo != 0;
}

bool RemoveFile(const std::string& path) {
  return Core(&rc::RemoveFile, {Text(path)}).lo != 0;
}

int MsgBox(const std::string& text, int flags, const std::string& caption) {
  return int32_t(Core(&rc::MsgBox, {Text(text), Int(flags), Text(caption)}).lo);
}

int MsgBox(const std::string& text, int flags) {
  return int32_t(Core(&rc::MsgBox, {Text(text), Int(flags), kOmitted}).lo);
}

void SeedRandom() {
  Core(&rc::SeedRandom, {kOmitted});
}

int RandomInt(int min, int max) {
  return int32_t(Core(&rc::RandomInt, {Int(min), Int(max)}).lo);
}

std::string ToText(int value) {
  return TextResult(Core(&rc::ToText, {Int(value)}));
}

std::string ToText(double value) {
  return TextResult(Core(&rc::ToText, {Double(value)}));
}

std::string ToText(DateTime value) {
  ArgRecord r{0, 0, rc::kTagDateTime};
  rc::SetSlotDouble(&r, value.days);
  return TextResult(Core(&rc::ToText, {r}));
}

std::string ToText(const Bytes& bytes) {
  return TextResult(Core(&rc::ToText, {Block(bytes)}));
}

double ToNumber(const std::string& text) {
  return rc::SlotDouble(Core(&rc::ToNumber, {Text(text)}));
}

double AbsValue(double value) {
  return rc::SlotDouble(Core(&rc::AbsValue, {Double(value)}));
}

uint32_t MakeColor(int red, int green, int blue) {
  return Core(&rc::MakeColor, {Int(red), Int(green), Int(blue)}).lo;
}

int BytesLength(const Bytes& bytes) {
  return int32_t(Core(&rc::BytesLength, {Block(bytes)}).lo);
}

DateTime GetNow() {
  return DateTime{rc::SlotDouble(Core(&rc::GetNow, {}))};
}

int GetNowMillisecond() {
  return int32_t(Core(&rc::GetNowMillisecond, {}).lo);
}

bool AppendLineToFile(const std::string& path, const std::string& line, const std::string& head) {
  return Core(&rc::AppendLineToFile, {Text(path), Text(line), Text(head)}).lo != 0;
}

std::string Utf8FromGbk(const std::string& gbk) {
  const std::wstring wide = rc::Wide(gbk);
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0], n, nullptr, nullptr);
  }
  return utf8;
}

std::string GbkFromUtf8(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], n);
  return rc::Gbk(wide);
}

int PopupMenu(const Unit& unit, const std::vector<MenuItem>& items, int x, int y) {
  std::string lines;
  for (const MenuItem& item : items) {
    if (!lines.empty()) lines += '\n';
    lines += std::string(size_t(item.depth > 0 ? item.depth : 0), '>');
    if (item.separator) lines += '-';
    if (item.ticked) lines += 'v';
    if (item.greyed) lines += 'x';
    lines += '\t';
    for (char c : item.text) lines += c == '\n' || c == '\t' ? ' ' : c;
  }
  const ArgRecord ref{unit.window_id(), unit.unit_id(), rc::kTagWindowRef};
  return int32_t(Core(&rc::PopupMenu, {ref, Text(lines), Int(x), Int(y)}).lo);
}

void LoadWindow(const Window& window, bool modal) {
  Core(&rc::LoadWindow, {UnitReference(window), kOmitted, rc::BoolValue(modal)});
}

void DestroyUnit(const Window& window) {
  Core(&rc::DestroyUnit, {UnitReference(window)});
}

void PlayMusic(int times, const std::string& file) {
  Core(&rc::PlayMusic, {Int(times), Text(file)});
}

void StopMusic() {
  Core(&rc::StopMusic, {});
}

Bytes FetchWebPage(const std::string& address, int* status) {
  int32_t answered = 0;
  Bytes body = BlockResult(Library(&rc::FetchWebPageWithStatus, kInternetLibrary,
                                   {Text(address), rc::PointerValue(&answered, rc::kTagAddress)}));
  *status = answered;
  return body;
}

void OpenWebPage(const std::string& address) {
  Library(&rc::OpenWebPage, kAppInterfaceLibrary, {Text(address)});
}

int OpenVolumeLine(const SysVolume& unit, int kind) {
  return int32_t(
      Library(&rc::OpenVolumeLine, kMultimediaLibrary, {UnitReference(unit), Int(kind)}).lo);
}

int SetVolume(const SysVolume& unit, int left, int right) {
  return int32_t(
      Library(&rc::SetVolume, kMultimediaLibrary, {UnitReference(unit), Int(left), Int(right)}).lo);
}

void CallDllCommand(uint32_t number, std::initializer_list<uint32_t> args) {
  std::vector<uint32_t> words(args);
  g_entry->CallDllCommand(number, uint32_t(words.size()), words.data());
}

void ExitProgram(int code) {
  g_entry->ExitProgram(code);
  for (;;) {
  }
}

namespace {

// A runtime byte block holding the UTF-16 LE units of the text.
Bytes Utf16Block(const std::u16string& text) {
  const uint32_t header[2] = {1, uint32_t(text.size() * 2)};
  auto* block = static_cast<uint8_t*>(g_entry->AllocMem(8 + text.size() * 2));
  std::memcpy(block, header, 8);
  for (size_t i = 0; i < text.size(); ++i) {
    block[8 + 2 * i] = uint8_t(text[i] & 0xFF);
    block[8 + 2 * i + 1] = uint8_t(text[i] >> 8);
  }
  return Bytes(block);
}

}  // namespace

std::vector<std::string> ListIniSections(const std::string& path) {
  const std::string all = TextResult(Core(&rc::ListIniSections, {Text(path)}));
  std::vector<std::string> names;
  for (size_t from = 0, lf; (lf = all.find('\n', from)) != std::string::npos; from = lf + 1) {
    names.push_back(all.substr(from, lf - from));
  }
  return names;
}

bool AddIniSection(const std::string& path, const std::string& section,
                   const std::vector<std::u16string>& lines) {
  std::u16string all;
  for (const std::u16string& line : lines) all += line + u'\n';
  const Bytes block = Utf16Block(all);
  return Core(&rc::AddIniSection, {Text(path), Text(section), Block(block)}).lo != 0;
}

std::u16string ReadClipboardText() {
  const Bytes bytes = BlockResult(Core(&rc::ReadClipboardText, {}));
  std::u16string text;
  for (uint32_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(char16_t(bytes.data()[i] | bytes.data()[i + 1] << 8));
  }
  return text;
}

std::string GbkFromUtf16(const std::u16string& text) {
  const Bytes block = Utf16Block(text);
  return TextResult(Core(&rc::GbkFromUtf16, {Block(block)}));
}

}  // namespace app
