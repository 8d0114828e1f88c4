// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/main_window_rules.h"

#include <ctime>
#include <utility>

#include "base/text.h"

namespace brevora {

int FindFirstBeginningWith(const std::vector<std::string>& items, std::string_view text) {
  if (text.empty()) return -1;
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string_view item = items[i];
    if (item.size() >= text.size() && EqualsIgnoringCase(item.substr(0, text.size()), text)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

namespace {

bool IsItem(const std::vector<std::string>& channels, int index) {
  return index >= 0 && static_cast<size_t>(index) < channels.size();
}

}  // namespace

int MoveChannelUp(std::vector<std::string>& channels, int selected) {
  if (!IsItem(channels, selected)) return -1;
  if (selected == 0) return 0;
  std::swap(channels[selected - 1], channels[selected]);
  return selected - 1;
}

int MoveChannelDown(std::vector<std::string>& channels, int selected) {
  if (!IsItem(channels, selected)) return -1;
  if (static_cast<size_t>(selected) + 1 == channels.size()) return selected;
  std::swap(channels[selected], channels[selected + 1]);
  return selected + 1;
}

bool AddChannelName(std::vector<std::string>& channels, const std::string& name) {
  for (const std::string& channel : channels) {
    if (EqualsIgnoringCase(channel, name)) return false;
  }
  channels.push_back(name);
  return true;
}

std::string FolderFromPicker(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::time_t WithTimeOfDay(std::time_t date, int hour, int minute, int second) {
  std::tm parts{};
  localtime_r(&date, &parts);
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

namespace {

std::string StartText(std::optional<std::time_t> start) {
  if (!start) return "";
  std::tm local{};
  localtime_r(&*start, &local);
  char text[32];
  std::strftime(text, sizeof text, " at %a %H:%M", &local);
  return text;
}

}  // namespace

CloseAction WindowCloseAction(bool scheduled, bool running, bool trayAvailable) {
  if (!scheduled && !running) return CloseAction::Close;
  return trayAvailable ? CloseAction::HideToTray : CloseAction::Ask;
}

std::string QuitQuestion(bool scheduled, bool running, std::optional<std::time_t> nextStart,
                         bool closing) {
  if (running) {
    return closing ? "Brevora is running. Stop the run and quit?"
                   : "Quitting stops the run in progress. Quit?";
  }
  if (!scheduled) return {};
  return closing ? "Brevora is waiting to run" + StartText(nextStart) + ". Stop it and quit?"
                 : "Quitting stops the schedule: Brevora will not run" + StartText(nextStart) +
                       ". Quit?";
}

std::string HiddenToTrayMessage(bool running, std::optional<std::time_t> nextStart) {
  return std::string(running ? "Brevora goes on with the run"
                             : "Brevora goes on waiting to run" + StartText(nextStart)) +
         " in the notification area. To quit, choose Close in this icon's menu, or Exit.";
}

}  // namespace brevora
