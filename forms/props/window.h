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

struct WindowData : VersionedData<kTypeWindow, 6> {
  static constexpr const char* kName = "window";

  int32_t border_style = 2;
  int32_t picture_mode = 1;
  uint32_t background_colour = kDefaultColour;
  int32_t max_button = 0;
  int32_t min_button = 1;
  int32_t control_box = 1;
  int32_t start_position = 1;
  int32_t movable = 1;
  int32_t music_play_count = 0;
  int32_t enter_moves_focus = 0;
  int32_t esc_closes = 0;
  int32_t f1_opens_help = 0;
  int32_t help_context = 0;
  int32_t taskbar_button = 1;
  int32_t drag_anywhere = 0;
  int32_t shape = 0;
  int32_t always_on_top = 0;
  int32_t p30 = 0;
  std::string class_name;
  Bytes background_picture;
  Bytes icon;
  Bytes background_music;
  std::string title;
  std::string help_file;

  // The stored fields in stored order.
  static constexpr auto Fields();
};

constexpr auto WindowData::Fields() {
  namespace p = props::window;
  return std::tuple{
      Stored(p::kBorderStyle, &WindowData::border_style, Change::kSetter, Between(0, 6)),
      Stored(p::kPictureMode, &WindowData::picture_mode, Change::kSetter, Between(0, 3)),
      Stored(p::kBackgroundColour, &WindowData::background_colour, Change::kRepaint),
      Stored(p::kMaximiseButton, &WindowData::max_button),
      Stored(p::kMinimiseButton, &WindowData::min_button),
      Stored(p::kControlBox, &WindowData::control_box),
      Stored(p::kStartPosition, &WindowData::start_position, Change::kSetter, Between(0, 3)),
      Stored(p::kMovable, &WindowData::movable),
      Stored(p::kMusicPlayCount, &WindowData::music_play_count, Change::kSetter, Between(0, 2)),
      Stored(p::kEnterMovesFocus, &WindowData::enter_moves_focus, Change::kKept),
      Stored(p::kEscCloses, &WindowData::esc_closes, Change::kKept),
      Stored(p::kF1OpensHelp, &WindowData::f1_opens_help, Change::kKept),
      Stored(p::kHelpContext, &WindowData::help_context, Change::kKept),
      // Read when the window is made.
      Stored(p::kTaskbarButton, &WindowData::taskbar_button, Change::kKept, kAnyValue, 2),
      Stored(p::kDragByAnyPoint, &WindowData::drag_anywhere, Change::kKept, kAnyValue, 3),
      Stored(p::kShape, &WindowData::shape, Change::kKept, Between(0, 29), 3),
      Stored(p::kAlwaysOnTop, &WindowData::always_on_top, Change::kSetter, kAnyValue, 4),
      Stored(p::kProperty30, &WindowData::p30, Change::kKept, kAnyValue, 5),
      // The class is chosen when the window is made.
      Stored(p::kClassName, &WindowData::class_name, Change::kKept, kAnyValue, 6),
      Stored(p::kBackgroundPicture, &WindowData::background_picture),
      Stored(p::kIcon, &WindowData::icon),
      Stored(p::kBackgroundMusic, &WindowData::background_music),
      Stored(p::kTitle, &WindowData::title),
      Stored(p::kHelpFile, &WindowData::help_file, Change::kKept),
  };
}

}  // namespace rc::forms
