// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevora {

// Rules of the main window's controls, free of any widget.

// The index of the first item that begins with `text`, ignoring the letter
// case of A to Z; -1 when none does or the text is empty. The format and voice
// boxes and the channel list select by it when a value is put into them.
int FindFirstBeginningWith(const std::vector<std::string>& items, std::string_view text);

// "Up": the item at `selected` moves one place up (the first stays first).
// Returns the index to select afterwards; -1 (nothing changed) when no valid
// item was selected.
int MoveChannelUp(std::vector<std::string>& channels, int selected);

// "Down": the item at `selected` moves one place down (the last stays last).
int MoveChannelDown(std::vector<std::string>& channels, int selected);

// AddChannel: appends `name` unless an item equal to it, ignoring case, is
// there already. Returns whether it was appended.
bool AddChannelName(std::vector<std::string>& channels, const std::string& name);

// A folder as the folder picker hands it on: ending with one "/", as the
// default folders do.
std::string FolderFromPicker(std::string path);

// The same date with the time of day set to hour:minute:second (local time).
std::time_t WithTimeOfDay(std::time_t date, int hour, int minute, int second);

// Run and Run Now with an empty run list start nothing and say so.
inline constexpr char kChooseChannelsFirst[] = "Choose at least one channel first.";

// What closing the window (its title bar, Alt+F4, the window manager) does.
// Nothing waiting or running: it closes. Otherwise nothing ends unasked:
// where a notification area exists the window hides into it and everything
// goes on; where none exists the user is asked (QuitQuestion).
enum class CloseAction { Close, HideToTray, Ask };
CloseAction WindowCloseAction(bool scheduled, bool running, bool trayAvailable);

// The question before quitting ends the schedule or a run, or empty when
// neither is on. `nextStart` is the next scheduled start (nothing: no start
// day ticked); `closing` asks as closing the window does ("Stop it and
// quit?"), else as Exit and the tray's Close do.
std::string QuitQuestion(bool scheduled, bool running, std::optional<std::time_t> nextStart,
                         bool closing);

// The first time the window hides into the notification area: what it tells.
std::string HiddenToTrayMessage(bool running, std::optional<std::time_t> nextStart);

}  // namespace brevora
