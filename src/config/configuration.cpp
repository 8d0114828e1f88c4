// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/configuration.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/text.h"
#include "base/user_prompt.h"

namespace brevora {

const std::array<const char*, kConfigurationKeyCount> kConfigurationKeyNames = {
    "WorkingFolder", "ExecutingFolder", "StartDownloading", "StartTimes", "Channels",
    "Format",        "Voice",           "Advanced"};

const std::array<const char*, 7> kDayNames = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

namespace {

constexpr size_t kLinePiece = 1024;

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string_view DropLeadingBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

int FindIndexIgnoringCase(const std::vector<std::string>& entries, std::string_view value) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (EqualsIgnoringCase(entries[i], value)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

void ParseStartDays(std::string_view value, std::array<bool, 7>& days) {
  for (size_t day = 0; day < days.size(); ++day) {
    const std::string name = kDayNames[day];
    std::string lower = name, upper = name;
    for (auto& c : lower) c = LowerAscii(c);
    for (auto& c : upper) c = UpperAscii(c);
    days[day] = value.find(name) != std::string_view::npos ||
                value.find(lower) != std::string_view::npos ||
                value.find(upper) != std::string_view::npos;
  }
}

int ParseHour(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return 0;
  int hour = ParseLeadingInt(text.substr(0, colon));
  // A person writing "12:30 AM" means half past midnight and "12:30 PM" half
  // past noon; other hours follow "add 12 after PM".
  if (EndsWithIgnoringCase(text, "PM")) {
    if (hour != 12) hour = hour > INT_MAX - 12 ? -1 : hour + 12;
  } else if (EndsWithIgnoringCase(text, "AM") && hour == 12) {
    hour = 0;
  }
  return (hour >= 0 && hour <= 23) ? hour : 0;
}

int ParseMinute(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return 0;
  const int minute = ParseLeadingInt(text.substr(colon + 1, 2));
  return (minute >= 0 && minute <= 59) ? minute : 0;
}

std::time_t MakeStartTime(int hour, int minute) {
  std::tm moment{};
  moment.tm_year = 2004 - 1900;
  moment.tm_mon = 5;
  moment.tm_mday = 6;
  moment.tm_hour = hour;
  moment.tm_min = minute;
  moment.tm_isdst = -1;
  return std::mktime(&moment);
}

std::string FormatTimeOfDay(std::time_t time) {
  std::tm moment{};
  localtime_r(&time, &moment);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", moment.tm_hour, moment.tm_min, moment.tm_sec);
  return text;
}

void ParseStartTimes(std::string_view value, std::time_t now, Configuration& record) {
  const auto comma = value.find(',');
  if (comma == std::string_view::npos) {
    record.firstStartTime = now;
    record.secondStartTime = now;
    return;
  }
  const std::string_view first = DropLeadingBlanks(value.substr(0, comma));
  const std::string_view second = DropLeadingBlanks(value.substr(comma + 1));
  record.firstStartTime = MakeStartTime(ParseHour(first), ParseMinute(first));
  record.secondStartTime = MakeStartTime(ParseHour(second), ParseMinute(second));
}

std::vector<std::string> ParseChannelList(std::string_view value) {
  std::vector<std::string> names;
  size_t start = 0;
  for (;;) {
    const auto comma = value.find(',', start);
    const std::string_view piece = DropLeadingBlanks(value.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (!piece.empty()) names.emplace_back(piece);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return names;
}

std::string DoubleBackslashes(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    result += c;
    if (c == '\\') result += c;
  }
  return result;
}

std::string UndoubleBackslashes(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    result += text[i];
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return result;
}

// Reads up to 1024 bytes. When they hold a line feed, the file position is
// moved back to just after it and the line is the bytes before it, less one
// carriage return right before it; otherwise the line is all the bytes read,
// so a longer line comes back in pieces. End of file or a read error give an
// empty line.
std::string ReadConfigurationLine(std::FILE* file) {
  char buffer[kLinePiece];
  const size_t n = std::fread(buffer, 1, sizeof buffer, file);
  if (n == 0 || std::ferror(file)) return {};
  const void* found = std::memchr(buffer, '\n', n);
  if (found == nullptr) return std::string(buffer, n);
  size_t end = static_cast<const char*>(found) - buffer;
  const long rest = static_cast<long>(n - end - 1);
  if (rest > 0) std::fseek(file, -rest, SEEK_CUR);
  if (end > 0 && buffer[end - 1] == '\r') --end;
  return std::string(buffer, end);
}

namespace {

void ApplyKey(int key, std::string_view value, ConfigurationWindow& window) {
  Configuration& record = window.Record();
  switch (key) {
    case kWorkingFolderKey:
      record.workingFolder = UndoubleBackslashes(value);
      break;
    case kExecutingFolderKey:
      record.executingFolder = UndoubleBackslashes(value);
      break;
    case kStartDownloadingKey:
      ParseStartDays(value, record.startDays);
      break;
    case kStartTimesKey:
      ParseStartTimes(value, window.Now(), record);
      break;
    case kChannelsKey:
      window.SetChannelNames(ParseChannelList(value));
      break;
    case kFormatKey:
      window.SelectFormat(FindIndexIgnoringCase(window.FormatEntries(), value));
      record.outputFormat = std::string(value);
      break;
    case kVoiceKey: {
      const std::vector<std::string> voices = window.VoiceEntries();
      const int index = FindIndexIgnoringCase(voices, value);
      record.voiceFromDefault = false;
      if (index >= 0) {
        window.SelectVoice(index);
        record.voiceName = std::string(value);
      } else {
        const int fallback = window.DefaultVoice();
        const bool valid = fallback >= 0 && static_cast<size_t>(fallback) < voices.size();
        window.SelectVoice(valid ? fallback : -1);
        record.voiceName = valid ? voices[fallback] : std::string();
        record.voiceFromDefault = value.empty();
      }
      break;
    }
    case kAdvancedKey:
      record.advanced = EqualsIgnoringCase(value, "True");
      break;
  }
  record.keysSeen[key] = true;
}

void ApplyLine(std::string_view line, ConfigurationWindow& window) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = line.substr(0, equals);
  for (int k = 0; k < kConfigurationKeyCount; ++k) {
    if (EqualsIgnoringCase(key, kConfigurationKeyNames[k])) {
      ApplyKey(k, line.substr(equals + 1), window);
      return;
    }
  }
}

}  // namespace

void ReadConfiguration(std::FILE* file, ConfigurationWindow& window, UserPrompt& prompt) {
  // The first empty line (a blank line or the end of the file) ends the reading.
  for (;;) {
    const std::string line = ReadConfigurationLine(file);
    if (line.empty()) break;
    ApplyLine(line, window);
  }
  for (bool seen : window.Record().keysSeen) {
    if (!seen) {
      prompt.Notify("Some parameters are not set!");
      return;
    }
  }
}

namespace {

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), IsControlCharacter);
}

// What a line of Brevora.cfg can hold of a value.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (IsControlCharacter(c)) c = ' ';
  }
  return line;
}

}  // namespace

std::string ConfigurationTextProblem(const Configuration& record) {
  const std::pair<const char*, const std::string*> texts[] = {
      {"working folder", &record.workingFolder},
      {"executing folder", &record.executingFolder},
      {"format", &record.outputFormat},
      {"voice", &record.voiceName},
  };
  for (const auto& [label, text] : texts) {
    if (HasControlCharacter(*text)) {
      return std::string("The ") + label +
             " cannot contain a line break or another control character!";
    }
  }
  return {};
}

std::string FormatConfiguration(const Configuration& record,
                                const std::vector<std::string>& channels) {
  std::string days;
  for (size_t day = 0; day < record.startDays.size(); ++day) {
    if (!record.startDays[day]) continue;
    if (!days.empty()) days += ',';
    days += kDayNames[day];
  }
  std::string names;
  for (const auto& name : channels) {
    if (!names.empty()) names += ',';
    names += name;
  }
  return "WorkingFolder=" + OneLine(DoubleBackslashes(record.workingFolder)) + "\r\n" +
         "ExecutingFolder=" + OneLine(DoubleBackslashes(record.executingFolder)) + "\r\n" +
         "StartDownloading=" + days + "\r\n" +
         "StartTimes=" + FormatTimeOfDay(record.firstStartTime) + "," +
         FormatTimeOfDay(record.secondStartTime) + "\r\n" + "Channels=" + OneLine(names) + "\r\n" +
         "Format=" + OneLine(record.outputFormat) + "\r\n" +
         "Voice=" + (record.voiceFromDefault ? std::string() : OneLine(record.voiceName)) + "\r\n" +
         "Advanced=" + (record.advanced ? "True" : "False") + "\r\n";
}

std::string FormatConfiguration(ConfigurationWindow& window) {
  return FormatConfiguration(window.Record(), window.ChannelNames());
}

std::string DefaultConfigurationText(const std::string& programFolder) {
  return "WorkingFolder=" + programFolder + "\r\n" + "ExecutingFolder=" + programFolder + "\r\n" +
         "StartDownloading=Mon\r\n"
         "StartTimes=7:00 AM, 5:00 PM\r\n"
         "Channels=\r\n"
         "Format=text\r\n"
         "Voice=\r\n"
         "Advanced=False\r\n";
}

namespace {

bool WriteOrReport(const std::string& path, const std::string& text, UserPrompt& prompt) {
  const int cause = WriteFileAtomically(path, text);
  ReportFileError(cause, prompt);
  return cause == kNoError;
}

}  // namespace

bool WriteConfiguration(ConfigurationWindow& window, const std::string& programFolder,
                        UserPrompt& prompt) {
  window.TakeControlValues();
  if (const std::string problem = ConfigurationTextProblem(window.Record()); !problem.empty()) {
    prompt.Notify(problem);
    return false;
  }
  return WriteOrReport(programFolder + "Brevora.cfg", FormatConfiguration(window), prompt);
}

bool WriteDefaultConfiguration(const std::string& programFolder, UserPrompt& prompt) {
  return WriteOrReport(programFolder + "Brevora.cfg", DefaultConfigurationText(programFolder),
                       prompt);
}

}  // namespace brevora
