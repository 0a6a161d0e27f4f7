// What the application's features share: the typed face, the generated unit handles of both
// windows, and the few routines one feature calls in another.
#pragma once

#include <string>
#include <vector>

#include "app/face.h"
#include "app_forms.h"

namespace app {

// Class list file (class_list.cpp).
// The full path of dede.ini: the program's folder followed by "/dede.ini".
std::string ClassListPath();
// Creates the file with its default contents when it is missing, after a warning.
void EnsureClassListFile();
// The notice for users of an earlier version, once.
void ShowFirstRunNotice();
// The class in use as the roll call counts it: names 1, 2, ... up to the first empty one.
std::vector<std::string> ReadClassList();
// The program's own settings, section "点名设置：" of the class list file, read afresh at
// every use so that an edit takes effect at once.
std::string ReadSetting(const std::string& key);
void WriteSetting(const std::string& key, const std::string& value);
// The fair mode: "不重复" = "1" or "是".
bool FairModeOn();

// The class record (record_menu.cpp). The roll call asks which pupils the draw leaves out
// (absent today, and in the fair mode those called in the round), one flag per name of
// `names`, and tells of every stop and answer.
std::vector<bool> LeftOutOfDraw(const std::vector<std::string>& names, bool fair);
void NoteCall(const std::string& name, bool fair);
void NoteAnswer(bool timed_out);
// The name display's menu: a feature adds its items after a separator, each with what its
// choice does. Sections are registered at static initialisation.
struct MenuEntry {
  MenuItem item;
  void (*chosen)() = nullptr;
};
using MenuSection = void (*)(std::vector<MenuEntry>* entries);
void AddNameMenuSection(MenuSection section);

// Update check (update_check.cpp): the published version text, empty when it cannot be had.
std::string FetchPublishedVersion();

// Skins (skins.cpp).
void EnsureSkinLibrary();
void ApplySkin(int n);

// Once the main window is made, the timers that would poll react instead (roll_call.cpp,
// side_panel.cpp, clock_banner.cpp).
void StopAnswerTimerKeeper();
void StopPanelTabKeeper();
void WatchMainWindowView();
// The banner and the tab's arrows are held while nobody can see the main window and go on when
// it is seen again: looked at by the clock once a second, for a cover, which the window is not
// told of (hidden or minimised, the window's show state event says so at once).
void FollowMainWindowView();

// Roll call (roll_call.cpp): the handler of a touch of 按钮1.
void OnRollButtonClick(Event& event);

// Presenting (presenter.cpp): "置顶" and "快捷键" of the settings file, followed at start and
// at every tick of the clock.
void FollowPresenterSettings();

// Music and volume (music_volume.cpp): the speaker volume from the volume bar, at start.
void InitVolume();

}  // namespace app
