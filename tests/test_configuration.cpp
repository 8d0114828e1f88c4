// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "config/configuration.h"
#include "config/memory_configuration_window.h"
#include "fakes/scripted_prompt.h"

namespace brevora {
namespace {

using testing::ScriptedPrompt;

const char kMissing[] = "Some parameters are not set!";

// Reads the text as Brevora.cfg into the window through a real file stream.
void ReadText(const std::string& text, ConfigurationWindow& window, ScriptedPrompt& prompt) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  ReadConfiguration(file, window, prompt);
  std::fclose(file);
}

int HourOf(std::time_t t) {
  std::tm moment{};
  localtime_r(&t, &moment);
  return moment.tm_hour;
}
int MinuteOf(std::time_t t) {
  std::tm moment{};
  localtime_r(&t, &moment);
  return moment.tm_min;
}

const std::string kCompleteFile =
    "WorkingFolder=/w/\r\nExecutingFolder=/e/\r\nStartDownloading=Mon\r\n"
    "StartTimes=07:00:00,17:00:00\r\nChannels=World\r\nFormat=mp3\r\nVoice=\r\n"
    "Advanced=False\r\n";

// A folder typed with a line feed and key lines after it: refused with a
// message and nothing written; the writer itself never lets it make lines.
TEST(ConfigurationFile, ControlCharactersNeverMakeLines) {
  MemoryConfigurationWindow window;
  window.record.workingFolder = "/srv/w\nFormat=wav\nExecutingFolder=/etc";
  EXPECT_EQ(ConfigurationTextProblem(window.record),
            "The working folder cannot contain a line break or another control character!");
  ScriptedPrompt prompt;
  char folder[] = "/tmp/brevora-cfg-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string programFolder = std::string(folder) + "/";
  EXPECT_FALSE(WriteConfiguration(window, programFolder, prompt));
  EXPECT_EQ(prompt.shown, std::vector<std::string>{ConfigurationTextProblem(window.record)});
  std::FILE* written = std::fopen((programFolder + "Brevora.cfg").c_str(), "r");
  EXPECT_EQ(written, nullptr);
  if (written != nullptr) std::fclose(written);
  std::remove(folder);

  window.record.voiceName = "a\r\nAdvanced=True";
  const std::string text = FormatConfiguration(window.record, {});
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8);
  MemoryConfigurationWindow read;
  ReadText(text, read, prompt);
  EXPECT_EQ(read.record.outputFormat, window.record.outputFormat);
  EXPECT_FALSE(read.record.advanced);
  EXPECT_EQ(read.record.workingFolder, "/srv/w Format=wav ExecutingFolder=/etc");
}

// The default file for a program folder, and its form after one more write
// with Friday added, byte for byte; both read back to the same settings.
TEST(ConfigurationFile, DefaultFileAndItsRewrittenForm) {
  const std::string folder = "/home/ann/News\\Brevora/";
  const std::string defaults = DefaultConfigurationText(folder);
  EXPECT_EQ(defaults,
            "WorkingFolder=/home/ann/News\\Brevora/\r\n"
            "ExecutingFolder=/home/ann/News\\Brevora/\r\n"
            "StartDownloading=Mon\r\n"
            "StartTimes=7:00 AM, 5:00 PM\r\n"
            "Channels=\r\n"
            "Format=text\r\n"
            "Voice=\r\n"
            "Advanced=False\r\n");

  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;
  ReadText(defaults, window, prompt);
  EXPECT_TRUE(prompt.shown.empty());
  const Configuration& record = window.record;
  EXPECT_EQ(record.workingFolder, folder);
  EXPECT_EQ(record.executingFolder, folder);
  EXPECT_EQ(record.startDays,
            (std::array<bool, 7>{true, false, false, false, false, false, false}));
  EXPECT_EQ(HourOf(record.firstStartTime), 7);
  EXPECT_EQ(HourOf(record.secondStartTime), 17);
  EXPECT_TRUE(window.channels.empty());
  EXPECT_EQ(record.outputFormat, "text");
  EXPECT_EQ(window.formatSelection, 0);
  EXPECT_EQ(record.voiceName, "");
  EXPECT_FALSE(record.advanced);

  window.record.startDays[4] = true;
  const std::string rewritten = FormatConfiguration(window);
  EXPECT_EQ(rewritten,
            "WorkingFolder=/home/ann/News\\\\Brevora/\r\n"
            "ExecutingFolder=/home/ann/News\\\\Brevora/\r\n"
            "StartDownloading=Mon,Fri\r\n"
            "StartTimes=07:00:00,17:00:00\r\n"
            "Channels=\r\n"
            "Format=text\r\n"
            "Voice=\r\n"
            "Advanced=False\r\n");

  MemoryConfigurationWindow again;
  ReadText(rewritten, again, prompt);
  EXPECT_TRUE(prompt.shown.empty());
  EXPECT_EQ(again.record.workingFolder, folder);
  EXPECT_EQ(again.record.startDays, window.record.startDays);
  EXPECT_EQ(again.record.firstStartTime, window.record.firstStartTime);
  EXPECT_EQ(again.record.secondStartTime, window.record.secondStartTime);
  EXPECT_EQ(FormatConfiguration(again), rewritten);
}

// The default file with voices installed selects the window's default voice
// (the one of the user's language), and stores its name.
TEST(ConfigurationFile, DefaultFileTakesTheDefaultVoice) {
  MemoryConfigurationWindow window;
  window.voices = {"Anna", "Bert"};
  window.defaultVoice = 1;
  ScriptedPrompt prompt;
  ReadText(DefaultConfigurationText("/p/"), window, prompt);
  EXPECT_EQ(window.voiceSelection, 1);
  EXPECT_EQ(window.record.voiceName, "Bert");
}

// A blank line stops the reading: later keys are not seen, and one message says so.
TEST(ConfigurationFile, BlankLineEndsReadingWithOneMessage) {
  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;
  ReadText(
      "WorkingFolder=/w/\r\nExecutingFolder=/e/\r\nStartDownloading=Tue\r\n\r\n"
      "StartTimes=07:00:00,17:00:00\r\nChannels=A\r\nFormat=mp3\r\nVoice=\r\nAdvanced=True\r\n",
      window, prompt);
  EXPECT_EQ(prompt.shown, std::vector<std::string>{kMissing});
  EXPECT_TRUE(window.record.startDays[1]);
  EXPECT_TRUE(window.channels.empty());
  EXPECT_EQ(window.record.outputFormat, "");
  EXPECT_FALSE(window.record.advanced);
}

// Keys count as met across readings; a second reading that lacks a key met
// before shows no message, while the fields it lacks keep their values.
TEST(ConfigurationFile, KeysSeenPersistAcrossReadings) {
  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;
  ReadText(kCompleteFile, window, prompt);
  EXPECT_TRUE(prompt.shown.empty());
  ReadText("Format=wav\r\n", window, prompt);
  EXPECT_TRUE(prompt.shown.empty());
  EXPECT_EQ(window.record.outputFormat, "wav");
  EXPECT_EQ(window.channels, std::vector<std::string>{"World"});

  MemoryConfigurationWindow fresh;
  ReadText("Format=wav\r\n", fresh, prompt);
  EXPECT_EQ(prompt.shown, std::vector<std::string>{kMissing});
}

// Keys compare without case; a blank before "=" makes the key unknown.
TEST(ConfigurationFile, KeyMatching) {
  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;
  std::string text = kCompleteFile;
  text.replace(text.find("WorkingFolder"), 13, "workingFOLDER");
  text.replace(text.find("Format=mp3"), 10, "Format =wav");
  ReadText(text, window, prompt);
  EXPECT_EQ(window.record.workingFolder, "/w/");
  EXPECT_EQ(window.record.outputFormat, "");
  EXPECT_EQ(prompt.shown, std::vector<std::string>{kMissing});
}

// "Channels=" empties the list quietly; a missing line keeps it and warns.
TEST(ConfigurationFile, EmptyChannelsLineDiffersFromMissingOne) {
  MemoryConfigurationWindow window;
  window.channels = {"Old"};
  ScriptedPrompt prompt;
  std::string text = kCompleteFile;
  text.replace(text.find("Channels=World"), 14, "Channels=");
  ReadText(text, window, prompt);
  EXPECT_TRUE(window.channels.empty());
  EXPECT_TRUE(prompt.shown.empty());

  MemoryConfigurationWindow other;
  other.channels = {"Old"};
  text.replace(text.find("Channels=\r\n"), 11, "");
  ReadText(text, other, prompt);
  EXPECT_EQ(other.channels, std::vector<std::string>{"Old"});
  EXPECT_EQ(prompt.shown, std::vector<std::string>{kMissing});
}

// Values: format and voice selection, the advanced flag, "=" inside a value,
// and the last of repeated keys winning.
TEST(ConfigurationFile, ValuesOfFormatVoiceAndAdvanced) {
  MemoryConfigurationWindow window;
  window.voices = {"Anna", "Bert"};
  ScriptedPrompt prompt;
  ReadText("Format=TEXT\r\nVoice=bert\r\nAdvanced=true\r\n", window, prompt);
  EXPECT_EQ(window.formatSelection, 0);
  EXPECT_EQ(window.record.outputFormat, "TEXT");
  EXPECT_EQ(window.voiceSelection, 1);
  EXPECT_EQ(window.record.voiceName, "bert");
  EXPECT_TRUE(window.record.advanced);

  ReadText("Format=text \r\nVoice=A=B\r\nAdvanced=yes\r\nAdvanced=True\r\nAdvanced=no\r\n", window,
           prompt);
  EXPECT_EQ(window.formatSelection, -1);
  EXPECT_EQ(window.record.outputFormat, "text ");
  EXPECT_EQ(window.voiceSelection, 0);
  EXPECT_EQ(window.record.voiceName, "Anna");
  EXPECT_FALSE(window.record.advanced);

  MemoryConfigurationWindow noVoices;
  ReadText("Voice=A=B\r\n", noVoices, prompt);
  EXPECT_EQ(noVoices.voiceSelection, -1);
  EXPECT_EQ(noVoices.record.voiceName, "");
}

// A line of more than 1024 bytes comes in pieces: the "Channels" line keeps
// the names of its first 1024 bytes, the last one cut short.
TEST(ConfigurationFile, LongLineIsReadInPieces) {
  std::string names;
  while (names.size() < 1100) names += "Channel" + std::to_string(names.size() % 10) + ",";
  const std::string line = "Channels=" + names;
  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;
  ReadText(line + "\r\nFormat=wav\r\n", window, prompt);
  std::string joined;
  for (const auto& name : window.channels) joined += name + ",";
  EXPECT_EQ(joined.substr(0, joined.size() - 1), line.substr(9, 1024 - 9));
  EXPECT_EQ(window.record.outputFormat, "wav");
}

// Hostile files are read leniently: no crash, no hang, at most one message.
TEST(ConfigurationFile, LenientWithMalformedFiles) {
  const std::string nul("Format=w\0av\r\nVoice=x", 20);
  const std::string repeated = [] {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "Channels=A,B\r\nformat=wav\n";
    return text;
  }();
  const std::string binary = [] {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += static_cast<char>((i * 7919) % 256);
    return text;
  }();
  for (const std::string& text :
       {std::string(), nul, repeated, binary, std::string(3000, '\r'),
        std::string("Format=wav\rVoice=x\rAdvanced=True"), std::string(5000, '='),
        std::string("StartTimes=99999999999999999999:99999999999 PM,-5:-5\n")}) {
    MemoryConfigurationWindow window;
    ScriptedPrompt prompt;
    ReadText(text, window, prompt);
    EXPECT_LE(prompt.shown.size(), 1u);
  }
  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;
  ReadText(nul, window, prompt);
  EXPECT_EQ(window.record.outputFormat, std::string("w\0av", 4));
  EXPECT_EQ(window.record.voiceName, "");  // no voices: falls back to empty

  MemoryConfigurationWindow noFinalEnd;
  ReadText("Format=wav\r\nAdvanced=True", noFinalEnd, prompt);
  EXPECT_TRUE(noFinalEnd.record.advanced);
}

TEST(ConfigurationParsing, StartDays) {
  std::array<bool, 7> days{};
  ParseStartDays("MONDAY,tue", days);
  EXPECT_EQ(days, (std::array<bool, 7>{true, true, false, false, false, false, false}));
  ParseStartDays("mOn", days);
  EXPECT_EQ(days, (std::array<bool, 7>{}));
  ParseStartDays("Monday Friday sun", days);
  EXPECT_EQ(days, (std::array<bool, 7>{true, false, false, false, true, false, true}));
}

TEST(ConfigurationParsing, TimesOfDay) {
  struct Case {
    const char* text;
    int hour, minute;
  };
  for (const Case& c :
       {Case{"7:00 AM", 7, 0}, Case{"5:00 PM", 17, 0}, Case{"17:30:00", 17, 30},
        Case{"7:5 PM", 19, 5}, Case{"25:00", 0, 0}, Case{"7:75", 7, 0}, Case{"noon", 0, 0},
        Case{"12:30 PM", 12, 30}, Case{"12:30 am", 0, 30}, Case{"11:59 pm", 23, 59},
        Case{" +9:07", 9, 7}, Case{"-1:-1", 0, 0}, Case{"99999999999999999999:30 PM", 0, 30}}) {
    EXPECT_EQ(ParseHour(c.text), c.hour) << c.text;
    EXPECT_EQ(ParseMinute(c.text), c.minute) << c.text;
  }
}

TEST(ConfigurationParsing, StartTimes) {
  Configuration record;
  ParseStartTimes("07:00:00,17:30:00", 42, record);
  EXPECT_EQ(record.firstStartTime, MakeStartTime(7, 0));
  EXPECT_EQ(record.secondStartTime, MakeStartTime(17, 30));
  EXPECT_EQ(FormatTimeOfDay(record.secondStartTime), "17:30:00");
  // Text after a second comma stays in the second part: the numbers ignore
  // it, but "AM" or "PM" is looked for at the end of the whole part.
  ParseStartTimes("7:00 AM, 11:05,9:00 PM", 42, record);
  EXPECT_EQ(FormatTimeOfDay(record.secondStartTime), "23:05:00");
  ParseStartTimes("7:00 AM, 5:00 PM,9:00", 42, record);
  EXPECT_EQ(FormatTimeOfDay(record.secondStartTime), "05:00:00");
  ParseStartTimes("7:00 AM", 42, record);
  EXPECT_EQ(record.firstStartTime, 42);
  EXPECT_EQ(record.secondStartTime, 42);

  std::tm moment{};
  const std::time_t t = MakeStartTime(6, 5);
  localtime_r(&t, &moment);
  EXPECT_EQ(moment.tm_year + 1900, 2004);
  EXPECT_EQ(moment.tm_mon, 5);
  EXPECT_EQ(moment.tm_mday, 6);
  EXPECT_EQ(HourOf(t) * 100 + MinuteOf(t), 605);
}

TEST(ConfigurationParsing, ChannelListAndBackslashes) {
  EXPECT_EQ(ParseChannelList(",World,, Sports"), (std::vector<std::string>{"World", "Sports"}));
  EXPECT_EQ(ParseChannelList("A ,A, "), (std::vector<std::string>{"A ", "A"}));
  EXPECT_TRUE(ParseChannelList("").empty());
  EXPECT_EQ(DoubleBackslashes("C:\\News\\"), "C:\\\\News\\\\");
  EXPECT_EQ(UndoubleBackslashes("C:\\\\News\\\\"), "C:\\News\\");
  EXPECT_EQ(UndoubleBackslashes("C:\\News\\"), "C:\\News\\");
  EXPECT_EQ(UndoubleBackslashes("\\\\\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(UndoubleBackslashes("a\\\\\\b"), "a\\\\b");
}

// The writer always writes all eight lines in their fixed form.
TEST(ConfigurationFile, WriterForm) {
  Configuration record;
  record.workingFolder = "/w";
  record.executingFolder = "";
  record.startDays = {false, false, true, false, false, false, true};
  record.firstStartTime = MakeStartTime(0, 0);
  record.secondStartTime = MakeStartTime(23, 59);
  record.outputFormat = "mp3";
  record.voiceName = "Anna";
  record.advanced = true;
  EXPECT_EQ(FormatConfiguration(record, {"World", "Sports", "Weather"}),
            "WorkingFolder=/w\r\nExecutingFolder=\r\nStartDownloading=Wed,Sun\r\n"
            "StartTimes=00:00:00,23:59:00\r\nChannels=World,Sports,Weather\r\nFormat=mp3\r\n"
            "Voice=Anna\r\nAdvanced=True\r\n");
}

}  // namespace
}  // namespace brevora
