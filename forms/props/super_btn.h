// Properties of the SuperBtn unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::super_btn {

inline constexpr Property kButtonStyle{8, Kind::kChoice, "button_style"};
inline constexpr Property kCheckBoxMode{9, Kind::kBool, "check_box_mode"};
inline constexpr Property kChecked{10, Kind::kBool, "checked"};
inline constexpr Property kPictureAlignment{11, Kind::kChoice, "picture_alignment"};
inline constexpr Property kProperty12{12, Kind::kChoice, "property_12"};
inline constexpr Property kProperty13{13, Kind::kBool, "property_13"};
inline constexpr Property kProperty14{14, Kind::kBool, "property_14"};
inline constexpr Property kPicture1{15, Kind::kPicture, "picture_1"};
inline constexpr Property kPicture1Colour{16, Kind::kColour, "picture_1_colour"};
inline constexpr Property kPicture2{17, Kind::kPicture, "picture_2"};
inline constexpr Property kPicture2Colour{18, Kind::kColour, "picture_2_colour"};
inline constexpr Property kPicture3{19, Kind::kPicture, "picture_3"};
inline constexpr Property kPicture3Colour{20, Kind::kColour, "picture_3_colour"};
inline constexpr Property kFont{21, Kind::kFont, "font"};
inline constexpr Property kCaption{22, Kind::kText, "caption"};
inline constexpr Property kUseDefaultColours{23, Kind::kBool, "use_default_colours"};
inline constexpr Property kTextColourNormal{24, Kind::kColour, "text_colour_normal"};
inline constexpr Property kBackgroundColourNormal{25, Kind::kColour, "background_colour_normal"};
inline constexpr Property kTextColourMouseOver{26, Kind::kColour, "text_colour_mouse_over"};
inline constexpr Property kBackgroundColourMouseOver{27, Kind::kColour,
                                                     "background_colour_mouse_over"};
inline constexpr Property kTextColourPressed{28, Kind::kColour, "text_colour_pressed"};
inline constexpr Property kBackgroundColourPressed{29, Kind::kColour, "background_colour_pressed"};
inline constexpr Property kProperty30{30, Kind::kBool, "property_30"};
inline constexpr Property kSound1{31, Kind::kSound, "sound_1"};
inline constexpr Property kSound2{32, Kind::kSound, "sound_2"};
inline constexpr Property kTooltip{33, Kind::kText, "tooltip"};
inline constexpr Property kDefaultPushButton{34, Kind::kBool, "default_push_button"};

// Button styles: flat with an edge only under the mouse, always raised, always flat.
enum : int32_t { kFlatHover = 0, kRaised = 1, kFlat = 2 };
// Picture alignment: the picture left of the caption, above it, right of it, below it.
enum : int32_t { kPictureLeft = 0, kPictureAbove = 1, kPictureRight = 2, kPictureBelow = 3 };

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kButtonStyle,
                                    kCheckBoxMode,
                                    kChecked,
                                    kPictureAlignment,
                                    kProperty12,
                                    kProperty13,
                                    kProperty14,
                                    kPicture1,
                                    kPicture1Colour,
                                    kPicture2,
                                    kPicture2Colour,
                                    kPicture3,
                                    kPicture3Colour,
                                    kFont,
                                    kCaption,
                                    kUseDefaultColours,
                                    kTextColourNormal,
                                    kBackgroundColourNormal,
                                    kTextColourMouseOver,
                                    kBackgroundColourMouseOver,
                                    kTextColourPressed,
                                    kBackgroundColourPressed,
                                    kProperty30,
                                    kSound1,
                                    kSound2,
                                    kTooltip,
                                    kDefaultPushButton};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::super_btn

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_SUPER_BTN_FIELDS(F)                                                                    \
  F(kButtonStyle, int32_t, button_style, 0, kRepaint, Between(0, p::kFlat), 0)                    \
  /* Check-box mode and the default button are fixed when the native button is made. */           \
  F(kCheckBoxMode, int32_t, check_box_mode, 0, kRecreate, kFlag, 0)                               \
  F(kChecked, int32_t, checked, 0, kRepaint, kFlag, 0)                                            \
  F(kPictureAlignment, int32_t, picture_alignment, 1, kRepaint, Between(0, p::kPictureBelow), 0)  \
  F(kProperty12, int32_t, p12, 0, kKept, Between(0, 1), 0)                                        \
  F(kProperty13, int32_t, p13, 0, kKept, kFlag, 0)                                                \
  F(kProperty14, int32_t, p14, 0, kKept, kFlag, 0)                                                \
  F(kPicture2Colour, uint32_t, picture2_colour, kDefaultColour, kRepaint, kAnyValue, 0)           \
  F(kPicture1Colour, uint32_t, picture1_colour, kDefaultColour, kRepaint, kAnyValue, 0)           \
  F(kUseDefaultColours, int32_t, use_default_colours, 1, kRepaint, kFlag, 0)                      \
  F(kProperty30, int32_t, p30, 0, kKept, kFlag, 0)                                                \
  F(kDefaultPushButton, int32_t, default_button, 0, kRecreate, kFlag, 0)                          \
  /* Text and background colours for normal, mouse over and pressed, one after another. */        \
  F(kTextColourNormal, uint32_t, text_colour_normal, 0x000000, kRepaint, kAnyValue, 0)            \
  F(kBackgroundColourNormal, uint32_t, background_colour_normal, kDefaultColour, kRepaint,        \
    kAnyValue, 0)                                                                                 \
  F(kTextColourMouseOver, uint32_t, text_colour_mouse_over, 0x000000, kRepaint, kAnyValue, 0)     \
  F(kBackgroundColourMouseOver, uint32_t, background_colour_mouse_over, kDefaultColour, kRepaint, \
    kAnyValue, 0)                                                                                 \
  F(kTextColourPressed, uint32_t, text_colour_pressed, 0x000000, kRepaint, kAnyValue, 0)          \
  F(kBackgroundColourPressed, uint32_t, background_colour_pressed, kDefaultColour, kRepaint,      \
    kAnyValue, 0)                                                                                 \
  F(kPicture2, Bytes, picture2, {}, kSetter, kAnyValue, 0)                                        \
  F(kPicture1, Bytes, picture1, {}, kSetter, kAnyValue, 0)                                        \
  F(kFont, Bytes, font, {}, kSetter, kAnyValue, 0)                                                \
  F(kSound1, Bytes, sound1, {}, kKept, kAnyValue, 0)                                              \
  F(kSound2, Bytes, sound2, {}, kKept, kAnyValue, 0)                                              \
  F(kCaption, std::string, caption, {}, kSetter, kAnyValue, 0)                                    \
  F(kTooltip, std::string, tooltip, {}, kSetter, kAnyValue, 0)                                    \
  F(kPicture3Colour, uint32_t, picture3_colour, kDefaultColour, kRepaint, kAnyValue, 2)           \
  F(kPicture3, Bytes, picture3, {}, kSetter, kAnyValue, 2)

RC_STORED_DATA(SuperBtnData, kTypeSuperBtn, 2, "SuperBtn", super_btn, RC_SUPER_BTN_FIELDS)

}  // namespace rc::forms
