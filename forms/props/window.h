// Properties of the window unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include <string>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/stored.h"

namespace rc::props::window {

inline constexpr Property kTitle{8, Kind::kText, "title"};
inline constexpr Property kBorderStyle{9, Kind::kChoice, "border_style"};
inline constexpr Property kBackgroundColour{10, Kind::kColour, "background_colour"};
inline constexpr Property kBackgroundPicture{11, Kind::kPicture, "background_picture"};
inline constexpr Property kPictureMode{12, Kind::kChoice, "picture_mode"};
inline constexpr Property kBackgroundMusic{13, Kind::kSound, "background_music"};
inline constexpr Property kMusicPlayCount{14, Kind::kChoice, "music_play_count"};
inline constexpr Property kControlBox{15, Kind::kBool, "control_box"};
inline constexpr Property kMaximiseButton{16, Kind::kBool, "maximise_button"};
inline constexpr Property kMinimiseButton{17, Kind::kBool, "minimise_button"};
inline constexpr Property kStartPosition{18, Kind::kChoice, "start_position"};
inline constexpr Property kMovable{19, Kind::kBool, "movable"};
inline constexpr Property kIcon{20, Kind::kIcon, "icon"};
inline constexpr Property kEnterMovesFocus{21, Kind::kBool, "enter_moves_focus"};
inline constexpr Property kEscCloses{22, Kind::kBool, "esc_closes"};
inline constexpr Property kF1OpensHelp{23, Kind::kBool, "f1_opens_help"};
inline constexpr Property kHelpFile{24, Kind::kText, "help_file"};
inline constexpr Property kHelpContext{25, Kind::kInteger, "help_context"};
inline constexpr Property kTaskbarButton{26, Kind::kBool, "taskbar_button"};
inline constexpr Property kDragByAnyPoint{27, Kind::kBool, "drag_by_any_point"};
inline constexpr Property kShape{28, Kind::kChoice, "shape"};
inline constexpr Property kAlwaysOnTop{29, Kind::kBool, "always_on_top"};
inline constexpr Property kProperty30{30, Kind::kBool, "property_30"};
inline constexpr Property kClassName{31, Kind::kText, "class_name"};

// The type's own properties in index order, from index 8.
inline constexpr Property kOwn[] = {
    kTitle,          kBorderStyle,     kBackgroundColour, kBackgroundPicture,
    kPictureMode,    kBackgroundMusic, kMusicPlayCount,   kControlBox,
    kMaximiseButton, kMinimiseButton,  kStartPosition,    kMovable,
    kIcon,           kEnterMovesFocus, kEscCloses,        kF1OpensHelp,
    kHelpFile,       kHelpContext,     kTaskbarButton,    kDragByAnyPoint,
    kShape,          kAlwaysOnTop,     kProperty30,       kClassName};
inline constexpr int32_t kCount = kFirstOwn + int32_t(sizeof kOwn / sizeof kOwn[0]);

}  // namespace rc::props::window

namespace rc::forms {

// The stored fields in stored order: F(property, type, member, default, change, range, since).
#define RC_WINDOW_FIELDS(F)                                                                 \
  F(kBorderStyle, int32_t, border_style, 2, kSetter, Between(0, 6), 0)                      \
  F(kPictureMode, int32_t, picture_mode, 1, kSetter, Between(0, 3), 0)                      \
  F(kBackgroundColour, uint32_t, background_colour, kDefaultColour, kRepaint, kAnyValue, 0) \
  F(kMaximiseButton, int32_t, max_button, 0, kSetter, kAnyValue, 0)                         \
  F(kMinimiseButton, int32_t, min_button, 1, kSetter, kAnyValue, 0)                         \
  F(kControlBox, int32_t, control_box, 1, kSetter, kAnyValue, 0)                            \
  F(kStartPosition, int32_t, start_position, 1, kSetter, Between(0, 3), 0)                  \
  F(kMovable, int32_t, movable, 1, kSetter, kAnyValue, 0)                                   \
  F(kMusicPlayCount, int32_t, music_play_count, 0, kSetter, Between(0, 2), 0)               \
  F(kEnterMovesFocus, int32_t, enter_moves_focus, 0, kKept, kAnyValue, 0)                   \
  F(kEscCloses, int32_t, esc_closes, 0, kKept, kAnyValue, 0)                                \
  F(kF1OpensHelp, int32_t, f1_opens_help, 0, kKept, kAnyValue, 0)                           \
  F(kHelpContext, int32_t, help_context, 0, kKept, kAnyValue, 0)                            \
  /* Read when the window is made. */                                                       \
  F(kTaskbarButton, int32_t, taskbar_button, 1, kKept, kAnyValue, 2)                        \
  F(kDragByAnyPoint, int32_t, drag_anywhere, 0, kKept, kAnyValue, 3)                        \
  F(kShape, int32_t, shape, 0, kKept, Between(0, 29), 3)                                    \
  F(kAlwaysOnTop, int32_t, always_on_top, 0, kSetter, kAnyValue, 4)                         \
  F(kProperty30, int32_t, p30, 0, kKept, kAnyValue, 5)                                      \
  /* The class is chosen when the window is made. */                                        \
  F(kClassName, std::string, class_name, {}, kKept, kAnyValue, 6)                           \
  F(kBackgroundPicture, Bytes, background_picture, {}, kSetter, kAnyValue, 0)               \
  F(kIcon, Bytes, icon, {}, kSetter, kAnyValue, 0)                                          \
  F(kBackgroundMusic, Bytes, background_music, {}, kSetter, kAnyValue, 0)                   \
  F(kTitle, std::string, title, {}, kSetter, kAnyValue, 0)                                  \
  F(kHelpFile, std::string, help_file, {}, kKept, kAnyValue, 0)

RC_STORED_DATA(WindowData, kTypeWindow, 6, "window", window, RC_WINDOW_FIELDS)

}  // namespace rc::forms
