// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace brevora {

class UserPrompt;

// The eight keys of Brevora.cfg, in the order the writer writes them.
enum ConfigurationKey : int {
  kWorkingFolderKey,
  kExecutingFolderKey,
  kStartDownloadingKey,
  kStartTimesKey,
  kChannelsKey,
  kFormatKey,
  kVoiceKey,
  kAdvancedKey,
  kConfigurationKeyCount
};

// The key text of each ConfigurationKey ("WorkingFolder", ...).
extern const std::array<const char*, kConfigurationKeyCount> kConfigurationKeyNames;

// The three-letter day names, Monday first.
extern const std::array<const char*, 7> kDayNames;

// The settings of the main window. The channel list, the format list and the
// voice list live in the window itself (ConfigurationWindow).
struct Configuration {
  std::string workingFolder;
  std::string executingFolder;
  std::array<bool, 7> startDays{};  // Monday to Sunday
  std::time_t firstStartTime = 0;   // only hour and minute count
  std::time_t secondStartTime = 0;
  std::string outputFormat;
  std::string voiceName;
  // The voice box shows its default voice for an empty "Voice=" line: the
  // file keeps the line empty until a voice is picked.
  bool voiceFromDefault = false;
  bool advanced = false;
  // Which keys any reading so far has met; never cleared while the window lives.
  std::array<bool, kConfigurationKeyCount> keysSeen{};
};

// The window side of the configuration: the record and the three lists that
// the reader and the writer work on. The main window implements it over its
// controls; MemoryConfigurationWindow keeps everything in memory.
class ConfigurationWindow {
 public:
  virtual ~ConfigurationWindow() = default;
  virtual Configuration& Record() = 0;
  // Data exchange: control values into the record, and back.
  virtual void TakeControlValues() = 0;
  virtual void PutControlValues() = 0;
  // The channel list, in order.
  virtual std::vector<std::string> ChannelNames() const = 0;
  virtual void SetChannelNames(const std::vector<std::string>& names) = 0;
  // The format list ("text", "wav", "mp3"); -1 selects no entry.
  virtual std::vector<std::string> FormatEntries() const = 0;
  virtual void SelectFormat(int index) = 0;
  // The voice list (descriptions of the installed voices); -1 selects none.
  virtual std::vector<std::string> VoiceEntries() const = 0;
  virtual void SelectVoice(int index) = 0;
  // The entry a "Voice" that names none of them selects (-1: none).
  virtual int DefaultVoice() const = 0;
  // The current date and time.
  virtual std::time_t Now() const = 0;
};

// --- Parsing and formatting steps -----------------------------------------

// Sets the day flags whose names occur in the text as "Mon", "mon" or "MON".
void ParseStartDays(std::string_view value, std::array<bool, 7>& days);
// Hour and minute of a time text: "7:00 AM" 7, "5:00 PM" 17, "12:30 AM" 0,
// "12:30 PM" 12; anything out of range 0.
int ParseHour(std::string_view text);
int ParseMinute(std::string_view text);
// "first,second": both times on 6 June 2004; without a comma both are `now`.
void ParseStartTimes(std::string_view value, std::time_t now, Configuration& record);
// The names between commas, leading blanks removed, empty ones dropped.
std::vector<std::string> ParseChannelList(std::string_view value);

std::string DoubleBackslashes(std::string_view text);
std::string UndoubleBackslashes(std::string_view text);

// 6 June 2004 at hour:minute:00, local time.
std::time_t MakeStartTime(int hour, int minute);
// The C locale's "%X" form of the time of day: "07:00:00".
std::string FormatTimeOfDay(std::time_t time);

// --- The file --------------------------------------------------------------

// Reads one line of at most 1024 bytes from the file's position (see the .cpp).
std::string ReadConfigurationLine(std::FILE* file);

// Reads lines from the file and applies them to the window. Shows
// "Some parameters are not set!" when any key has never been met.
void ReadConfiguration(std::FILE* file, ConfigurationWindow& window, UserPrompt& prompt);

// Empty when every text of the record can stand in its line of Brevora.cfg;
// otherwise the message for the first that holds a control character (a line
// feed in a folder name would read back as further keys).
std::string ConfigurationTextProblem(const Configuration& record);

// The eight lines of Brevora.cfg for the record and channel list. A control
// character in a value is written as a blank, so no line ever reads back as
// another key (the window refuses such values before it writes).
std::string FormatConfiguration(const Configuration& record,
                                const std::vector<std::string>& channels);
std::string FormatConfiguration(ConfigurationWindow& window);

// The default file for a program folder.
std::string DefaultConfigurationText(const std::string& programFolder);

// Takes the control values and writes Brevora.cfg in the program folder.
// A failure shows the message of its cause and leaves the file unchanged; so
// does a value with a control character (ConfigurationTextProblem).
bool WriteConfiguration(ConfigurationWindow& window, const std::string& programFolder,
                        UserPrompt& prompt);

// Writes the default Brevora.cfg; a failure shows the message of its cause.
bool WriteDefaultConfiguration(const std::string& programFolder, UserPrompt& prompt);

}  // namespace brevora
