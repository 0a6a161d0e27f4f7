// Properties of the SuperBtn unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::super_btn {

inline constexpr Property kButtonStyle{8, Kind::kChoice, "button_style"};
inline constexpr Property kCheckBoxMode{9, Kind::kBool, "check-box_mode"};
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
inline constexpr Property kTextColourNormal{24, Kind::kColour, "text_colour,_normal"};
inline constexpr Property kBackgroundColourNormal{25, Kind::kColour, "background_colour,_normal"};
inline constexpr Property kTextColourMouseOver{26, Kind::kColour, "text_colour,_mouse_over"};
inline constexpr Property kBackgroundColourMouseOver{27, Kind::kColour,
                                                     "background_colour,_mouse_over"};
inline constexpr Property kTextColourPressed{28, Kind::kColour, "text_colour,_pressed"};
inline constexpr Property kBackgroundColourPressed{29, Kind::kColour, "background_colour,_pressed"};
inline constexpr Property kProperty30{30, Kind::kBool, "property_30"};
inline constexpr Property kSound1{31, Kind::kSound, "sound_1"};
inline constexpr Property kSound2{32, Kind::kSound, "sound_2"};
inline constexpr Property kTooltip{33, Kind::kText, "tooltip"};
inline constexpr Property kDefaultPushButton{34, Kind::kBool, "default_push_button"};

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
