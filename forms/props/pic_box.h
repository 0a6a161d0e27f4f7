// Properties of the PicBox unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::pic_box {

inline constexpr Property kBorder{8, Kind::kChoice, "border"};
inline constexpr Property kBackgroundColour{9, Kind::kColour, "background_colour"};
inline constexpr Property kPicture{10, Kind::kPicture, "picture"};
inline constexpr Property kDisplayMode{11, Kind::kChoice, "display_mode"};
inline constexpr Property kPlayAnimation{12, Kind::kBool, "play_animation"};
inline constexpr Property kDataBinding1{13, Kind::kText, "data_binding_1"};
inline constexpr Property kDataBinding2{14, Kind::kText, "data_binding_2"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {kBorder,        kBackgroundColour, kPicture,     kDisplayMode,
                                    kPlayAnimation, kDataBinding1,     kDataBinding2};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::pic_box

namespace rc::forms {

struct PicBoxData : VersionedData<kTypePicBox, 2> {
  static constexpr const char* kName = "PicBox";

  int32_t border = 0;
  uint32_t background_colour = kDefaultColour;
  int32_t display_mode = 0;
  int32_t play_animation = 1;
  Bytes picture;
  std::string p13;
  std::string p14;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto PicBoxData::Fields() {
  namespace p = props::pic_box;
  return std::tuple{
      Stored(p::kBorder, &PicBoxData::border, Change::kSetter, Between(0, 5)),
      Stored(p::kBackgroundColour, &PicBoxData::background_colour, Change::kRepaint),
      Stored(p::kDisplayMode, &PicBoxData::display_mode, Change::kSetter, Between(0, 2)),
      // Kept: the pictures this runtime decodes are still pictures.
      Stored(p::kPlayAnimation, &PicBoxData::play_animation, Change::kKept, kFlag),
      Stored(p::kPicture, &PicBoxData::picture),
      Stored(p::kDataBinding1, &PicBoxData::p13, Change::kKept, kAnyValue, 2),
      Stored(p::kDataBinding2, &PicBoxData::p14, Change::kKept, kAnyValue, 2),
  };
}

}  // namespace rc::forms
