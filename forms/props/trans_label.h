// Properties of the TransLabel unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::trans_label {

inline constexpr Property kCaption{8, Kind::kText, "caption"};
inline constexpr Property kEffect{9, Kind::kChoice, "effect"};
inline constexpr Property kFont{10, Kind::kFont, "font"};
inline constexpr Property kTextColour{11, Kind::kColour, "text_colour"};
inline constexpr Property kHorizontalAlignment{12, Kind::kChoice, "horizontal_alignment"};
inline constexpr Property kWordWrap{13, Kind::kBool, "word_wrap"};
inline constexpr Property kVerticalAlignment{14, Kind::kChoice, "vertical_alignment"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {
    kCaption, kEffect, kFont, kTextColour, kHorizontalAlignment, kWordWrap, kVerticalAlignment};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::trans_label

namespace rc::forms {

// The caption a TransLabel has when its record stores none: "透明标签" in GBK.
inline constexpr char kTransLabelDefaultCaption[] = "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9";

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_TRANS_LABEL_FIELDS(F)                                                        \
  F(kEffect, int32_t, effect, 0, kRepaint, Between(0, 3), 0)                            \
  F(kTextColour, uint32_t, text_colour, 0x000000, kRepaint, kAnyValue, 0)               \
  F(kHorizontalAlignment, int32_t, horizontal_alignment, 0, kRepaint, Between(0, 2), 0) \
  F(kVerticalAlignment, int32_t, vertical_alignment, 1, kRepaint, Between(0, 2), 0)     \
  F(kWordWrap, int32_t, word_wrap, 0, kRepaint, kFlag, 0)                               \
  F(kFont, Bytes, font, {}, kSetter, kAnyValue, 0)                                      \
  F(kCaption, std::string, caption, kTransLabelDefaultCaption, kSetter, kAnyValue, 0)

RC_STORED_DATA(TransLabelData, kTypeTransLabel, 1, "TransLabel", trans_label, RC_TRANS_LABEL_FIELDS)

}  // namespace rc::forms
