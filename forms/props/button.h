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

struct ButtonData : VersionedData<kTypeButton, 1> {
  static constexpr const char* kName = "Button";

  int32_t button_type = 0;
  int32_t horizontal_alignment = 1;
  int32_t vertical_alignment = 1;
  Bytes picture;
  Bytes font;
  std::string caption;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto ButtonData::Fields() {
  namespace p = props::button;
  return std::tuple{
      Stored(p::kType, &ButtonData::button_type, Change::kSetter, Between(0, 1)),
      Stored(p::kHorizontalAlignment, &ButtonData::horizontal_alignment, Change::kSetter,
             Between(0, 2)),
      Stored(p::kVerticalAlignment, &ButtonData::vertical_alignment, Change::kSetter,
             Between(0, 2)),
      Stored(p::kPicture, &ButtonData::picture),
      Stored(p::kFont, &ButtonData::font),
      Stored(p::kCaption, &ButtonData::caption),
  };
}

}  // namespace rc::forms
