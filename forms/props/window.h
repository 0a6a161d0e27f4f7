// Properties of the window unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

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
