// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/settings_command.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/text.h"
#include "base/user_prompt.h"
#include "channels/channel_file.h"
#include "config/configuration.h"
#include "config/configuration_commands.h"
#include "config/memory_configuration_window.h"
#include "config/program_folders.h"

namespace brevora {

namespace {

class SilentPrompt : public UserPrompt {
 public:
  void Notify(const std::string&) override {}
  Answer AskYesNo(const std::string&) override { return Answer::No; }
  Answer AskYesNoCancel(const std::string&) override { return Answer::Cancel; }
};

// "7:00", "07:00:00" or "5:00 PM": hour and minute, or nothing.
std::optional<std::pair<int, int>> ReadTimeOfDay(std::string_view text) {
  std::string_view rest = TrimBlanks(text);
  bool pm = false, am = false;
  if (EndsWithIgnoringCase(rest, "PM") || EndsWithIgnoringCase(rest, "AM")) {
    pm = EndsWithIgnoringCase(rest, "PM");
    am = !pm;
    rest = TrimBlanks(rest.substr(0, rest.size() - 2));
  }
  int parts[3] = {0, 0, 0};
  int count = 0;
  size_t at = 0;
  while (count < 3) {
    size_t digits = 0;
    int value = 0;
    while (at < rest.size() && rest[at] >= '0' && rest[at] <= '9' && digits < 2) {
      value = value * 10 + (rest[at++] - '0');
      ++digits;
    }
    if (digits == 0 || (count > 0 && digits != 2)) return std::nullopt;
    parts[count++] = value;
    if (at == rest.size()) break;
    if (rest[at++] != ':') return std::nullopt;
  }
  if (at != rest.size() || count < 2 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
  int hour = parts[0];
  if (am || pm) {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour = hour % 12 + (pm ? 12 : 0);
  }
  if (hour > 23) return std::nullopt;
  return std::make_pair(hour, parts[1]);
}

// The listed channel names of DATA/Channels.txt.
std::vector<std::string> DefinedChannels(const ProgramFolders& folders) {
  std::string text;
  ReadWholeFile(folders.data + "Channels.txt", text);
  return ListedNames(SplitChannelFile(text));
}

// Checks one value and puts it into the window; the problem in words, or
// empty.
std::string Apply(MemoryConfigurationWindow& window, ConfigurationKey key, std::string_view value,
                  const std::vector<std::string>& defined, const std::vector<std::string>& voices) {
  Configuration& record = window.record;
  switch (key) {
    case kWorkingFolderKey:
    case kExecutingFolderKey: {
      std::string folder(TrimBlanks(value));
      if (folder.empty() || !std::filesystem::path(folder).is_absolute()) {
        return "must be an absolute folder, such as /home/me/news/";
      }
      if (folder == "/") return "must not be the root folder: a run clears its Top folder";
      if (!folder.ends_with("/")) folder += '/';
      (key == kWorkingFolderKey ? record.workingFolder : record.executingFolder) = folder;
      return {};
    }
    case kStartDownloadingKey: {
      std::array<bool, 7> days{};
      for (const std::string& name : ParseChannelList(value)) {
        const auto day = std::find_if(kDayNames.begin(), kDayNames.end(),
                                      [&](const char* d) { return EqualsIgnoringCase(name, d); });
        if (day == kDayNames.end()) {
          return "takes day names separated by commas: Mon,Tue,Wed,Thu,Fri,Sat,Sun";
        }
        days[day - kDayNames.begin()] = true;
      }
      record.startDays = days;
      return {};
    }
    case kStartTimesKey: {
      const std::vector<std::string> times = ParseChannelList(value);
      std::optional<std::pair<int, int>> first, second;
      if (times.size() == 2) {
        first = ReadTimeOfDay(times[0]);
        second = ReadTimeOfDay(times[1]);
      }
      if (!first || !second) return "takes two times of day: 07:00,17:00";
      record.firstStartTime = MakeStartTime(first->first, first->second);
      record.secondStartTime = MakeStartTime(second->first, second->second);
      return {};
    }
    case kChannelsKey: {
      std::vector<std::string> names = ParseChannelList(value);
      for (const std::string& name : names) {
        if (std::find(defined.begin(), defined.end(), name) == defined.end()) {
          return "names " + name + ", which Channels.txt does not define (brevora --channels)";
        }
      }
      window.channels = names;
      return {};
    }
    case kFormatKey: {
      const auto format =
          std::find_if(window.formats.begin(), window.formats.end(),
                       [&](const std::string& f) { return EqualsIgnoringCase(value, f); });
      if (format == window.formats.end()) return "takes text, wav or mp3";
      record.outputFormat = *format;
      return {};
    }
    case kVoiceKey: {
      record.voiceFromDefault = false;
      const std::string_view voice = TrimBlanks(value);
      if (voice.empty()) {
        record.voiceName.clear();
        return {};
      }
      const auto found = std::find_if(voices.begin(), voices.end(), [&](const std::string& v) {
        return EqualsIgnoringCase(voice, v);
      });
      if (found == voices.end()) return "names no installed voice";
      record.voiceName = *found;
      return {};
    }
    case kAdvancedKey:
      if (EqualsIgnoringCase(value, "True") || EqualsIgnoringCase(value, "False")) {
        record.advanced = EqualsIgnoringCase(value, "True");
        return {};
      }
      return "takes True or False";
    default:
      return "is not a setting";
  }
}

}  // namespace

int ShowConfiguration(const ProgramFolders& folders, const std::vector<std::string>& voices,
                      std::ostream& out, std::ostream& err) {
  const std::string path = folders.data + "Brevora.cfg";
  MemoryConfigurationWindow window;
  window.voices = voices;
  SilentPrompt silent;
  if (!std::filesystem::exists(path) || !LoadConfigurationFrom(window, path, silent)) {
    err << "Brevora.cfg not found in " << folders.data << ": " << kHowToMakeConfiguration << "\n";
    return 2;
  }
  out << "# " << path << "\n";
  std::string text = FormatConfiguration(window);
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  out << text;
  return 0;
}

int ChangeConfiguration(const ProgramFolders& folders, const std::vector<std::string>& assignments,
                        const std::vector<std::string>& voices, std::time_t now, std::ostream& out,
                        std::ostream& err) {
  const std::string path = folders.data + "Brevora.cfg";
  MemoryConfigurationWindow window;
  window.now = now;
  window.voices = voices;
  SilentPrompt silent;
  const bool exists = std::filesystem::exists(path);
  if (!exists || !LoadConfigurationFrom(window, path, silent)) {
    if (exists) {
      err << path << " cannot be read; nothing was changed.\n";
      return 2;
    }
    // The defaults of a new Brevora.cfg, without its folders: a run must
    // not clear the data folder's Top by default.
    ParseStartDays("Mon", window.record.startDays);
    window.record.firstStartTime = MakeStartTime(7, 0);
    window.record.secondStartTime = MakeStartTime(17, 0);
    window.record.outputFormat = "mp3";
  }
  const std::vector<std::string> defined = DefinedChannels(folders);
  for (const std::string& assignment : assignments) {
    const size_t equals = assignment.find('=');
    const std::string_view key = TrimBlanks(std::string_view(assignment).substr(0, equals));
    const auto name = std::find_if(kConfigurationKeyNames.begin(), kConfigurationKeyNames.end(),
                                   [&](const char* k) { return EqualsIgnoringCase(key, k); });
    std::string problem;
    if (equals == std::string::npos) {
      problem = "is not KEY=VALUE";
    } else if (name == kConfigurationKeyNames.end()) {
      problem =
          "is not a setting; the settings are WorkingFolder, ExecutingFolder, "
          "StartDownloading, StartTimes, Channels, Format, Voice and Advanced";
    } else {
      problem = Apply(window, static_cast<ConfigurationKey>(name - kConfigurationKeyNames.begin()),
                      std::string_view(assignment).substr(equals + 1), defined, voices);
    }
    if (problem.empty()) problem = ConfigurationTextProblem(window.record);
    if (!problem.empty()) {
      err << assignment << ": " << (name == kConfigurationKeyNames.end() ? "" : *name)
          << (name == kConfigurationKeyNames.end() ? "" : " ") << problem
          << ". Nothing was changed.\n";
      return 2;
    }
  }
  const Configuration& record = window.record;
  if (record.workingFolder.empty() || record.executingFolder.empty()) {
    err << "Brevora.cfg needs a working and an executing folder: WorkingFolder=DIR "
           "ExecutingFolder=DIR. Nothing was changed.\n";
    return 2;
  }
  if (exists) {
    const int cause = CopyFileAtomically(path, folders.data + "Brevora.bak");
    if (cause != kNoError) {
      err << folders.data << "Brevora.bak cannot be written: " << FileErrorMessage(cause)
          << ". Nothing was changed.\n";
      return 2;
    }
  }
  const int cause = WriteFileAtomically(path, FormatConfiguration(window));
  if (cause != kNoError) {
    err << path << " cannot be written: " << FileErrorMessage(cause) << "\n";
    return 2;
  }
  out << "Wrote " << path << (exists ? " (the old one is Brevora.bak)" : "") << "\n";
  return 0;
}

}  // namespace brevora
