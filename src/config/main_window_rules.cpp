#include "config/main_window_rules.h"

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

}  // namespace brevora
