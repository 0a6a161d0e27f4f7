// Properties of the Label unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::label {

inline constexpr Property kCaption{8, Kind::kText, "caption"};
inline constexpr Property kEffect{9, Kind::kChoice, "effect"};
inline constexpr Property kBorder{10, Kind::kChoice, "border"};
inline constexpr Property kGradientBorderWidth{11, Kind::kInteger, "gradient_border_width"};
inline constexpr Property kGradientBorderColour1{12, Kind::kColour, "gradient_border_colour_1"};
inline constexpr Property kGradientBorderColour2{13, Kind::kColour, "gradient_border_colour_2"};
inline constexpr Property kGradientBorderColour3{14, Kind::kColour, "gradient_border_colour_3"};
inline constexpr Property kFont{15, Kind::kFont, "font"};
inline constexpr Property kTextColour{16, Kind::kColour, "text_colour"};
inline constexpr Property kBackgroundColour{17, Kind::kColour, "background_colour"};
inline constexpr Property kBackgroundPicture{18, Kind::kPicture, "background_picture"};
inline constexpr Property kPictureMode{19, Kind::kChoice, "picture_mode"};
inline constexpr Property kGradientBackgroundMode{20, Kind::kChoice, "gradient_background_mode"};
inline constexpr Property kGradientBackgroundColour1{21, Kind::kColour,
                                                     "gradient_background_colour_1"};
inline constexpr Property kGradientBackgroundColour2{22, Kind::kColour,
                                                     "gradient_background_colour_2"};
inline constexpr Property kGradientBackgroundColour3{23, Kind::kColour,
                                                     "gradient_background_colour_3"};
inline constexpr Property kHorizontalAlignment{24, Kind::kChoice, "horizontal_alignment"};
inline constexpr Property kWordWrap{25, Kind::kBool, "word_wrap"};
inline constexpr Property kVerticalAlignment{26, Kind::kChoice, "vertical_alignment"};
inline constexpr Property kDataBinding1{27, Kind::kText, "data_binding_1"};
inline constexpr Property kDataBinding2{28, Kind::kText, "data_binding_2"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kCaption,
                                    kEffect,
                                    kBorder,
                                    kGradientBorderWidth,
                                    kGradientBorderColour1,
                                    kGradientBorderColour2,
                                    kGradientBorderColour3,
                                    kFont,
                                    kTextColour,
                                    kBackgroundColour,
                                    kBackgroundPicture,
                                    kPictureMode,
                                    kGradientBackgroundMode,
                                    kGradientBackgroundColour1,
                                    kGradientBackgroundColour2,
                                    kGradientBackgroundColour3,
                                    kHorizontalAlignment,
                                    kWordWrap,
                                    kVerticalAlignment,
                                    kDataBinding1,
                                    kDataBinding2};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::label
