// Properties of the RadioBox unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::radio_box {

inline constexpr Property kPicture{8, Kind::kPicture, "picture"};
inline constexpr Property kProperty9{9, Kind::kInteger, "property_9"};
inline constexpr Property kProperty10{10, Kind::kInteger, "property_10"};
inline constexpr Property kCaption{11, Kind::kText, "caption"};
inline constexpr Property kProperty12{12, Kind::kInteger, "property_12"};
inline constexpr Property kProperty13{13, Kind::kInteger, "property_13"};
inline constexpr Property kProperty14{14, Kind::kInteger, "property_14"};
inline constexpr Property kTextColour{15, Kind::kColour, "text_colour"};
inline constexpr Property kBackgroundColour{16, Kind::kColour, "background_colour"};
inline constexpr Property kFont{17, Kind::kFont, "font"};
inline constexpr Property kSelected{18, Kind::kBool, "selected"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kPicture,          kProperty9,  kProperty10, kCaption,
                                    kProperty12,       kProperty13, kProperty14, kTextColour,
                                    kBackgroundColour, kFont,       kSelected};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::radio_box

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_RADIO_BOX_FIELDS(F)                                                             \
  F(kProperty9, int32_t, p9, 0, kKept, kAnyValue, 0)                                       \
  F(kProperty10, int32_t, p10, 0, kKept, kAnyValue, 0)                                     \
  F(kProperty12, int32_t, p12, 0, kKept, kAnyValue, 0)                                     \
  F(kProperty13, int32_t, p13, 0, kKept, kAnyValue, 0)                                     \
  F(kProperty14, int32_t, p14, 1, kKept, kAnyValue, 0)                                     \
  F(kTextColour, uint32_t, text_colour, 0x000000, kSetter, kAnyValue, 0)                   \
  F(kBackgroundColour, uint32_t, background_colour, kDefaultColour, kSetter, kAnyValue, 0) \
  F(kSelected, int32_t, selected, 0, kSetter, kAnyValue, 0)                                \
  F(kPicture, Bytes, picture, {}, kSetter, kAnyValue, 0)                                   \
  F(kFont, Bytes, font, {}, kSetter, kAnyValue, 0)                                         \
  F(kCaption, std::string, caption, {}, kSetter, kAnyValue, 0)

RC_STORED_DATA(RadioBoxData, kTypeRadioBox, 1, "RadioBox", radio_box, RC_RADIO_BOX_FIELDS)

}  // namespace rc::forms
