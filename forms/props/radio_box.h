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

struct RadioBoxData : VersionedData<kTypeRadioBox, 1> {
  static constexpr const char* kName = "RadioBox";

  int32_t p9 = 0;
  int32_t p10 = 0;
  int32_t p12 = 0;
  int32_t p13 = 0;
  int32_t p14 = 1;
  uint32_t text_colour = 0x000000;
  uint32_t background_colour = kDefaultColour;
  int32_t selected = 0;
  Bytes picture;
  Bytes font;
  std::string caption;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto RadioBoxData::Fields() {
  namespace p = props::radio_box;
  return std::tuple{
      Stored(p::kProperty9, &RadioBoxData::p9, Change::kKept),
      Stored(p::kProperty10, &RadioBoxData::p10, Change::kKept),
      Stored(p::kProperty12, &RadioBoxData::p12, Change::kKept),
      Stored(p::kProperty13, &RadioBoxData::p13, Change::kKept),
      Stored(p::kProperty14, &RadioBoxData::p14, Change::kKept),
      Stored(p::kTextColour, &RadioBoxData::text_colour),
      Stored(p::kBackgroundColour, &RadioBoxData::background_colour),
      Stored(p::kSelected, &RadioBoxData::selected),
      Stored(p::kPicture, &RadioBoxData::picture),
      Stored(p::kFont, &RadioBoxData::font),
      Stored(p::kCaption, &RadioBoxData::caption),
  };
}

}  // namespace rc::forms
