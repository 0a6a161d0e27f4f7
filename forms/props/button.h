// Properties of the Button unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::button {

inline constexpr Property kPicture{8, Kind::kPicture, "picture"};
inline constexpr Property kType{9, Kind::kChoice, "type"};
inline constexpr Property kCaption{10, Kind::kText, "caption"};
inline constexpr Property kHorizontalAlignment{11, Kind::kChoice, "horizontal_alignment"};
inline constexpr Property kVerticalAlignment{12, Kind::kChoice, "vertical_alignment"};
inline constexpr Property kFont{13, Kind::kFont, "font"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kPicture,           kType, kCaption, kHorizontalAlignment,
                                    kVerticalAlignment, kFont};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::button

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_BUTTON_FIELDS(F)                                                            \
  F(kType, int32_t, button_type, 0, kSetter, Between(0, 1), 0)                         \
  F(kHorizontalAlignment, int32_t, horizontal_alignment, 1, kSetter, Between(0, 2), 0) \
  F(kVerticalAlignment, int32_t, vertical_alignment, 1, kSetter, Between(0, 2), 0)     \
  F(kPicture, Bytes, picture, {}, kSetter, kAnyValue, 0)                               \
  F(kFont, Bytes, font, {}, kSetter, kAnyValue, 0)                                     \
  F(kCaption, std::string, caption, {}, kSetter, kAnyValue, 0)

RC_STORED_DATA(ButtonData, kTypeButton, 1, "Button", button, RC_BUTTON_FIELDS)

}  // namespace rc::forms
