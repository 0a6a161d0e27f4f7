// Properties of the EditBox unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::edit_box {

inline constexpr Property kContent{8, Kind::kText, "content"};
inline constexpr Property kBorder{9, Kind::kChoice, "border"};
inline constexpr Property kTextColour{10, Kind::kColour, "text_colour"};
inline constexpr Property kBackgroundColour{11, Kind::kColour, "background_colour"};
inline constexpr Property kFont{12, Kind::kFont, "font"};
inline constexpr Property kHideSelection{13, Kind::kBool, "hide_selection"};
inline constexpr Property kMaximumLength{14, Kind::kInteger, "maximum_length"};
inline constexpr Property kMultiLine{15, Kind::kBool, "multi_line"};
inline constexpr Property kScrollBars{16, Kind::kChoice, "scroll_bars"};
inline constexpr Property kAlignment{17, Kind::kChoice, "alignment"};
inline constexpr Property kInputMode{18, Kind::kChoice, "input_mode"};
inline constexpr Property kPasswordCharacter{19, Kind::kInteger, "password_character"};
inline constexpr Property kLetterCase{20, Kind::kChoice, "letter_case"};
inline constexpr Property kSpinControl{21, Kind::kBool, "spin_control"};
inline constexpr Property kSpinMinimum{22, Kind::kInteger, "spin_minimum"};
inline constexpr Property kSpinMaximum{23, Kind::kInteger, "spin_maximum"};
inline constexpr Property kSelectionStart{24, Kind::kInteger, "selection_start"};
inline constexpr Property kSelectionLength{25, Kind::kInteger, "selection_length"};
inline constexpr Property kSelectedText{26, Kind::kText, "selected_text"};
inline constexpr Property kDataBinding1{27, Kind::kText, "data_binding_1"};
inline constexpr Property kDataBinding2{28, Kind::kText, "data_binding_2"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kContent,          kBorder,         kTextColour,
                                    kBackgroundColour, kFont,           kHideSelection,
                                    kMaximumLength,    kMultiLine,      kScrollBars,
                                    kAlignment,        kInputMode,      kPasswordCharacter,
                                    kLetterCase,       kSpinControl,    kSpinMinimum,
                                    kSpinMaximum,      kSelectionStart, kSelectionLength,
                                    kSelectedText,     kDataBinding1,   kDataBinding2};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::edit_box

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_EDIT_BOX_FIELDS(F)                                                        \
  F(kBorder, int32_t, border, 1, kSetter, Between(0, 5), 0)                          \
  F(kTextColour, uint32_t, text_colour, 0x000000, kSetter, kAnyValue, 0)             \
  F(kBackgroundColour, uint32_t, background_colour, 0xFFFFFF, kSetter, kAnyValue, 0) \
  F(kHideSelection, int32_t, hide_selection, 1, kRecreate, kFlag, 0)                 \
  F(kMaximumLength, int32_t, max_length, 0, kSetter, AtLeast(0), 0)                  \
  F(kMultiLine, int32_t, multi_line, 0, kRecreate, kFlag, 0)                         \
  F(kScrollBars, int32_t, scroll_bars, 0, kRecreate, Between(0, 3), 0)               \
  F(kAlignment, int32_t, alignment, 0, kRecreate, Between(0, 2), 0)                  \
  F(kInputMode, int32_t, input_mode, 0, kSetter, Between(0, 11), 0)                  \
  F(kPasswordCharacter, uint16_t, password_char, '*', kSetter, kAnyValue, 0)         \
  F(kLetterCase, int32_t, letter_case, 0, kSetter, Between(0, 2), 0)                 \
  F(kSpinControl, int32_t, spin, 0, kSetter, kFlag, 0)                               \
  F(kSpinMinimum, int32_t, spin_min, 0, kSetter, kAnyValue, 0)                       \
  F(kSpinMaximum, int32_t, spin_max, 100, kSetter, kAnyValue, 0)                     \
  F(kSelectionStart, int32_t, selection_start, 0, kSetter, AtLeast(0), 0)            \
  F(kSelectionLength, int32_t, selection_length, 0, kSetter, AtLeast(0), 0)          \
  F(kFont, Bytes, font, {}, kSetter, kAnyValue, 0)                                   \
  F(kContent, std::string, content, {}, kSetter, kAnyValue, 0)                       \
  F(kDataBinding1, std::string, data_binding_1, {}, kKept, kAnyValue, 2)             \
  F(kDataBinding2, std::string, data_binding_2, {}, kKept, kAnyValue, 2)

RC_STORED_DATA(EditBoxData, kTypeEditBox, 2, "EditBox", edit_box, RC_EDIT_BOX_FIELDS)

}  // namespace rc::forms
