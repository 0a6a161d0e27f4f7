// The stored type data of each unit type: a version dword followed by fixed fields. Every type
// lists its fields once, in stored order, in a Visit function, each with the index its property
// has in forms/props/<type>.h; reading, writing, locating a field and the form compiler's text
// form all walk that one list.
//
// A visitor V provides, each with (field reference, property index, name or null):
//   Int(int32_t&, ...)     a dword
//   Colour(uint32_t&, ...) a dword holding a colour (kDefaultColour: the button-face colour)
//   Word(uint16_t&, ...)   a 16-bit word
//   Text(std::string&, ...) a counted GBK text
//   Blob(Bytes&, ..., BlobKind) counted bytes
// A field without a name is known only by its property index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/byte_cursor.h"
#include "forms/form_ids.h"
#include "forms/props/button.h"
#include "forms/props/edit_box.h"
#include "forms/props/group_box.h"
#include "forms/props/label.h"
#include "forms/props/pic_box.h"
#include "forms/props/process_bar.h"
#include "forms/props/radio_box.h"
#include "forms/props/splitter_bar.h"
#include "forms/props/super_btn.h"
#include "forms/props/timer.h"
#include "forms/props/trans_label.h"
#include "forms/props/vscroll_bar.h"
#include "forms/props/window.h"

namespace rc::forms {

enum class BlobKind { kPicture, kIcon, kSound, kFont, kCursor };

// The caption a TransLabel has when its record stores none: "透明标签" in GBK.
inline constexpr char kTransLabelDefaultCaption[] = "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9";

// Size of a font record: a LOGFONTA.
inline constexpr size_t kFontRecordSize = 60;

// What every type with stored data has: its type code, the highest version it reads, and the
// version of this data (written data gets this version's fields).
template <uint32_t Code, uint32_t MaxVersion>
struct VersionedData {
  static constexpr uint32_t kTypeCode = Code;
  static constexpr uint32_t kMaxVersion = MaxVersion;
  static constexpr bool kHasVersion = true;
  uint32_t version = MaxVersion;
};

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

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::window;
    v.Int(s.border_style, p::kBorderStyle.index, "border_style");
    v.Int(s.picture_mode, p::kPictureMode.index, "picture_mode");
    v.Colour(s.background_colour, p::kBackgroundColour.index, "background_colour");
    v.Int(s.max_button, p::kMaximiseButton.index, "max_button");
    v.Int(s.min_button, p::kMinimiseButton.index, "min_button");
    v.Int(s.control_box, p::kControlBox.index, "control_box");
    v.Int(s.start_position, p::kStartPosition.index, "start_position");
    v.Int(s.movable, p::kMovable.index, "movable");
    v.Int(s.music_play_count, p::kMusicPlayCount.index, "music_play_count");
    v.Int(s.enter_moves_focus, p::kEnterMovesFocus.index, "enter_moves_focus");
    v.Int(s.esc_closes, p::kEscCloses.index, "esc_closes");
    v.Int(s.f1_opens_help, p::kF1OpensHelp.index, "f1_opens_help");
    v.Int(s.help_context, p::kHelpContext.index, "help_context");
    if (s.version > 1) v.Int(s.taskbar_button, p::kTaskbarButton.index, "taskbar_button");
    if (s.version > 2) {
      v.Int(s.drag_anywhere, p::kDragByAnyPoint.index, "drag_anywhere");
      v.Int(s.shape, p::kShape.index, "shape");
    }
    if (s.version > 3) v.Int(s.always_on_top, p::kAlwaysOnTop.index, "always_on_top");
    if (s.version > 4) v.Int(s.p30, p::kProperty30.index, nullptr);
    if (s.version > 5) v.Text(s.class_name, p::kClassName.index, "class_name");
    v.Blob(s.background_picture, p::kBackgroundPicture.index, "background_picture",
           BlobKind::kPicture);
    v.Blob(s.icon, p::kIcon.index, "icon", BlobKind::kIcon);
    v.Blob(s.background_music, p::kBackgroundMusic.index, "background_music", BlobKind::kSound);
    v.Text(s.title, p::kTitle.index, "title");
    v.Text(s.help_file, p::kHelpFile.index, "help_file");
  }
};

struct EditBoxData : VersionedData<kTypeEditBox, 2> {
  static constexpr const char* kName = "EditBox";

  int32_t border = 1;
  uint32_t text_colour = 0x000000;
  uint32_t background_colour = 0xFFFFFF;
  int32_t hide_selection = 1;
  int32_t max_length = 0;
  int32_t multi_line = 0;
  int32_t scroll_bars = 0;
  int32_t alignment = 0;
  int32_t input_mode = 0;
  uint16_t password_char = '*';
  int32_t letter_case = 0;
  int32_t spin = 0;
  int32_t spin_min = 0;
  int32_t spin_max = 100;
  int32_t selection_start = 0;
  int32_t selection_length = 0;
  Bytes font;
  std::string content;
  std::string data_binding_1;
  std::string data_binding_2;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::edit_box;
    v.Int(s.border, p::kBorder.index, "border");
    v.Colour(s.text_colour, p::kTextColour.index, "text_colour");
    v.Colour(s.background_colour, p::kBackgroundColour.index, "background_colour");
    v.Int(s.hide_selection, p::kHideSelection.index, "hide_selection");
    v.Int(s.max_length, p::kMaximumLength.index, "max_length");
    v.Int(s.multi_line, p::kMultiLine.index, "multi_line");
    v.Int(s.scroll_bars, p::kScrollBars.index, "scroll_bars");
    v.Int(s.alignment, p::kAlignment.index, "alignment");
    v.Int(s.input_mode, p::kInputMode.index, "input_mode");
    v.Word(s.password_char, p::kPasswordCharacter.index, "password_char");
    v.Int(s.letter_case, p::kLetterCase.index, "letter_case");
    v.Int(s.spin, p::kSpinControl.index, "spin");
    v.Int(s.spin_min, p::kSpinMinimum.index, "spin_min");
    v.Int(s.spin_max, p::kSpinMaximum.index, "spin_max");
    v.Int(s.selection_start, p::kSelectionStart.index, "selection_start");
    v.Int(s.selection_length, p::kSelectionLength.index, "selection_length");
    v.Blob(s.font, p::kFont.index, "font", BlobKind::kFont);
    v.Text(s.content, p::kContent.index, "content");
    if (s.version > 1) {
      v.Text(s.data_binding_1, p::kDataBinding1.index, nullptr);
      v.Text(s.data_binding_2, p::kDataBinding2.index, nullptr);
    }
  }
};

struct PicBoxData : VersionedData<kTypePicBox, 2> {
  static constexpr const char* kName = "PicBox";

  int32_t border = 0;
  uint32_t background_colour = kDefaultColour;
  int32_t display_mode = 0;
  int32_t play_animation = 1;
  Bytes picture;
  std::string p13;
  std::string p14;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::pic_box;
    v.Int(s.border, p::kBorder.index, "border");
    v.Colour(s.background_colour, p::kBackgroundColour.index, "background_colour");
    v.Int(s.display_mode, p::kDisplayMode.index, "display_mode");
    v.Int(s.play_animation, p::kPlayAnimation.index, "play_animation");
    v.Blob(s.picture, p::kPicture.index, "picture", BlobKind::kPicture);
    if (s.version > 1) {
      v.Text(s.p13, p::kDataBinding1.index, nullptr);
      v.Text(s.p14, p::kDataBinding2.index, nullptr);
    }
  }
};

struct GroupBoxData : VersionedData<kTypeGroupBox, 1> {
  static constexpr const char* kName = "GroupBox";

  int32_t caption_alignment = 0;
  uint32_t text_colour = 0x000000;
  uint32_t background_colour = kDefaultColour;
  Bytes font;
  std::string caption;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::group_box;
    v.Int(s.caption_alignment, p::kCaptionAlignment.index, "caption_alignment");
    v.Colour(s.text_colour, p::kTextColour.index, "text_colour");
    v.Colour(s.background_colour, p::kBackgroundColour.index, "background_colour");
    v.Blob(s.font, p::kFont.index, "font", BlobKind::kFont);
    v.Text(s.caption, p::kCaption.index, "caption");
  }
};

struct LabelData : VersionedData<kTypeLabel, 2> {
  static constexpr const char* kName = "Label";

  int32_t effect = 0;
  int32_t gradient_border_width = 8;
  int32_t border = 0;
  uint32_t border_colour1 = 0x808080;
  uint32_t border_colour2 = 0xFFFFFF;
  uint32_t border_colour3 = 0x808080;
  uint32_t text_colour = 0x000000;
  uint32_t background_colour = kDefaultColour;
  int32_t picture_mode = 1;
  int32_t gradient_mode = 0;
  uint32_t gradient_colour1 = 0x808080;
  uint32_t gradient_colour2 = 0xFFFFFF;
  uint32_t gradient_colour3 = 0x808080;
  int32_t horizontal_alignment = 0;
  int32_t vertical_alignment = 1;
  int32_t word_wrap = 0;
  Bytes font;
  Bytes background_picture;
  std::string caption;
  std::string data_binding_1;
  std::string data_binding_2;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::label;
    v.Int(s.effect, p::kEffect.index, "effect");
    v.Int(s.gradient_border_width, p::kGradientBorderWidth.index, "gradient_border_width");
    v.Int(s.border, p::kBorder.index, "border");
    v.Colour(s.border_colour1, p::kGradientBorderColour1.index, "border_colour1");
    v.Colour(s.border_colour2, p::kGradientBorderColour2.index, "border_colour2");
    v.Colour(s.border_colour3, p::kGradientBorderColour3.index, "border_colour3");
    v.Colour(s.text_colour, p::kTextColour.index, "text_colour");
    v.Colour(s.background_colour, p::kBackgroundColour.index, "background_colour");
    v.Int(s.picture_mode, p::kPictureMode.index, "picture_mode");
    v.Int(s.gradient_mode, p::kGradientBackgroundMode.index, "gradient_mode");
    v.Colour(s.gradient_colour1, p::kGradientBackgroundColour1.index, "gradient_colour1");
    v.Colour(s.gradient_colour2, p::kGradientBackgroundColour2.index, "gradient_colour2");
    v.Colour(s.gradient_colour3, p::kGradientBackgroundColour3.index, "gradient_colour3");
    v.Int(s.horizontal_alignment, p::kHorizontalAlignment.index, "horizontal_alignment");
    v.Int(s.vertical_alignment, p::kVerticalAlignment.index, "vertical_alignment");
    v.Int(s.word_wrap, p::kWordWrap.index, "word_wrap");
    v.Blob(s.font, p::kFont.index, "font", BlobKind::kFont);
    v.Blob(s.background_picture, p::kBackgroundPicture.index, "background_picture",
           BlobKind::kPicture);
    v.Text(s.caption, p::kCaption.index, "caption");
    if (s.version > 1) {
      v.Text(s.data_binding_1, p::kDataBinding1.index, nullptr);
      v.Text(s.data_binding_2, p::kDataBinding2.index, nullptr);
    }
  }
};

struct ButtonData : VersionedData<kTypeButton, 1> {
  static constexpr const char* kName = "Button";

  int32_t button_type = 0;
  int32_t horizontal_alignment = 1;
  int32_t vertical_alignment = 1;
  Bytes picture;
  Bytes font;
  std::string caption;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::button;
    v.Int(s.button_type, p::kType.index, "button_type");
    v.Int(s.horizontal_alignment, p::kHorizontalAlignment.index, "horizontal_alignment");
    v.Int(s.vertical_alignment, p::kVerticalAlignment.index, "vertical_alignment");
    v.Blob(s.picture, p::kPicture.index, "picture", BlobKind::kPicture);
    v.Blob(s.font, p::kFont.index, "font", BlobKind::kFont);
    v.Text(s.caption, p::kCaption.index, "caption");
  }
};

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

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::radio_box;
    v.Int(s.p9, p::kProperty9.index, nullptr);
    v.Int(s.p10, p::kProperty10.index, nullptr);
    v.Int(s.p12, p::kProperty12.index, nullptr);
    v.Int(s.p13, p::kProperty13.index, nullptr);
    v.Int(s.p14, p::kProperty14.index, nullptr);
    v.Colour(s.text_colour, p::kTextColour.index, "text_colour");
    v.Colour(s.background_colour, p::kBackgroundColour.index, "background_colour");
    v.Int(s.selected, p::kSelected.index, "selected");
    v.Blob(s.picture, p::kPicture.index, "picture", BlobKind::kPicture);
    v.Blob(s.font, p::kFont.index, "font", BlobKind::kFont);
    v.Text(s.caption, p::kCaption.index, "caption");
  }
};

struct VScrollBarData : VersionedData<kTypeVScrollBar, 1> {
  static constexpr const char* kName = "VScrollBar";

  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t page_change = 10;
  int32_t line_change = 1;
  int32_t position = 0;
  int32_t thumb_tracking = 1;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::vscroll_bar;
    v.Int(s.minimum, p::kMinimum.index, "minimum");
    v.Int(s.maximum, p::kMaximum.index, "maximum");
    v.Int(s.page_change, p::kPageChange.index, "page_change");
    v.Int(s.line_change, p::kLineChange.index, "line_change");
    v.Int(s.position, p::kPosition.index, "position");
    v.Int(s.thumb_tracking, p::kThumbTracking.index, "thumb_tracking");
  }
};

struct ProcessBarData : VersionedData<kTypeProcessBar, 1> {
  static constexpr const char* kName = "ProcessBar";

  int32_t border = 0;
  int32_t vertical = 0;
  int32_t smooth = 0;
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t position = 0;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::process_bar;
    v.Int(s.border, p::kBorder.index, "border");
    v.Int(s.vertical, p::kVertical.index, "vertical");
    v.Int(s.smooth, p::kSmooth.index, "smooth");
    v.Int(s.minimum, p::kMinimum.index, "minimum");
    v.Int(s.maximum, p::kMaximum.index, "maximum");
    v.Int(s.position, p::kPosition.index, "position");
  }
};

struct TimerData : VersionedData<kTypeTimer, 1> {
  static constexpr const char* kName = "Timer";

  int32_t interval = 0;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::timer;
    v.Int(s.interval, p::kInterval.index, "interval");
  }
};

struct TransLabelData : VersionedData<kTypeTransLabel, 1> {
  static constexpr const char* kName = "TransLabel";

  int32_t effect = 0;
  uint32_t text_colour = 0x000000;
  int32_t horizontal_alignment = 0;
  int32_t vertical_alignment = 1;
  int32_t word_wrap = 0;
  Bytes font;
  std::string caption = kTransLabelDefaultCaption;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::trans_label;
    v.Int(s.effect, p::kEffect.index, "effect");
    v.Colour(s.text_colour, p::kTextColour.index, "text_colour");
    v.Int(s.horizontal_alignment, p::kHorizontalAlignment.index, "horizontal_alignment");
    v.Int(s.vertical_alignment, p::kVerticalAlignment.index, "vertical_alignment");
    v.Int(s.word_wrap, p::kWordWrap.index, "word_wrap");
    v.Blob(s.font, p::kFont.index, "font", BlobKind::kFont);
    v.Text(s.caption, p::kCaption.index, "caption");
  }
};

struct SuperBtnData : VersionedData<kTypeSuperBtn, 2> {
  static constexpr const char* kName = "SuperBtn";

  int32_t button_style = 0;
  int32_t check_box_mode = 0;
  int32_t checked = 0;
  int32_t picture_alignment = 1;
  int32_t p12 = 0;
  int32_t p13 = 0;
  int32_t p14 = 0;
  uint32_t picture2_colour = kDefaultColour;
  uint32_t picture1_colour = kDefaultColour;
  int32_t use_default_colours = 1;
  int32_t p30 = 0;
  int32_t default_button = 0;
  uint32_t state_colours[6] = {0x000000,       kDefaultColour, 0x000000,
                               kDefaultColour, 0x000000,       kDefaultColour};
  Bytes picture2;
  Bytes picture1;
  Bytes font;
  Bytes sound1;
  Bytes sound2;
  std::string caption;
  std::string tooltip;
  uint32_t picture3_colour = kDefaultColour;
  Bytes picture3;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::super_btn;
    static constexpr const char* kStateColourNames[6] = {"state_colour1", "state_colour2",
                                                         "state_colour3", "state_colour4",
                                                         "state_colour5", "state_colour6"};
    v.Int(s.button_style, p::kButtonStyle.index, "button_style");
    v.Int(s.check_box_mode, p::kCheckBoxMode.index, "check_box_mode");
    v.Int(s.checked, p::kChecked.index, "checked");
    v.Int(s.picture_alignment, p::kPictureAlignment.index, "picture_alignment");
    v.Int(s.p12, p::kProperty12.index, nullptr);
    v.Int(s.p13, p::kProperty13.index, nullptr);
    v.Int(s.p14, p::kProperty14.index, nullptr);
    v.Colour(s.picture2_colour, p::kPicture2Colour.index, "picture2_colour");
    v.Colour(s.picture1_colour, p::kPicture1Colour.index, "picture1_colour");
    v.Int(s.use_default_colours, p::kUseDefaultColours.index, "use_default_colours");
    v.Int(s.p30, p::kProperty30.index, nullptr);
    v.Int(s.default_button, p::kDefaultPushButton.index, "default_button");
    // Text and background colours for normal, mouse over and pressed, one after another.
    static_assert(p::kBackgroundColourPressed.index == p::kTextColourNormal.index + 5);
    for (int i = 0; i < 6; ++i) {
      v.Colour(s.state_colours[i], p::kTextColourNormal.index + i, kStateColourNames[i]);
    }
    v.Blob(s.picture2, p::kPicture2.index, "picture2", BlobKind::kPicture);
    v.Blob(s.picture1, p::kPicture1.index, "picture1", BlobKind::kPicture);
    v.Blob(s.font, p::kFont.index, "font", BlobKind::kFont);
    v.Blob(s.sound1, p::kSound1.index, "sound1", BlobKind::kSound);
    v.Blob(s.sound2, p::kSound2.index, "sound2", BlobKind::kSound);
    v.Text(s.caption, p::kCaption.index, "caption");
    v.Text(s.tooltip, p::kTooltip.index, "tooltip");
    if (s.version > 1) {
      v.Colour(s.picture3_colour, p::kPicture3Colour.index, "picture3_colour");
      v.Blob(s.picture3, p::kPicture3.index, "picture3", BlobKind::kPicture);
    }
  }
};

struct SplitterBarData : VersionedData<kTypeSplitterBar, 1> {
  static constexpr const char* kName = "SplitterBar";

  uint32_t colour = kDefaultColour;
  int32_t p9 = 0;

  template <class S, class V>
  static void Visit(S& s, V& v) {
    namespace p = props::splitter_bar;
    v.Colour(s.colour, p::kFillColour.index, "colour");
    v.Int(s.p9, p::kProperty9.index, nullptr);
  }
};

// The volume unit stores no type data; whatever a record holds there is ignored.
struct SysVolumeData {
  static constexpr uint32_t kTypeCode = kTypeSysVolume;
  static constexpr uint32_t kMaxVersion = 0;
  static constexpr bool kHasVersion = false;
  static constexpr const char* kName = "SysVolume";

  uint32_t version = 0;

  template <class S, class V>
  static void Visit(S&, V&) {}
};

using TypeData = std::variant<WindowData, EditBoxData, PicBoxData, GroupBoxData, LabelData,
                              ButtonData, RadioBoxData, VScrollBarData, ProcessBarData, TimerData,
                              TransLabelData, SuperBtnData, SplitterBarData, SysVolumeData>;

enum class TypeDataStatus {
  kOk,
  kUnknownType,     // no unit type has this type code
  kVersionTooHigh,  // the unit type refuses data of a later version
  kTruncated,       // the type data ends before its fields do
};

// Reads fields from a cursor; a failed cursor leaves the remaining fields as they are.
struct TypeDataReader {
  ByteReader& r;
  void Int(int32_t& v, int, const char*) { v = r.failed() ? v : r.I32(); }
  void Colour(uint32_t& v, int, const char*) { v = r.failed() ? v : r.U32(); }
  void Word(uint16_t& v, int, const char*) { v = r.failed() ? v : r.U16(); }
  void Text(std::string& v, int, const char*) {
    if (!r.failed()) v = r.CountedText();
  }
  void Blob(Bytes& v, int, const char*, BlobKind) {
    if (!r.failed()) v = r.CountedBytes();
  }
};

struct TypeDataWriter {
  ByteWriter& w;
  void Int(const int32_t& v, int, const char*) { w.I32(v); }
  void Colour(const uint32_t& v, int, const char*) { w.U32(v); }
  void Word(const uint16_t& v, int, const char*) { w.U16(v); }
  void Text(const std::string& v, int, const char*) { w.CountedText(v); }
  void Blob(const Bytes& v, int, const char*, BlobKind) { w.CountedBytes(v); }
};

// Typed read of one unit type's data. No data (size 0) gives the type's defaults; this is
// the check the unit's create operation relies on.
template <class T>
TypeDataStatus ParseTypeDataAs(const uint8_t* data, size_t size, T* out) {
  *out = T();
  if (!T::kHasVersion || size == 0) return TypeDataStatus::kOk;
  ByteReader r(data, size);
  uint32_t version = r.U32();
  if (r.failed()) return TypeDataStatus::kTruncated;
  if (version > T::kMaxVersion) return TypeDataStatus::kVersionTooHigh;
  out->version = version;
  TypeDataReader reader{r};
  T::Visit(*out, reader);
  return r.failed() ? TypeDataStatus::kTruncated : TypeDataStatus::kOk;
}

template <class T>
Bytes WriteTypeDataAs(const T& data) {
  Bytes out;
  if (!T::kHasVersion) return out;
  ByteWriter w(&out);
  w.U32(data.version);
  TypeDataWriter writer{w};
  T::Visit(data, writer);
  return out;
}

struct TypeInfo {
  uint32_t code;
  const char* name;
  uint32_t max_version;
  bool has_data;
};

// The unit types of the program, or null.
const TypeInfo* FindTypeInfo(uint32_t type_code);
const TypeInfo* FindTypeInfoByName(std::string_view name);

// Default-constructed data of the type with this code; false if there is none.
bool MakeTypeData(uint32_t type_code, TypeData* out);
uint32_t TypeCodeOf(const TypeData& data);

TypeDataStatus ParseTypeData(uint32_t type_code, const uint8_t* data, size_t size, TypeData* out);
Bytes WriteTypeData(const TypeData& data);

// Where a counted field (a text or bytes field) with this property index starts inside the
// type data: the offset of its length dword. None when the data does not parse or the type
// does not store that property as a counted field at this version.
std::optional<size_t> FindCountedField(uint32_t type_code, const uint8_t* data, size_t size,
                                       int property);

// A font record read from or written into the 60-byte LOGFONTA layout.
struct FontRecord {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strike_out = 0;
  uint8_t char_set = 0;
  uint8_t out_precision = 0;
  uint8_t clip_precision = 0;
  uint8_t quality = 0;
  uint8_t pitch_and_family = 0;
  std::string face;  // GBK, at most 31 bytes; the bytes after its NUL are written as 0
};

bool ParseFontRecord(const Bytes& bytes, FontRecord* out);
Bytes WriteFontRecord(const FontRecord& font);

}  // namespace rc::forms
