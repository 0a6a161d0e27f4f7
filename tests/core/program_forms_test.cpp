// The program's two windows as the form compiler builds them into form data, read back and
// checked against the tables of the windows: record order, ids, containers, positions, state,
// the stored values of each unit and the handler each event reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "base/routines.h"
#include "forms/form_table.h"
#include "forms/type_data.h"
#include "program_routine_names.h"

namespace rc::programforms {
extern const uint8_t kProgramForms[];
extern const size_t kProgramFormsSize;
}  // namespace rc::programforms

namespace rc::forms {
namespace {

constexpr uint32_t V = kStateVisible, T = kStateTabStop, H = 0;

// One unit as the tables give it. `values` lists "field=value;..." of its type data (on top of
// its type's common values), or is "nodata" for a record stored without type data; `events`
// lists "event:Handler,...".
struct Row {
  const char* name;
  uint32_t type;
  const char* in;
  Geometry pos;
  uint32_t state;
  const char* values;
  const char* events;
};

struct WindowTable {
  uint32_t id, unit_id, word_a, word_b;
  size_t units;  // besides the window unit
  std::vector<Row> rows;
};

// Values every unit of a type has unless its row says otherwise.
const std::map<uint32_t, std::string> kCommon = {
    {kTypeWindow,
     "version=6;border_style=2;picture_mode=1;background_colour=default;background_picture=none;"
     "maximise_button=0;minimise_button=0;start_position=1;movable=1;background_music=none;"
     "music_play_count=0;enter_moves_focus=0;esc_closes=0;f1_opens_help=0;help_file=;"
     "help_context=0;taskbar_button=1;drag_by_any_point=0;shape=0;always_on_top=0;property_30=0;"
     "class_name="},
    {kTypeLabel,
     "effect=0;border=0;gradient_border_width=8;gradient_border_colour_1=0x808080;"
     "gradient_border_colour_2=0xFFFFFF;gradient_border_colour_3=0x808080;background_picture=none;"
     "picture_mode=1;"
     "gradient_background_mode=0;gradient_background_colour_1=0x808080;gradient_background_colour_"
     "2=0xFFFFFF;"
     "gradient_background_colour_3=0x808080;word_wrap=0;vertical_alignment=1;horizontal_alignment="
     "0;"
     "background_colour=default"},
    {kTypeButton, "type=0;horizontal_alignment=1;vertical_alignment=1;picture=none"},
    {kTypeRadioBox,
     "property_9=0;property_10=0;property_12=0;property_13=0;property_14=1;background_colour="
     "default;picture=none"},
    {kTypeTransLabel, "effect=0;vertical_alignment=1;horizontal_alignment=1;word_wrap=0"},
    {kTypeGroupBox, "caption_alignment=0;background_colour=default"},
    {kTypePicBox, "border=0;background_colour=default;display_mode=1;play_animation=1"},
    {kTypeTimer, "interval=0"},
    {kTypeSuperBtn, "version=2"},
    {kTypeEditBox,
     "version=2;border=1;text_colour=0x000080;background_colour=0xFFFFFF;font=plain 32 bold;"
     "hide_selection=1;maximum_length=2;multi_line=0;scroll_bars=0;alignment=1;input_mode=3;"
     "password_character=42;letter_case=0;spin_control=1;spin_minimum=0;spin_maximum=60;selection_"
     "start=0;"
     "selection_length=0"},
};

// One row per unit, in record order.
// clang-format off
const WindowTable kMain = {
    0x52010001, 0x06010000, 0x00008056, 0x19010017, 47,
    {
        {"", kTypeWindow, "", {50, 50, 617, 407}, V,
         "title=MOX随机点名器 v6.0（课上专用）;control_box=1;icon=ico 256x256 png",
         "0:OnMainWindowCreated,8:OnPresenterKey,10:OnMainWindowShowState,100:OnMainWindowContextMenu"},
        {"时钟_限制快速点击", kTypeTimer, "", {480, 216, 32, 40}, 0, "nodata", "0:OnFastClickGuardTick"},
        {"时钟_置顶", kTypeTimer, "", {448, 216, 32, 40}, 0, "nodata", "0:OnOnTopTick"},
        {"超级按钮1", kTypeSuperBtn, "", {546, 340, 31, 30}, V | T,
         "caption=皮肤;tooltip=更换皮肤;picture_1=ico 256x256 png;picture_2=ico 256x256 png;"
         "picture_3=ico 256x256 png;picture_1_colour=default;picture_2_colour=default;"
         "picture_3_colour=default;button_style=0;picture_alignment=1;property_13=1;property_30=1;"
         "text_colour_normal=0x000000;background_colour_normal=0xF0F0F0;text_colour_mouse_over=0x000000;"
         "background_colour_mouse_over=0xFFFFFF;text_colour_pressed=0x000000;background_colour_pressed=0xF0F0F0",
         "0:OnSkinButtonClick"},
        {"标签_随机", kTypeLabel, "分组框1", {472, 104, 88, 48}, H,
         "caption=-=-;font=default;text_colour=0x000000;background_colour=0x008000",
         ""},
        {"时钟13", kTypeTimer, "分组框4", {128, 296, 32, 32}, 0, "nodata", "0:OnVolumeBarMoveCountTick"},
        {"时钟12", kTypeTimer, "分组框4", {128, 248, 32, 32}, 0, "nodata", "0:OnVolumeBarShownTick"},
        {"时钟11", kTypeTimer, "分组框4", {128, 216, 32, 32}, 0, "nodata", "0:OnVolumeBarHideTick"},
        {"系统音量1", kTypeSysVolume, "分组框4", {128, 272, 32, 32}, 0, "nodata", ""},
        {"纵向滚动条1", kTypeVScrollBar, "分组框4", {128, 200, 40, 128}, H,
         "minimum=1;maximum=100;page_change=10;line_change=1;position=50;thumb_tracking=1",
         "0:OnVolumeBarPositionChanged,-1:OnVolumeBarLeftDown,-2:OnVolumeBarLeftUp,"
         "-6:OnVolumeBarMouseMove,-8:OnVolumeBarFocusLost,-9:OnVolumeBarKeyDown,"
         "-10:OnVolumeBarKeyUp"},
        {"图片框2", kTypePicBox, "分组框4", {128, 328, 38, 30}, H,
         "picture=jpeg 128x128",
         "-1:OnMutedSpeakerPressed"},
        {"时钟10", kTypeTimer, "分组框4", {136, 304, 32, 32}, 0, "nodata", "0:OnUnusedVolumeTimerTick"},
        {"图片框1", kTypePicBox, "分组框4", {128, 328, 38, 30}, V,
         "picture=jpeg 658x523",
         "-1:OnSpeakerPressed"},
        {"按钮5", kTypeButton, "分组框4", {8, 333, 120, 24}, V | T,
         "caption=倒计时功能（新）;font=plain 12 bold",
         "0:OnCountdownButtonClick"},
        {"标签6", kTypeLabel, "分组框1", {8, 16, 552, 128}, H,
         "caption=计时器显示/隐藏中;font=plain 56 bold;text_colour=0xE03058;"
         "horizontal_alignment=1",
         ""},
        {"时钟9", kTypeTimer, "", {792, 88, 32, 32}, 0, "nodata", "0:OnPanelNarrowTick"},
        {"时钟8", kTypeTimer, "", {792, 48, 32, 32}, 0, "interval=0", "0:OnPanelWidenTick"},
        {"时钟7", kTypeTimer, "", {792, 8, 32, 32}, 0, "interval=1", "0:OnPanelTabKeeperTick"},
        {"时钟6", kTypeTimer, "", {584, 8, 24, 24}, 0, "interval=500", "0:OnPanelArrowBlinkTick"},
        {"按钮4", kTypeButton, "", {584, 0, 25, 378}, V | T,
         "caption=》》》》》》》》》》;font=default",
         "0:OnPanelTabClick"},
        {"标签5", kTypeLabel, "", {128, 32, 88, 32}, H,
         "caption=XXXX可用XXXX;font=default;text_colour=0x000000;background_colour=0x008000",
         ""},
        {"标签4", kTypeLabel, "", {24, 112, 88, 32}, H,
         "caption=XXXX自动XXXX;font=default;text_colour=0x000000;background_colour=0x008000",
         ""},
        {"标签3", kTypeLabel, "", {24, 72, 88, 32}, H,
         "caption=XXXX检查XXXX;font=default;text_colour=0x000000;background_colour=0x008000",
         ""},
        {"标签2", kTypeLabel, "", {24, 32, 88, 32}, H,
         "caption=6.0;font=default;text_colour=0x000000;background_colour=0x008000",
         ""},
        {"按钮3", kTypeButton, "", {8, 342, 64, 27}, V | T,
         "caption=检查更新;font=plain 12 bold",
         "0:OnUpdateButtonClick"},
        {"时钟5", kTypeTimer, "分组框4", {136, 40, 24, 24}, 0,
         "interval=1",
         "0:OnAnswerTimerKeeperTick"},
        {"透明标签2", kTypeTransLabel, "分组框4", {8, 40, 152, 32}, V,
         "caption=计时器已关闭！;font=华文行楷 14 bold;text_colour=0x000080",
         ""},
        {"按钮2", kTypeButton, "分组框4", {8, 16, 152, 24}, V | T,
         "caption=计时器开关;font=幼圆 12 bold",
         "0:OnAnswerTimerSwitchClick"},
        {"标签1", kTypeLabel, "分组框3", {2, 8, 205, 20}, V,
         "caption=;font=plain 14 bold;text_colour=0x800080;horizontal_alignment=1",
         ""},
        {"时钟4", kTypeTimer, "分组框5", {112, 72, 32, 32}, 0, "interval=0", "0:OnAnswerCountdownTick"},
        {"进度条1", kTypeProcessBar, "分组框4", {8, 256, 152, 72}, V,
         "border=3;vertical=0;smooth=1;minimum=0;maximum=60;position=0",
         ""},
        {"透明标签4", kTypeTransLabel, "分组框5", {8, 16, 136, 96}, V,
         "caption=60;font=华文琥珀 96 bold;text_colour=0xE03058",
         ""},
        {"分组框5", kTypeGroupBox, "分组框4", {8, 136, 152, 112}, V, "nodata", ""},
        {"分隔条1", kTypeSplitterBar, "分组框4", {0, 64, 168, 8}, V | T, "fill_colour=0x008000;property_9=1", ""},
        {"单选框4", kTypeRadioBox, "分组框4", {88, 112, 64, 24}, V | T,
         "caption=60秒;font=华文琥珀 12 bold;text_colour=0x800000;selected=1",
         "0:OnLimit60Click"},
        {"单选框3", kTypeRadioBox, "分组框4", {8, 112, 64, 24}, V | T,
         "caption=45秒;font=华文琥珀 12 bold;text_colour=0x800000;selected=0",
         "0:OnLimit45Click"},
        {"单选框2", kTypeRadioBox, "分组框4", {88, 80, 64, 24}, V | T,
         "caption=30秒;font=华文琥珀 12 bold;text_colour=0x800000;selected=0",
         "0:OnLimit30Click"},
        {"单选框1", kTypeRadioBox, "分组框4", {8, 80, 64, 24}, V | T,
         "caption=15秒;font=华文琥珀 12 bold;text_colour=0x800000;selected=0",
         "0:OnLimit15Click"},
        {"分组框4", kTypeGroupBox, "", {592, 8, 168, 360}, H,
         "caption=计时器;font=华文行楷 14 bold;text_colour=0x000000",
         ""},
        {"时钟3", kTypeTimer, "分组框2", {176, 0, 24, 32}, 0, "interval=5", "0:OnBannerTick"},
        {"透明标签3", kTypeTransLabel, "分组框2", {254, 10, 563, 16}, V,
         "caption=广告;font=plain 12 bold;text_colour=0x800000;horizontal_alignment=0",
         ""},
        {"时钟2", kTypeTimer, "分组框3", {144, -16, 24, 32}, 0, "interval=1", "0:OnClockTick"},
        {"分组框3", kTypeGroupBox, "", {336, 336, 210, 32}, V, "nodata", ""},
        {"分组框2", kTypeGroupBox, "", {80, 336, 248, 32}, V, "nodata", ""},
        {"时钟1", kTypeTimer, "分组框1", {520, 8, 40, 48}, 0, "nodata", "0:OnNameCycleTick"},
        {"按钮1", kTypeButton, "", {8, 168, 568, 168}, V | T,
         "caption=轻触开始点名;font=方正舒体 56 bold italic underline",
         "0:OnRollButtonClick"},
        {"透明标签1", kTypeTransLabel, "分组框1", {8, 16, 552, 128}, V,
         "caption=→ _ ←;font=方正舒体 96 bold;text_colour=0xFF0000",
         "-3:OnNameDisplayDoubleClick"},
        {"分组框1", kTypeGroupBox, "", {8, 8, 568, 152}, V,
         "caption=被点人名;font=华文彩云 14;text_colour=0x000000",
         ""},
    }};

const WindowTable kCountdown = {
    0x520100A4, 0x060100A3, 0x01FAB640, 0x190100A6, 42,
    {
        {"", kTypeWindow, "", {50, 50, 629, 267}, V,
         "title=内置倒计时器 v0.2;control_box=0;icon=none",
         "0:OnCountdownCreated,2:OnCountdownDestroyed"},
        {"按钮5", kTypeButton, "分组框5", {536, 152, 64, 16}, V | T,
         "caption=讨论群;font=default",
         "0:OnDiscussionGroupClick"},
        {"音乐颜色", kTypeTimer, "分组框5", {64, 184, 32, 32}, 0, "nodata", "0:OnAlarmColourTick"},
        {"标签12", kTypeLabel, "分组框5", {48, 182, 48, 34}, V,
         "caption=音乐;font=plain 14 bold;text_colour=0x000000;horizontal_alignment=1;border=6;"
         "gradient_border_width=8;gradient_border_colour_1=0x00D8D8;gradient_border_colour_2=0x008000;"
         "gradient_border_colour_3=0x00FF00",
         ""},
        {"透明标签4", kTypeTransLabel, "分组框5", {520, 200, 96, 24}, V,
         "caption=10000 0000\r\n欢迎加入！;font=default;text_colour=0x000080;word_wrap=1",
         ""},
        {"透明标签3", kTypeTransLabel, "图片框1", {0, 0, 64, 24}, V,
         "caption=岚川软件\r\n作者QQ：\r\n;font=default;text_colour=0x606060;word_wrap=1",
         ""},
        {"时钟5", kTypeTimer, "分组框5", {120, 8, 32, 32}, 0, "nodata", "0:OnAlarmTick"},
        {"时钟4", kTypeTimer, "分组框5", {16, 152, 32, 32}, 0, "nodata", "0:OnMuteTick"},
        {"图片框3", kTypePicBox, "分组框5", {14, 182, 34, 34}, H,
         "picture=jpeg 512x512",
         "-1:OnSilencedBellPressed"},
        {"图片框2", kTypePicBox, "分组框5", {14, 182, 34, 34}, V,
         "picture=jpeg 256x256",
         "-1:OnBellPressed"},
        {"按钮4", kTypeButton, "分组框1", {504, 8, 96, 32}, V | T,
         "caption=返回;font=plain 20 bold",
         "0:OnCountdownCloseClick"},
        {"图片框1", kTypePicBox, "分组框5", {536, 168, 64, 56}, V, "picture=ico 256x256 png", ""},
        {"透明标签2", kTypeTransLabel, "分组框5", {480, 200, 56, 24}, V,
         "caption=作者：;font=plain 20 bold;text_colour=0x808080;horizontal_alignment=0",
         ""},
        {"按钮3", kTypeButton, "分组框5", {336, 160, 128, 56}, V | T,
         "caption=关闭;font=plain 21 bold",
         "0:OnCountdownCloseClick"},
        {"按钮2", kTypeButton, "分组框5", {128, 160, 128, 56}, V | T,
         "caption=||暂停;font=plain 21 bold",
         "0:OnPauseClick"},
        {"分组框1", kTypeGroupBox, "", {8, 0, 608, 232}, V, "nodata", ""},
        {"标签11", kTypeLabel, "分组框4", {40, 72, 40, 32}, V,
         "caption=秒;font=plain 20 bold;text_colour=0x000080",
         ""},
        {"标签10", kTypeLabel, "分组框4", {40, 32, 40, 32}, V,
         "caption=分钟;font=plain 20 bold;text_colour=0x000080",
         ""},
        {"按钮1", kTypeButton, "分组框4", {8, 120, 120, 40}, V | T,
         "caption=确定开始！;font=plain 20 bold",
         "0:OnStartClick"},
        {"时钟2", kTypeTimer, "分组框4", {88, 56, 32, 32}, 0, "nodata", "0:OnManualCopyTick"},
        {"时钟1", kTypeTimer, "分组框4", {88, 16, 32, 32}, 0, "interval=1", "0:OnQuickCopyTick"},
        {"标签4", kTypeLabel, "分组框4", {8, 72, 72, 32}, V,
         "caption=0;font=plain 20 bold;text_colour=0x000080",
         ""},
        {"标签3", kTypeLabel, "分组框4", {8, 32, 80, 32}, V,
         "caption=0;font=plain 20 bold;text_colour=0x000080",
         ""},
        {"分组框4", kTypeGroupBox, "分组框1", {464, 48, 136, 168}, V,
         "caption=已选择：;font=plain 19 bold;text_colour=0x808000",
         ""},
        {"标签2", kTypeLabel, "分组框3", {328, 32, 48, 40}, V,
         "caption=秒;font=plain 21 bold;text_colour=0xFF0000",
         ""},
        {"编辑框2", kTypeEditBox, "分组框3", {200, 24, 104, 64}, V | T,
         "content=0",
         "-1:OnSecondsBoxLeftDown,0:OnManualEntryChanged"},
        {"标签1", kTypeLabel, "分组框3", {144, 32, 48, 40}, V,
         "caption=分钟;font=plain 21 bold;text_colour=0xFF0000",
         ""},
        {"编辑框1", kTypeEditBox, "分组框3", {8, 24, 104, 64}, V | T,
         "content=0",
         "-1:OnMinutesBoxLeftDown,0:OnManualEntryChanged"},
        {"分组框3", kTypeGroupBox, "分组框1", {16, 112, 440, 104}, V,
         "caption=手动;font=plain 16 bold;text_colour=0x0000FF",
         ""},
        {"单选框5", kTypeRadioBox, "分组框2", {352, 24, 80, 24}, V | T,
         "caption=20分钟;font=plain 12 bold;text_colour=0xFF0000;selected=0",
         "0:OnQuickChoiceClick"},
        {"单选框4", kTypeRadioBox, "分组框2", {264, 24, 80, 24}, V | T,
         "caption=15分钟;font=plain 12 bold;text_colour=0xFF0000;selected=0",
         "0:OnQuickChoiceClick"},
        {"单选框3", kTypeRadioBox, "分组框2", {176, 24, 80, 24}, V | T,
         "caption=10分钟;font=plain 12 bold;text_colour=0xFF0000;selected=0",
         "0:OnQuickChoiceClick"},
        {"单选框2", kTypeRadioBox, "分组框2", {96, 24, 80, 24}, V | T,
         "caption=5分钟;font=plain 12 bold;text_colour=0xFF0000;selected=0",
         "0:OnQuickChoiceClick"},
        {"单选框1", kTypeRadioBox, "分组框2", {16, 24, 80, 24}, V | T,
         "caption=1分钟;font=plain 12 bold;text_colour=0xFF0000;selected=0",
         "0:OnQuickChoiceClick"},
        {"分组框2", kTypeGroupBox, "分组框1", {16, 40, 440, 64}, V,
         "caption=快捷;font=plain 16 bold;text_colour=0x0000FF",
         ""},
        {"透明标签1", kTypeTransLabel, "分组框1", {16, 8, 320, 32}, V,
         "caption=可以快捷选择时间 也可以手动输入时间！\r\n;font=plain 16 bold;"
         "text_colour=0x008000;horizontal_alignment=0",
         ""},
        {"时钟3", kTypeTimer, "分组框5", {552, 16, 40, 40}, 0, "interval=0", "0:OnCountdownTick"},
        {"标签9", kTypeLabel, "分组框5", {376, 16, 40, 120}, V,
         "caption=.;font=plain 96 bold;text_colour=0x800000",
         ""},
        {"标签8", kTypeLabel, "分组框5", {184, 16, 40, 120}, V,
         "caption=：;font=plain 96 bold;text_colour=0x800000",
         ""},
        {"标签7", kTypeLabel, "分组框5", {432, 32, 104, 120}, V,
         "caption=0;font=plain 48 bold;text_colour=0x800000",
         ""},
        {"标签6", kTypeLabel, "分组框5", {248, 16, 104, 120}, V,
         "caption=0;font=plain 96 bold;text_colour=0x800000",
         ""},
        {"标签5", kTypeLabel, "分组框5", {64, 16, 104, 120}, V,
         "caption=0;font=plain 96 bold;text_colour=0x800000",
         ""},
        {"分组框5", kTypeGroupBox, "", {8, 0, 608, 232}, V, "nodata", ""},
    }};
// clang-format on

// "a=1;b=2" -> {a: 1, b: 2}; a later key replaces an earlier one. The value runs to the next
// ';', so it may hold '=' (GBK trail bytes never fall on either).
void AddPairs(const std::string& text, std::map<std::string, std::string>* out) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find(';', at), text.size());
    const std::string pair = text.substr(at, end - at);
    const size_t eq = pair.find('=');
    (*out)[pair.substr(0, eq)] = eq == std::string::npos ? "" : pair.substr(eq + 1);
    at = end + 1;
  }
}

uint32_t Be16(const Bytes& b, size_t at) {
  return at + 1 < b.size() ? uint32_t(b[at] << 8 | b[at + 1]) : 0;
}

// Pictures are told apart by kind and pixel size: a JPEG by its frame header, an icon file of
// one image by its directory entry (0 stands for 256) and whether that image is PNG.
std::string DescribePicture(const Bytes& b) {
  char buf[48];
  if (b.empty()) return "none";
  if (b.size() > 3 && b[0] == 0xFF && b[1] == 0xD8) {
    for (size_t at = 2; at + 9 < b.size() && b[at] == 0xFF; at += 2 + Be16(b, at + 2)) {
      const uint8_t m = b[at + 1];
      if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
        std::snprintf(buf, sizeof buf, "jpeg %ux%u", Be16(b, at + 7), Be16(b, at + 5));
        return buf;
      }
    }
    return "jpeg without frame";
  }
  if (b.size() >= 22 && b[0] == 0 && b[2] == 1 && b[4] == 1 && b[5] == 0) {
    const uint32_t at = LoadU32(b.data() + 18);
    const bool png = at + 4 <= b.size() && b[at] == 0x89 && b[at + 1] == 'P';
    std::snprintf(buf, sizeof buf, "ico %ux%u%s", b[6] ? b[6] : 256, b[7] ? b[7] : 256,
                  png ? " png" : "");
    return buf;
  }
  return std::to_string(b.size()) + " bytes";
}

std::string DescribeFont(const Bytes& b) {
  if (b.empty()) return "default";
  FontRecord f;
  if (!ParseFontRecord(b, &f)) return "not a font record";
  std::string out = f.face.empty() ? "plain" : f.face;
  out += " " + std::to_string(-f.height);
  if (f.weight == 700) out += " bold";
  if (f.weight != 700 && f.weight != 0) out += " weight " + std::to_string(f.weight);
  if (f.italic) out += " italic";
  if (f.underline) out += " underline";
  if (f.strike_out) out += " strikeout";
  return out;
}

// Every stored field of a unit's type data, by field name or "[index]".
struct Describer {
  std::map<std::string, std::string>& out;
  static std::string Key(int p, const char* n) { return n ? n : "[" + std::to_string(p) + "]"; }
  void Int(const int32_t& v, int p, const char* n) { out[Key(p, n)] = std::to_string(v); }
  void Word(const uint16_t& v, int p, const char* n) { out[Key(p, n)] = std::to_string(v); }
  void Text(const std::string& v, int p, const char* n) { out[Key(p, n)] = v; }
  void Colour(const uint32_t& v, int p, const char* n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", v);
    out[Key(p, n)] = v == kDefaultColour ? "default" : buf;
  }
  void Blob(const Bytes& v, int p, const char* n, BlobKind kind) {
    out[Key(p, n)] = kind == BlobKind::kFont ? DescribeFont(v) : DescribePicture(v);
  }
};

std::string Who(const Row& row) {
  return *row.name ? row.name : "the window unit";
}

std::string Flags(uint32_t state) {
  return std::string(state & kStateVisible ? "visible" : "hidden") +
         (state & kStateTabStop ? " with a tab stop" : " without a tab stop");
}

std::string HandlerAt(int32_t offset) {
  constexpr size_t kCount =
      sizeof programforms::kRoutineNames / sizeof programforms::kRoutineNames[0];
  if (offset == kNoHandlerOffset) return "no handler";
  const size_t index = size_t(offset) / kRoutineOffsetStride;
  return offset >= 0 && index < kCount ? programforms::kRoutineNames[index]
                                       : "a handler out of the table";
}

// The counted text or bytes field of a unit's type data that holds `property`.
Bytes Field(const WindowDefinition& w, const std::string& unit, int property) {
  const UnitTable& units = w.units();
  for (size_t i = 0; i < units.count(); ++i) {
    if (units.name(i) != unit) continue;
    const ByteSpan s = units.type_data(i);
    const std::optional<size_t> at = FindCountedField(units.type_code(i), s.data, s.size, property);
    if (!at || *at + 4 > s.size) return {};
    const size_t n = LoadU32(s.data + *at);
    return *at + 4 + n <= s.size ? Bytes(s.data + *at + 4, s.data + *at + 4 + n) : Bytes();
  }
  return {};
}

void CheckWindow(const WindowDefinition& w, const WindowTable& table, std::set<uint32_t>* ids) {
  const UnitTable& units = w.units();
  EXPECT_EQ(w.word_a(), table.word_a) << "word A is kept as the window stored it";
  EXPECT_EQ(w.word_b(), table.word_b) << "word B is kept as the window stored it";
  ASSERT_EQ(units.count(), table.units + 1) << "units besides the window unit";
  ASSERT_EQ(table.rows.size(), units.count());
  EXPECT_EQ(units.id(0), table.unit_id) << "the window unit has the window's own unit id";

  std::map<std::string, uint32_t> id_of;
  for (size_t i = 0; i < units.count(); ++i) id_of[units.name(i)] = units.id(i);
  for (size_t i = 0; i < units.count(); ++i) {
    const Row& row = table.rows[i];
    SCOPED_TRACE(Who(row));
    const uint32_t id = units.id(i);
    ASSERT_EQ(units.name(i), row.name)
        << "record " << i << " must be " << Who(row) << ": records are in stacking order";
    EXPECT_TRUE(ids->insert(id & 0xFFFFFF).second) << "serial numbers are unique in the program";
    EXPECT_LE(id & 0xFFFFFF, 0x00010333u) << "no serial number lies above the header's last id";
    EXPECT_EQ(IdKind(id), i == 0 ? uint32_t(kKindWindowUnit) : uint32_t(kKindUnit));
    EXPECT_EQ(units.type_code(i), row.type) << Who(row) << " has the wrong type";

    const uint32_t parent = *row.in ? id_of.at(row.in) : 0;
    EXPECT_EQ(units.parent(i), parent)
        << Who(row) << " must lie in " << (*row.in ? row.in : "the window itself");
    std::vector<uint32_t> children;
    for (size_t j = 1; j < units.count(); ++j) {
      if (table.rows[j].in == std::string(row.name) && *row.name) children.push_back(units.id(j));
    }
    EXPECT_EQ(units.children(i), children)
        << Who(row) << " must list the units that lie in it, in record order";

    const Geometry g = units.geometry(i);
    EXPECT_TRUE(g.left == row.pos.left && g.top == row.pos.top && g.width == row.pos.width &&
                g.height == row.pos.height)
        << Who(row) << " must be at " << row.pos.left << ", " << row.pos.top << ", "
        << row.pos.width << " x " << row.pos.height;
    EXPECT_EQ(units.state_flags(i), row.state) << Who(row) << " must start " << Flags(row.state);

    const ByteSpan data = units.type_data(i);
    if (std::string(row.values) == "nodata") {
      EXPECT_EQ(data.size, 0u) << Who(row) << " is stored without type data";
    } else {
      TypeData parsed;
      ASSERT_EQ(ParseTypeData(row.type, data.data, data.size, &parsed), TypeDataStatus::kOk);
      std::map<std::string, std::string> stored, wanted;
      std::visit(
          [&](const auto& d) {
            Describer describer{stored};
            std::decay_t<decltype(d)>::Visit(d, describer);
            stored["version"] = std::to_string(d.version);
          },
          parsed);
      if (kCommon.count(row.type)) AddPairs(kCommon.at(row.type), &wanted);
      AddPairs(row.values, &wanted);
      for (const auto& [field, value] : wanted) {
        ASSERT_TRUE(stored.count(field)) << Who(row) << " stores no field " << field;
        EXPECT_EQ(stored[field], value) << Who(row) << ": " << field << " must be " << value;
      }
    }

    std::string bound;
    for (const Binding& b : units.bindings(i)) {
      bound += (bound.empty() ? "" : ",") + std::to_string(b.event) + ":" + HandlerAt(b.offset);
    }
    EXPECT_EQ(bound, row.events) << Who(row) << " must bind its events to these handlers";
  }
}

TEST(ProgramFormsTest, BothWindowsHoldTheirTables) {
  std::vector<WindowDefinition> windows;
  ASSERT_TRUE(
      ParseFormData(programforms::kProgramForms, programforms::kProgramFormsSize, &windows).ok);
  ASSERT_EQ(windows.size(), 2u) << "the program has the main window and the countdown window";
  EXPECT_EQ(windows[0].id(), kMain.id) << "the main window is the first, the start window";
  EXPECT_EQ(windows[1].id(), kCountdown.id);
  std::set<uint32_t> serials = {kMain.id & 0xFFFFFF, kCountdown.id & 0xFFFFFF};
  {
    SCOPED_TRACE("main window");
    CheckWindow(windows[0], kMain, &serials);
  }
  {
    SCOPED_TRACE("countdown window");
    CheckWindow(windows[1], kCountdown, &serials);
  }

  // The skin button shows one icon file in all three states; the countdown window's credits
  // picture is the program icon.
  const Bytes skin = Field(windows[0], "超级按钮1", 15);
  EXPECT_EQ(Field(windows[0], "超级按钮1", 17), skin) << "picture 2 is picture 1";
  EXPECT_EQ(Field(windows[0], "超级按钮1", 19), skin) << "picture 3 is picture 1";
  EXPECT_EQ(Field(windows[1], "图片框1", 10), Field(windows[0], "", 20))
      << "the credits picture is the main window's icon";
}

}  // namespace
}  // namespace rc::forms
