// Properties of the Label unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

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

// Border 6 is a gradient frame the label draws itself; 1 to 5 are native frames.
inline constexpr int32_t kLastBorder = 6;
inline constexpr int32_t kLastGradientMode = 8;
// Frame widths written through the property are at least this; stored forms may hold
// narrower ones, which are drawn as they are.
inline constexpr int32_t kMinFrameWidth = 5;

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

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_LABEL_FIELDS(F)                                                                         \
  F(kEffect, int32_t, effect, 0, kRepaint, Between(0, 3), 0)                                       \
  F(kGradientBorderWidth, int32_t, gradient_border_width, 8, kRepaint, AtLeast(p::kMinFrameWidth), \
    0)                                                                                             \
  F(kBorder, int32_t, border, 0, kSetter, Between(0, p::kLastBorder), 0)                           \
  F(kGradientBorderColour1, uint32_t, border_colour1, 0x808080, kRepaint, kAnyValue, 0)            \
  F(kGradientBorderColour2, uint32_t, border_colour2, 0xFFFFFF, kRepaint, kAnyValue, 0)            \
  F(kGradientBorderColour3, uint32_t, border_colour3, 0x808080, kRepaint, kAnyValue, 0)            \
  F(kTextColour, uint32_t, text_colour, 0x000000, kRepaint, kAnyValue, 0)                          \
  F(kBackgroundColour, uint32_t, background_colour, kDefaultColour, kRepaint, kAnyValue, 0)        \
  F(kPictureMode, int32_t, picture_mode, 1, kRepaint, Between(0, 2), 0)                            \
  F(kGradientBackgroundMode, int32_t, gradient_mode, 0, kRepaint,                                  \
    Between(0, p::kLastGradientMode), 0)                                                           \
  F(kGradientBackgroundColour1, uint32_t, gradient_colour1, 0x808080, kRepaint, kAnyValue, 0)      \
  F(kGradientBackgroundColour2, uint32_t, gradient_colour2, 0xFFFFFF, kRepaint, kAnyValue, 0)      \
  F(kGradientBackgroundColour3, uint32_t, gradient_colour3, 0x808080, kRepaint, kAnyValue, 0)      \
  F(kHorizontalAlignment, int32_t, horizontal_alignment, 0, kRepaint, Between(0, 2), 0)            \
  F(kVerticalAlignment, int32_t, vertical_alignment, 1, kRepaint, Between(0, 2), 0)                \
  F(kWordWrap, int32_t, word_wrap, 0, kRepaint, kFlag, 0)                                          \
  F(kFont, Bytes, font, {}, kSetter, kAnyValue, 0)                                                 \
  F(kBackgroundPicture, Bytes, background_picture, {}, kSetter, kAnyValue, 0)                      \
  F(kCaption, std::string, caption, {}, kSetter, kAnyValue, 0)                                     \
  F(kDataBinding1, std::string, data_binding_1, {}, kKept, kAnyValue, 2)                           \
  F(kDataBinding2, std::string, data_binding_2, {}, kKept, kAnyValue, 2)

RC_STORED_DATA(LabelData, kTypeLabel, 2, "Label", label, RC_LABEL_FIELDS)

}  // namespace rc::forms
