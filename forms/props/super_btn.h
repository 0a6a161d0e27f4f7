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

struct SuperBtnData : VersionedData<kTypeSuperBtn, 2> {
  static constexpr const char* kName = "SuperBtn";

  int32_t button_style = 0;
  int32_t check_box_mode = 0;
  int32_t checked = 0;
  int32_t picture_alignment = 1;
  int32_t p12 = 0;
  int32_t p13 = 0;
  int32_t p14 = 0;
  uint32_t picture2_colour = kDefaultColour;
  uint32_t picture1_colour = kDefaultColour;
  int32_t use_default_colours = 1;
  int32_t p30 = 0;
  int32_t default_button = 0;
  uint32_t state_colours[6] = {0x000000,       kDefaultColour, 0x000000,
                               kDefaultColour, 0x000000,       kDefaultColour};
  Bytes picture2;
  Bytes picture1;
  Bytes font;
  Bytes sound1;
  Bytes sound2;
  std::string caption;
  std::string tooltip;
  uint32_t picture3_colour = kDefaultColour;
  Bytes picture3;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto SuperBtnData::Fields() {
  namespace p = props::super_btn;
  return std::tuple{
      Stored(p::kButtonStyle, &SuperBtnData::button_style, Change::kRepaint, Between(0, p::kFlat)),
      // Check-box mode and the default button are fixed when the native button is made.
      Stored(p::kCheckBoxMode, &SuperBtnData::check_box_mode, Change::kRecreate, kFlag),
      Stored(p::kChecked, &SuperBtnData::checked, Change::kRepaint, kFlag),
      Stored(p::kPictureAlignment, &SuperBtnData::picture_alignment, Change::kRepaint,
             Between(0, p::kPictureBelow)),
      Stored(p::kProperty12, &SuperBtnData::p12, Change::kKept, Between(0, 1)),
      Stored(p::kProperty13, &SuperBtnData::p13, Change::kKept, kFlag),
      Stored(p::kProperty14, &SuperBtnData::p14, Change::kKept, kFlag),
      Stored(p::kPicture2Colour, &SuperBtnData::picture2_colour, Change::kRepaint),
      Stored(p::kPicture1Colour, &SuperBtnData::picture1_colour, Change::kRepaint),
      Stored(p::kUseDefaultColours, &SuperBtnData::use_default_colours, Change::kRepaint, kFlag),
      Stored(p::kProperty30, &SuperBtnData::p30, Change::kKept, kFlag),
      Stored(p::kDefaultPushButton, &SuperBtnData::default_button, Change::kRecreate, kFlag),
      // Text and background colours for normal, mouse over and pressed, one after another.
      StoredElement(p::kTextColourNormal, &SuperBtnData::state_colours, 0, Change::kRepaint),
      StoredElement(p::kBackgroundColourNormal, &SuperBtnData::state_colours, 1, Change::kRepaint),
      StoredElement(p::kTextColourMouseOver, &SuperBtnData::state_colours, 2, Change::kRepaint),
      StoredElement(p::kBackgroundColourMouseOver, &SuperBtnData::state_colours, 3,
                    Change::kRepaint),
      StoredElement(p::kTextColourPressed, &SuperBtnData::state_colours, 4, Change::kRepaint),
      StoredElement(p::kBackgroundColourPressed, &SuperBtnData::state_colours, 5, Change::kRepaint),
      Stored(p::kPicture2, &SuperBtnData::picture2),
      Stored(p::kPicture1, &SuperBtnData::picture1),
      Stored(p::kFont, &SuperBtnData::font),
      Stored(p::kSound1, &SuperBtnData::sound1, Change::kKept),
      Stored(p::kSound2, &SuperBtnData::sound2, Change::kKept),
      Stored(p::kCaption, &SuperBtnData::caption),
      Stored(p::kTooltip, &SuperBtnData::tooltip),
      Stored(p::kPicture3Colour, &SuperBtnData::picture3_colour, Change::kRepaint, kAnyValue, 2),
      Stored(p::kPicture3, &SuperBtnData::picture3, Change::kSetter, kAnyValue, 2),
  };
}

}  // namespace rc::forms
