// A unit property as the application, the unit types and the form data know it: its index in
// the type's property table, the kind that says how its value travels, and a name. Each type
// declares its properties once, in forms/props/<type>.h.
#pragma once

#include <cstdint>

namespace rc::props {

// How a value of the property travels between the application and the runtime.
enum class Kind : uint16_t {
  kInteger = 1000,
  kInteger2 = 1001,
  kDouble = 1002,
  kBool = 1003,
  kDateTime = 1004,
  kText = 1005,
  kChoice = 1006,
  kPicture = 1009,
  kIcon = 1010,
  kCursor = 1011,
  kSound = 1012,
  kFont = 1013,
  kColour = 1014,
  kColour2 = 1015,
  kColour3 = 1017,
};

struct Property {
  int32_t index;
  Kind kind;
  const char* name;
};

// The properties every unit has, at indexes 0 to 7.
inline constexpr Property kLeft{0, Kind::kInteger, "left"};
inline constexpr Property kTop{1, Kind::kInteger, "top"};
inline constexpr Property kWidth{2, Kind::kInteger, "width"};
inline constexpr Property kHeight{3, Kind::kInteger, "height"};
inline constexpr Property kTag{4, Kind::kText, "tag"};
inline constexpr Property kVisible{5, Kind::kBool, "visible"};
inline constexpr Property kDisabled{6, Kind::kBool, "disabled"};
inline constexpr Property kCursor{7, Kind::kCursor, "cursor"};

inline constexpr Property kCommon[] = {kLeft, kTop,     kWidth,    kHeight,
                                       kTag,  kVisible, kDisabled, kCursor};
inline constexpr int32_t kFirstOwn = 8;

// A type's own property as its unit type's operations number it: the index less kFirstOwn.
constexpr int32_t Own(const Property& p) {
  return p.index - kFirstOwn;
}

}  // namespace rc::props
