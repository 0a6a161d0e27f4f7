#include "runtime/units/splitter_bar.h"

#include <utility>

#include "runtime/draw/colour.h"
#include "runtime/units/control_support.h"
#include "runtime/units/drawn_unit.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kSplitterBarPropertyCount> kSplitterBarProperties =
    PropertyTable(props::splitter_bar::kOwn);

namespace {

constexpr wchar_t kClassName[] = L"SplitterBar";

struct SplitterBarState {
  forms::SplitterBarData data;  // the properties as last written
};

// A raised edge `line` pixels wide (one design pixel) along `rect`: highlight on the top and
// left, shadow on the bottom and right.
void DrawRaisedEdge(HDC dc, const RECT& rect, int line) {
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  FillColour(dc, RECT{rect.left, rect.top, rect.right, rect.top + line}, light);
  FillColour(dc, RECT{rect.left, rect.top, rect.left + line, rect.bottom}, light);
  FillColour(dc, RECT{rect.left, rect.bottom - line, rect.right, rect.bottom}, shadow);
  FillColour(dc, RECT{rect.right - line, rect.top, rect.right, rect.bottom}, shadow);
}

class SplitterBar : public UnitWindow {
 public:
  SplitterBar(uint32_t window_id, uint32_t unit_id, forms::SplitterBarData data)
      : UnitWindow(window_id, unit_id) {
    s_.data = std::move(data);
  }

  using Data = forms::SplitterBarData;
  static UnitObject* Create(const CreateArgs& args) {
    return CreateDrawnUnit<SplitterBar>(args, kClassName);
  }
  // A plain child window.
  OwnWindowStyle Window() const { return {nullptr, 0, 0}; }
  int Changed(int32_t index, const PropertyValue& value) {
    return ChangeStored(*this, &s_.data, index, value);
  }
  int Get(int32_t index, PropertyValue* out) const { return GetStored(s_.data, index, out); }
  const forms::SplitterBarData& Snapshot() const { return s_.data; }
  void Repaint() { InvalidateRect(hwnd_, nullptr, FALSE); }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnPaint();

  SplitterBarState s_;
};

LRESULT SplitterBar::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (!IsRectEmpty(&ps.rcPaint)) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillColour(dc, ps.rcPaint, draw::ResolveColour(s_.data.colour));
    DrawRaisedEdge(dc, client, Px(1));
  }
  EndPaint(hwnd_, &ps);
  return 0;
}

LRESULT SplitterBar::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      return OnPaint();
    case WM_ERASEBKGND:
      return 1;  // the paint fills what it repaints
    default:
      return UnitWindow::Handle(msg, wp, lp);
  }
}

}  // namespace

void* SplitterBarInterface(int32_t op) {
  return ControlInterface<SplitterBar>(op);
}

}  // namespace rc
