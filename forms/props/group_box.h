// Properties of the GroupBox unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::group_box {

inline constexpr Property kCaption{8, Kind::kText, "caption"};
inline constexpr Property kCaptionAlignment{9, Kind::kChoice, "caption_alignment"};
inline constexpr Property kTextColour{10, Kind::kColour, "text_colour"};
inline constexpr Property kBackgroundColour{11, Kind::kColour, "background_colour"};
inline constexpr Property kFont{12, Kind::kFont, "font"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kCaption, kCaptionAlignment, kTextColour, kBackgroundColour,
                                    kFont};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::group_box

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_GROUP_BOX_FIELDS(F)                                                             \
  F(kCaptionAlignment, int32_t, caption_alignment, 0, kSetter, Between(0, 2), 0)           \
  F(kTextColour, uint32_t, text_colour, 0x000000, kSetter, kAnyValue, 0)                   \
  F(kBackgroundColour, uint32_t, background_colour, kDefaultColour, kSetter, kAnyValue, 0) \
  F(kFont, Bytes, font, {}, kSetter, kAnyValue, 0)                                         \
  F(kCaption, std::string, caption, {}, kSetter, kAnyValue, 0)

RC_STORED_DATA(GroupBoxData, kTypeGroupBox, 1, "GroupBox", group_box, RC_GROUP_BOX_FIELDS)

}  // namespace rc::forms
