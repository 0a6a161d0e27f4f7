// Unit types for the unit framework's own tests, in a support library of their own (library 7),
// so that loading, property access and event dispatch are checked apart from the program's unit
// types. Every type logs what the framework does to it into UnitLog().
//
//   Panel  (0x00070001) container with events, drags the window; own class "RcTestPanel".
//          Properties 8 caption (text), 9 font, 10 style (integer: a new value asks for
//          re-creation), 11 flag (logical), 12 choice, 13 blob (bytes), 14 number (double),
//          15 colour. WM_TIMER raises its event 0; its create raises event 1 (which must be
//          dropped while the runtime re-creates it).
//   Hidden (0x00070002) never visible (flag 0x8000), with events.
//   Mute   (0x00070003) a type without events.
//   Failing(0x00070004) its create operation fails.
//   Edit   (0x00070005) a standard EDIT control; 8 content; the reflected EN_CHANGE raises 0.
//
// Panel type data: i32 style, i32 flag, i32 choice, u32 colour, counted caption (GBK), counted
// blob, counted font record (60 bytes or none), u32 low and u32 high word of the number.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/byte_cursor.h"
#include "base/text_w.h"
#include "base/values.h"
#include "runtime/library.h"
#include "runtime/state.h"
#include "runtime/units/unit_window.h"

namespace rc::test {

constexpr uint32_t kTestLibraryNumber = 7;
constexpr uint32_t kTypePanel = 0x00070001;
constexpr uint32_t kTypeHidden = 0x00070002;
constexpr uint32_t kTypeMute = 0x00070003;
constexpr uint32_t kTypeFailing = 0x00070004;
constexpr uint32_t kTypeEdit = 0x00070005;

inline std::vector<std::string>& UnitLog() {
  static std::vector<std::string> log;
  return log;
}

// The log in one line, for failure messages.
inline std::string LogText() {
  std::string all;
  for (const std::string& e : UnitLog()) all += e + "; ";
  return all;
}

inline std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", v);
  return buf;
}

struct PanelData {
  int32_t style = 0;
  int32_t flag = 0;
  int32_t choice = 0;
  uint32_t colour = 0;
  std::string caption;
  forms::Bytes blob;
  forms::Bytes font;
  double number = 0;
};

inline forms::Bytes WritePanelData(const PanelData& d) {
  forms::Bytes out;
  forms::ByteWriter w(&out);
  w.I32(d.style);
  w.I32(d.flag);
  w.I32(d.choice);
  w.U32(d.colour);
  w.CountedText(d.caption);
  w.CountedBytes(d.blob);
  w.CountedBytes(d.font);
  uint64_t bits;
  std::memcpy(&bits, &d.number, sizeof bits);
  w.U32(uint32_t(bits));
  w.U32(uint32_t(bits >> 32));
  return out;
}

inline bool ReadPanelData(const uint8_t* data, size_t size, PanelData* d) {
  *d = PanelData();
  if (data == nullptr || size == 0) return true;
  forms::ByteReader r(data, size);
  d->style = r.I32();
  d->flag = r.I32();
  d->choice = r.I32();
  d->colour = r.U32();
  d->caption = r.CountedText();
  d->blob = r.CountedBytes();
  d->font = r.CountedBytes();
  uint64_t bits = r.U32();
  bits |= uint64_t(r.U32()) << 32;
  std::memcpy(&d->number, &bits, sizeof bits);
  return !r.failed();
}

class TestUnit : public UnitWindow {
 public:
  TestUnit(const CreateArgs& args, uint32_t type) : UnitWindow(args.window_id, args.unit_id) {
    type_ = type;
  }

  static UnitObject* Create(const CreateArgs& args, uint32_t type) {
    PanelData data;
    if (type == kTypePanel && !ReadPanelData(args.type_data, args.type_data_size, &data)) {
      return nullptr;
    }
    UnitLog().push_back("create " + Hex(args.unit_id) + " id " + std::to_string(args.control_id) +
                        (TheRuntime().handlers_blocked > 0 ? " recreating" : ""));
    auto* unit = new TestUnit(args, type);
    unit->data_ = data;
    bool made;
    if (type == kTypeEdit) {
      made = unit->CreateControl(L"EDIT", data.caption.c_str(), ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                                 args);
    } else {
      RegisterUnitClass(L"RcTestPanel", CS_DBLCLKS);
      made = unit->CreateOwnClass(L"RcTestPanel", data.caption.c_str(),
                                  WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (args.style & ~WS_VISIBLE), 0,
                                  args);
    }
    if (!made) {
      delete unit;
      return nullptr;
    }
    if (!data.font.empty()) unit->SetFontRecord(data.font.data(), data.font.size());
    // Dropped while the runtime re-creates a unit: no handler may see a half-made unit.
    if (type == kTypePanel) unit->Raise(1);
    return unit;
  }

  int Changed(int32_t index, const PropertyValue& v) {
    switch (index) {
      case 0:
        data_.caption = v.text != nullptr ? v.text : "";
        SetWindowTextW(hwnd_, Wide(data_.caption).c_str());
        return 0;
      case 1:
        SetFontRecord(v.bytes, v.size);
        return 0;
      case 2: {
        bool differs = data_.style != v.i;
        data_.style = v.i;
        return differs ? 1 : 0;
      }
      case 3:
        data_.flag = v.i;
        return 0;
      case 4:
        data_.choice = v.i;
        return 0;
      case 5:
        data_.blob.assign(v.bytes, v.bytes + v.size);
        return 0;
      case 6:
        data_.number = v.d;
        return 0;
      case 7:
        data_.colour = uint32_t(v.i);
        return 0;
      default:
        return 0;
    }
  }

  int Get(int32_t index, PropertyValue* out) {
    switch (index) {
      case 0: {
        int n = GetWindowTextLengthW(hwnd_);
        std::wstring text(size_t(n) + 1, L'\0');
        text.resize(size_t(GetWindowTextW(hwnd_, &text[0], n + 1)));
        data_.caption = Gbk(text);
        out->text = data_.caption.c_str();
        return 1;
      }
      case 1:
        out->bytes = data_.font.data();
        out->size = uint32_t(data_.font.size());
        return 1;
      case 2:
        out->i = data_.style;
        return 1;
      case 3:
        out->i = data_.flag;
        return 1;
      case 4:
        out->i = data_.choice;
        return 1;
      case 5:
        out->bytes = data_.blob.data();
        out->size = uint32_t(data_.blob.size());
        return 1;
      case 6:
        out->d = data_.number;
        return 1;
      case 7:
        out->i = int32_t(data_.colour);
        return 1;
      default:
        return 0;
    }
  }

  void* Save(uint32_t* size) {
    Get(0, &scratch_);  // the caption as shown
    forms::Bytes bytes = WritePanelData(data_);
    void* block = AllocMem(bytes.size());
    std::memcpy(block, bytes.data(), bytes.size());
    *size = uint32_t(bytes.size());
    return block;
  }

  HFONT font() const { return font_; }
  const PanelData& data() const { return data_; }
  uint32_t type() const { return type_; }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override {
    LRESULT reflected = 0;
    if (ReflectNotification(hwnd_, msg, wp, lp, &reflected)) return reflected;
    switch (msg) {
      case kUnitCreatedMessage:
        UnitLog().push_back("notified " + Hex(unit_id_) + " visible " +
                            std::to_string((GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0) +
                            " parent " + Hex(GetDlgCtrlID(GetParent(hwnd_))));
        return 0;
      case WM_TIMER:
        Raise(0);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_CHAR:
        UnitLog().push_back("dispatched " + Hex(unit_id_) + " " + Hex(msg) + " " +
                            Hex(uint32_t(wp)));
        break;
      case kReflectBase + WM_COMMAND:
        if (HIWORD(wp) == EN_CHANGE) Raise(0);
        return 0;
      case WM_NCDESTROY:
        break;
      default:
        break;
    }
    return Default(msg, wp, lp);
  }
  void OnDestroyed() override {
    if (font_ != nullptr) DeleteObject(font_);
  }

 private:
  void SetFontRecord(const uint8_t* bytes, size_t size) {
    data_.font.assign(bytes, bytes + size);
    if (font_ != nullptr) DeleteObject(font_);
    font_ = nullptr;
    if (size >= sizeof(LOGFONTA)) {
      LOGFONTA a;
      std::memcpy(&a, bytes, sizeof a);
      LOGFONTW w{};
      std::memcpy(&w, &a, offsetof(LOGFONTA, lfFaceName));
      std::wstring face = Wide(std::string(a.lfFaceName, strnlen(a.lfFaceName, LF_FACESIZE)));
      std::wcsncpy(w.lfFaceName, face.c_str(), LF_FACESIZE - 1);
      font_ = CreateFontIndirectW(&w);
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }

  uint32_t type_ = 0;
  PanelData data_;
  PropertyValue scratch_;
  HFONT font_ = nullptr;
};

template <uint32_t Type>
UnitObject* CreateTest(const CreateArgs& args) {
  if (Type == kTypeFailing) {
    UnitLog().push_back("create " + Hex(args.unit_id) + " fails");
    return nullptr;
  }
  return TestUnit::Create(args, Type);
}
inline int ChangedTest(UnitObject* unit, int32_t index, const PropertyValue& v, int*) {
  return static_cast<TestUnit*>(unit)->Changed(index, v);
}
inline int GetTest(void*, UnitObject* unit, int32_t index, PropertyValue* out) {
  return static_cast<TestUnit*>(unit)->Get(index, out);
}
inline void* SaveTest(UnitObject* unit, uint32_t* size) {
  return static_cast<TestUnit*>(unit)->Save(size);
}

// Pre-translation of the test types: a Panel consumes the key F12 itself.
inline int PreTranslateTest(UnitObject* unit, MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_F12) {
    UnitLog().push_back("pretranslated " + Hex(unit->unit_id()));
    return 1;
  }
  return 0;
}

template <uint32_t Type>
void* TestInterface(int32_t op) {
  switch (op) {
    case kOpCreate:
      return reinterpret_cast<void*>(&CreateTest<Type>);
    case kOpPropertyChanged:
      return reinterpret_cast<void*>(&ChangedTest);
    case kOpGetProperty:
      return reinterpret_cast<void*>(&GetTest);
    case kOpSave:
      return reinterpret_cast<void*>(&SaveTest);
    case kOpPreTranslate:
      return Type == kTypePanel ? reinterpret_cast<void*>(&PreTranslateTest) : nullptr;
    default:
      return nullptr;
  }
}

inline const PropertyEntry kTestProperties[16] = {
    Property(kKindInteger, kCommonEditorFlags),
    Property(kKindInteger, kCommonEditorFlags),
    Property(kKindInteger, kCommonEditorFlags),
    Property(kKindInteger, kCommonEditorFlags),
    Property(kKindText, kCommonEditorFlags),
    Property(kKindBool, kCommonEditorFlags),
    Property(kKindBool, kCommonEditorFlags),
    Property(kKindCursor, kCommonEditorFlags),
    Property(kKindText),
    Property(kKindFont),
    Property(kKindInteger),
    Property(kKindBool),
    Property(kKindChoice),
    Property(kKindPicture),
    Property(kKindDouble),
    Property(kKindColour),
};

constexpr DataTypeDescriptor TestType(const char* name, uint32_t flags, UnitInterfaceFn fn) {
  return DataTypeDescriptor{name,    name, nullptr,         0,  0, flags, 0, 0,
                            nullptr, 16,   kTestProperties, fn, 0, 0};
}

inline const DataTypeDescriptor kTestTypes[5] = {
    TestType("Panel", 0x04000000 | kTypeContainer | 0x40, &TestInterface<kTypePanel>),
    TestType("Hidden", kTypeNeverVisible | 0x40, &TestInterface<kTypeHidden>),
    TestType("Mute", 0, &TestInterface<kTypeMute>),
    TestType("Failing", 0x40, &TestInterface<kTypeFailing>),
    TestType("Edit", 0x40, &TestInterface<kTypeEdit>),
};

inline int64_t TestLibraryNotify(int32_t, uintptr_t, uintptr_t) {
  return 0;
}

inline const LibraryDescriptor kTestLibrary = {kLibrarySignature, "test units",      1, 5,
                                               kTestTypes,        &TestLibraryNotify};

}  // namespace rc::test
