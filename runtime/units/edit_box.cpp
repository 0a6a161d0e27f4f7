// The `EditBox` unit type (core library, type 5): a native edit control. Event 0 reports every
// change of its content, by the user (the reflected EN_CHANGE) or by a content write, which
// raises it exactly once. The spin option attaches a native up-down control beside the box.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/text_w.h"
#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kEditBoxPropertyCount> kEditBoxProperties =
    PropertyTable(props::edit_box::kOwn);

namespace {

namespace prop = props::edit_box;

enum : int32_t {
  kEventChanged = 0,
};
enum : int32_t {  // input modes this runtime acts on; 4 to 11 are kept but behave as 0
  kInputReadOnly = 1,
  kInputPassword = 2,
  kInputInteger = 3,
};

constexpr DWORD kCaseStyles = ES_LOWERCASE | ES_UPPERCASE;
// The up-down's width in design pixels: what the system gives one aligned to its buddy at 96
// DPI, and keeps at any DPI.
constexpr int kSpinWidth = 16;

class EditBoxUnit : public UnitWindow {
 public:
  EditBoxUnit(const CreateArgs& args, const forms::EditBoxData& data)
      : UnitWindow(args.window_id, args.unit_id),
        data_(data),
        colours_(data.text_colour, data.background_colour) {}

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out);
  forms::EditBoxData Snapshot();
  void Show(int32_t index);

 private:
  void ReadBack();
  void SetContent(const PropertyValue& value);
  void ReplaceSelection(const PropertyValue& value);
  void ShowInputMode();
  void ShowSelection();
  void ShowSpin();
  void PlaceSpin();

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDpiChanged() override {
    font_.Set(hwnd_, data_.font, dpi());
    PlaceSpin();
  }
  LRESULT OnCommand(WPARAM wp);
  LRESULT OnColour(WPARAM wp);
  LRESULT OnChar(WPARAM wp, LPARAM lp);
  LRESULT OnPlaced(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnShow(WPARAM wp, LPARAM lp);
  LRESULT OnEnable(WPARAM wp, LPARAM lp);
  LRESULT OnDestroy(WPARAM wp, LPARAM lp);

  // Every property as last written (choices clamped). Content and selection change under the
  // user's hands: reads and the save operation take them from the control (ReadBack).
  forms::EditBoxData data_;
  ControlColours colours_;     // text and background colour of the box
  ControlFont font_;           // the font made from data_.font
  HWND spin_ = nullptr;        // the attached up-down control, a sibling of the box; or none
  bool setting_ = false;       // the runtime sets the text: the control's EN_CHANGE is not ours
  std::string selected_text_;  // property 26 as last read, kept for the caller to copy
};

bool SingleLine(const forms::EditBoxData& data) {
  return data.multi_line == 0;
}

// Styles the control takes only when it is made: changing them re-creates the unit.
DWORD CreationStyles(const forms::EditBoxData& data) {
  const DWORD alignments[] = {ES_LEFT, ES_CENTER, ES_RIGHT};
  DWORD style = alignments[data.alignment];
  if (!data.hide_selection) style |= ES_NOHIDESEL;
  if (SingleLine(data)) return style | ES_AUTOHSCROLL;
  style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  // Without a horizontal bar the lines wrap at the box's edge.
  if (data.scroll_bars & 1) style |= WS_HSCROLL | ES_AUTOHSCROLL;
  if (data.scroll_bars & 2) style |= WS_VSCROLL;
  return style;
}

DWORD CaseStyle(int32_t letter_case) {
  return letter_case == 1 ? ES_LOWERCASE : letter_case == 2 ? ES_UPPERCASE : 0;
}

// The password character is stored as a character code: a single byte, or the two bytes of a
// GBK character with the lead byte high.
wchar_t PasswordChar(uint16_t code) {
  if (code == 0) return L'*';
  if (code < 0x80) return wchar_t(code);
  const char gbk[3] = {char(code >> 8), char(code & 0xFF), 0};
  std::wstring wide = Wide(gbk);
  return wide.empty() ? L'*' : wide[0];
}

// What the keyboard may enter in integer mode: a sign, digits, and the control characters that
// edit (backspace, the clipboard keys) rather than type.
bool IntegerCharacter(WPARAM ch) {
  return ch < 0x20 || ch == 0x7F || ch == L'-' || (ch >= L'0' && ch <= L'9');
}

void EditBoxUnit::ReadBack() {
  data_.content = WindowTextGbk(hwnd_);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  data_.selection_start = int32_t(start);
  data_.selection_length = int32_t(end - start);
}

forms::EditBoxData EditBoxUnit::Snapshot() {
  ReadBack();
  return data_;
}

// Set without the control's own notification, then reported once, so that a handler sees
// exactly one change event per write, also when the text stays the same.
void EditBoxUnit::SetContent(const PropertyValue& value) {
  data_.content = value.text != nullptr ? value.text : "";
  setting_ = true;
  SetWindowTextGbk(hwnd_, data_.content);
  setting_ = false;
  Raise(kEventChanged);
}

void EditBoxUnit::ShowInputMode() {
  SendMessageW(hwnd_, EM_SETREADONLY, data_.input_mode == kInputReadOnly, 0);
  wchar_t mask = data_.input_mode == kInputPassword ? PasswordChar(data_.password_char) : 0;
  SendMessageW(hwnd_, EM_SETPASSWORDCHAR, WPARAM(mask), 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void EditBoxUnit::ShowSelection() {
  SendMessageW(hwnd_, EM_SETSEL, WPARAM(data_.selection_start),
               LPARAM(data_.selection_start + data_.selection_length));
}

// Typing over the selection: the control reports the change itself.
void EditBoxUnit::ReplaceSelection(const PropertyValue& value) {
  SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(value.text).c_str()));
}

// Makes, updates or removes the up-down control. Only a single-line box gets one; its range
// runs from the smaller to the larger of the two ends.
void EditBoxUnit::ShowSpin() {
  bool wanted = data_.spin && SingleLine(data_);
  if (!wanted) {
    if (spin_ != nullptr && IsWindow(spin_)) DestroyWindow(spin_);
    spin_ = nullptr;
    return;
  }
  if (spin_ == nullptr) {
    InitControlClasses();
    DWORD style = WS_CHILD | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
    spin_ = CreateWindowExW(0, UPDOWN_CLASSW, L"", style, 0, 0, 0, 0, GetParent(hwnd_), nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (spin_ == nullptr) return;
    RECT unit;  // the whole place, before the up-down takes its share
    GetWindowRect(hwnd_, &unit);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&unit), 2);
    // Attaching may write the up-down's position into the box; the box keeps its content.
    setting_ = true;
    SendMessageW(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd_), 0);
    SetWindowTextGbk(hwnd_, data_.content);
    setting_ = false;
    // Attaching narrows the box by the up-down's width at 96 DPI whatever the DPI: the box
    // leaves it that width at the unit's DPI instead, the two together the unit's place.
    const int right = draw::ScaleEdge(draw::UnscaleEdge(unit.right, dpi()) - kSpinWidth, dpi());
    SetWindowPos(hwnd_, nullptr, 0, 0, std::max<int>(0, right - unit.left), unit.bottom - unit.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessageW(spin_, UDM_SETRANGE32, WPARAM(std::min(data_.spin_min, data_.spin_max)),
               LPARAM(std::max(data_.spin_min, data_.spin_max)));
  PlaceSpin();
}

// The up-down follows the box: same parent (the box may have been moved into a container),
// right beside it, as wide as kSpinWidth at the unit's DPI (its right edge where that many
// design pixels end), shown, hidden, enabled and disabled with it.
void EditBoxUnit::PlaceSpin() {
  if (spin_ == nullptr) return;
  HWND parent = GetParent(hwnd_);
  if (GetParent(spin_) != parent) SetParent(spin_, parent);
  RECT box;
  GetWindowRect(hwnd_, &box);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&box), 2);
  const int right = draw::ScaleEdge(draw::UnscaleEdge(box.right, dpi()) + kSpinWidth, dpi());
  bool visible = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
  SetWindowPos(spin_, nullptr, box.right, box.top, right - box.right, box.bottom - box.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  EnableWindow(spin_, IsWindowEnabled(hwnd_));
}

void EditBoxUnit::Show(int32_t index) {
  switch (index) {
    case Own(prop::kBorder):
      ApplyBorderFrame(hwnd_, data_.border);
      break;
    case Own(prop::kTextColour):
    case Own(prop::kBackgroundColour):
      colours_.Show(hwnd_, data_.text_colour, data_.background_colour);
      break;
    case Own(prop::kFont):
      font_.Set(hwnd_, data_.font, dpi());
      break;
    case Own(prop::kMaximumLength):
      SendMessageW(hwnd_, EM_LIMITTEXT, WPARAM(data_.max_length), 0);
      break;
    case Own(prop::kInputMode):
      ShowInputMode();
      break;
    case Own(prop::kPasswordCharacter):
      if (data_.input_mode == kInputPassword) ShowInputMode();
      break;
    case Own(prop::kLetterCase):
      SetStyleBits(hwnd_, kCaseStyles, CaseStyle(data_.letter_case));
      break;
    case Own(prop::kSpinControl):
    case Own(prop::kSpinMinimum):
    case Own(prop::kSpinMaximum):
      ShowSpin();
      break;
    default:
      break;
  }
}

int EditBoxUnit::Changed(int32_t index, const PropertyValue& value) {
  switch (index) {
    case Own(prop::kContent):
      SetContent(value);
      return 0;
    case Own(prop::kSelectionStart):
    case Own(prop::kSelectionLength):
      // The other end as the user left it; set even when the stored value is the same.
      ReadBack();
      WriteStored(&data_, index, value);
      ShowSelection();
      return 0;
    case Own(prop::kSelectedText):
      ReplaceSelection(value);
      return 0;
    default:
      return ChangeStored(*this, &data_, index, value);
  }
}

int EditBoxUnit::Get(int32_t index, PropertyValue* out) {
  ReadBack();
  if (index != Own(prop::kSelectedText)) return GetStored(data_, index, out) ? 1 : 0;
  std::wstring text = Wide(data_.content);
  size_t start = std::min(size_t(data_.selection_start), text.size());
  selected_text_ = Gbk(text.substr(start, size_t(data_.selection_length)));
  TextValue(selected_text_, out);
  return 1;
}

LRESULT EditBoxUnit::OnCommand(WPARAM wp) {
  if (HIWORD(wp) == EN_CHANGE && !setting_) Raise(kEventChanged);
  return 0;
}

LRESULT EditBoxUnit::OnColour(WPARAM wp) {
  return colours_.Paint(reinterpret_cast<HDC>(wp));
}

LRESULT EditBoxUnit::OnChar(WPARAM wp, LPARAM lp) {
  if (data_.input_mode == kInputInteger && !IntegerCharacter(wp)) return 0;
  return Default(WM_CHAR, wp, lp);
}

LRESULT EditBoxUnit::OnPlaced(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = Default(msg, wp, lp);
  PlaceSpin();
  return r;
}

// While the window is not shown yet, showing the box only sets its style: no position change
// reaches it, this message does. Parents hiding and showing take the up-down along themselves.
LRESULT EditBoxUnit::OnShow(WPARAM wp, LPARAM lp) {
  if (spin_ != nullptr && lp == 0) ShowWindow(spin_, wp ? SW_SHOWNA : SW_HIDE);
  return Default(WM_SHOWWINDOW, wp, lp);
}

LRESULT EditBoxUnit::OnEnable(WPARAM wp, LPARAM lp) {
  if (spin_ != nullptr) EnableWindow(spin_, BOOL(wp));
  return Default(WM_ENABLE, wp, lp);
}

LRESULT EditBoxUnit::OnDestroy(WPARAM wp, LPARAM lp) {
  if (spin_ != nullptr && IsWindow(spin_)) DestroyWindow(spin_);
  spin_ = nullptr;
  return Default(WM_DESTROY, wp, lp);
}

LRESULT EditBoxUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReflectBase + WM_COMMAND:
      return OnCommand(wp);
    case kReflectBase + WM_CTLCOLOREDIT:
    case kReflectBase + WM_CTLCOLORSTATIC:
      return OnColour(wp);
    case WM_CHAR:
      return OnChar(wp, lp);
    case WM_WINDOWPOSCHANGED:
    case kUnitCreatedMessage:
      return OnPlaced(msg, wp, lp);
    case WM_SHOWWINDOW:
      return OnShow(wp, lp);
    case WM_ENABLE:
      return OnEnable(wp, lp);
    case WM_DESTROY:
      return OnDestroy(wp, lp);
    default:
      return Default(msg, wp, lp);
  }
}

UnitObject* EditBoxUnit::Create(const CreateArgs& args) {
  forms::EditBoxData data;
  if (!ReadTypeData(args, &data)) return nullptr;
  forms::FitStored(&data);
  auto* unit = new EditBoxUnit(args, data);
  FrameStyles frame = BorderFrame(data.border);
  DWORD style = args.style | frame.style | CreationStyles(data) | CaseStyle(data.letter_case);
  if (!unit->CreateControl(L"EDIT", data.content.c_str(), style, frame.ex_style, args)) {
    delete unit;
    return nullptr;
  }
  unit->font_.Set(unit->hwnd_, data.font, unit->dpi());
  SendMessageW(unit->hwnd_, EM_LIMITTEXT, WPARAM(data.max_length), 0);
  unit->ShowInputMode();
  unit->ShowSelection();
  unit->ShowSpin();
  return unit;
}

}  // namespace

void* EditBoxInterface(int32_t op) {
  return ControlInterface<EditBoxUnit>(op);
}

}  // namespace rc
