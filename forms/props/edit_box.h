// Properties of the EditBox unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

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
