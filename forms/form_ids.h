// Ids, type codes and fixed texts of the stored form data.
#pragma once

#include <cstdint>

namespace rc::forms {

// The top byte of an id says what it names; the low 24 bits are a program-wide serial number.
enum : uint32_t {
  kKindWindow = 0x52,      // a window
  kKindWindowUnit = 0x06,  // a window's own unit record, always record 0 of its window
  kKindUnit = 0x16,        // a unit on a window
  kKindMenuItem = 0x26,    // a menu item
};

constexpr uint32_t IdKind(uint32_t id) {
  return id >> 24;
}
constexpr bool IsMenuItemId(uint32_t id) {
  return IdKind(id) == kKindMenuItem;
}

// (library number << 16) | type number, both counted from 1.
enum : uint32_t {
  kTypeWindow = 0x00010001,
  kTypeEditBox = 0x00010005,
  kTypePicBox = 0x00010006,
  kTypeGroupBox = 0x00010009,
  kTypeLabel = 0x0001000A,
  kTypeButton = 0x0001000B,
  kTypeRadioBox = 0x0001000D,
  kTypeVScrollBar = 0x00010012,
  kTypeProcessBar = 0x00010013,
  kTypeTimer = 0x00010020,
  kTypeTransLabel = 0x00020005,
  kTypeSuperBtn = 0x00030001,
  kTypeSplitterBar = 0x00030003,
  kTypeSysVolume = 0x00060001,
};

// State flag bits of a unit record.
enum : uint32_t {
  kStateVisible = 1u << 0,
  kStateDisabled = 1u << 1,
  kStateTabStop = 1u << 2,
};

// Colour value that stands for the system button-face colour.
inline constexpr uint32_t kDefaultColour = 0xFF000000;

// A stored handler offset meaning "no handler".
inline constexpr int32_t kNoHandlerOffset = -1;

// The one failure text of the form loader; the runtime shows it as a runtime error.
// "载入窗口模板数据段出错!" in GBK, spelled out so that every compiler stores the same bytes.
inline constexpr char kLoadErrorText[] =
    "\xD4\xD8\xC8\xEB\xB4\xB0\xBF\xDA\xC4\xA3\xB0\xE5\xCA\xFD\xBE\xDD\xB6\xCE\xB3\xF6\xB4\xED!";

}  // namespace rc::forms
