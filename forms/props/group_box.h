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

struct GroupBoxData : VersionedData<kTypeGroupBox, 1> {
  static constexpr const char* kName = "GroupBox";

  int32_t caption_alignment = 0;
  uint32_t text_colour = 0x000000;
  uint32_t background_colour = kDefaultColour;
  Bytes font;
  std::string caption;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto GroupBoxData::Fields() {
  namespace p = props::group_box;
  return std::tuple{
      Stored(p::kCaptionAlignment, &GroupBoxData::caption_alignment, Change::kSetter,
             Between(0, 2)),
      Stored(p::kTextColour, &GroupBoxData::text_colour),
      Stored(p::kBackgroundColour, &GroupBoxData::background_colour),
      Stored(p::kFont, &GroupBoxData::font),
      Stored(p::kCaption, &GroupBoxData::caption),
  };
}

}  // namespace rc::forms
