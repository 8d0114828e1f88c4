// SPDX-License-Identifier: GPL-3.0-or-later
// Setting up without a window: --config shows Brevora.cfg and sets values
// after checking them as the window does.
#include <gtest/gtest.h>

#include <sstream>

#include "config/program_folders.h"
#include "fakes/temp_folder.h"
#include "service/settings_command.h"

namespace brevora {
namespace {

using testing::TempFolder;

const std::vector<std::string> kVoices = {"English (Great Britain)", "French (France)"};

// From an empty data folder: the file is made in its eight-line form; a
// second change keeps the first file as Brevora.bak and shows the result.
TEST(SettingsCommand, MakesAndChangesBrevoraCfg) {
  TempFolder data;
  data.Write("Channels.txt", "\r\nWorld||http://w.test/||||0\r\n\r\n#Off||x\r\n");
  const ProgramFolders folders{data.path(), data.path()};
  std::ostringstream out, err;
  EXPECT_EQ(2, ShowConfiguration(folders, kVoices, out, err));
  EXPECT_EQ("Brevora.cfg not found in " + data.path() +
                ": brevora --config WorkingFolder=DIR ExecutingFolder=DIR Channels=NAME "
                "Format=mp3 makes one\n",
            err.str());

  EXPECT_EQ(0, ChangeConfiguration(folders,
                                   {"WorkingFolder=/srv/work", "executingfolder=/srv/news/",
                                    "Channels=World", "Voice=french (france)"},
                                   kVoices, 0, out, err))
      << err.str();
  const std::string first =
      "WorkingFolder=/srv/work/\r\nExecutingFolder=/srv/news/\r\nStartDownloading=Mon\r\n"
      "StartTimes=07:00:00,17:00:00\r\nChannels=World\r\nFormat=mp3\r\n"
      "Voice=French (France)\r\nAdvanced=False\r\n";
  EXPECT_EQ(first, data.Read("Brevora.cfg"));
  EXPECT_FALSE(data.Exists("Brevora.bak"));

  EXPECT_EQ(0, ChangeConfiguration(folders,
                                   {"StartDownloading=mon, FRI", "StartTimes=6:05 AM, 5:30 PM",
                                    "Format=WAV", "Advanced=true", "Channels="},
                                   kVoices, 0, out, err));
  EXPECT_EQ(first, data.Read("Brevora.bak"));
  std::ostringstream shown;
  EXPECT_EQ(0, ShowConfiguration(folders, kVoices, shown, err));
  EXPECT_EQ("# " + data.path() +
                "Brevora.cfg\nWorkingFolder=/srv/work/\nExecutingFolder=/srv/news/\n"
                "StartDownloading=Mon,Fri\nStartTimes=06:05:00,17:30:00\nChannels=\n"
                "Format=wav\nVoice=French (France)\nAdvanced=True\n",
            shown.str());
}

// Every wrong value is named and nothing is written, not even the values
// given before it.
TEST(SettingsCommand, WrongValuesChangeNothing) {
  TempFolder data;
  data.Write("Channels.txt", "World||http://w.test/||||0\r\n#Off||x\r\n");
  const ProgramFolders folders{data.path(), data.path()};
  const std::pair<std::string, std::string> cases[] = {
      {"WorkingFolder=work", "WorkingFolder=work: WorkingFolder must be an absolute folder"},
      {"ExecutingFolder=/", "ExecutingFolder=/: ExecutingFolder must not be the root folder"},
      {"StartDownloading=Mon,Funday", "StartDownloading takes day names"},
      {"StartTimes=24:00,07:00", "StartTimes takes two times of day"},
      {"StartTimes=7:60,07:00", "StartTimes takes two times of day"},
      {"StartTimes=13:00 PM,07:00", "StartTimes takes two times of day"},
      {"StartTimes=07:00", "StartTimes takes two times of day"},
      {"Channels=World,#Off", "Channels names #Off, which Channels.txt does not define"},
      {"Format=ogg", "Format takes text, wav or mp3"},
      {"Voice=Elvish", "Voice names no installed voice"},
      {"Advanced=yes", "Advanced takes True or False"},
      {"Colour=blue", "Colour=blue: is not a setting"},
      {"Format", "Format: Format is not KEY=VALUE"},
      {"WorkingFolder=/a\x01"
       "b",
       "WorkingFolder=/a\x01"
       "b: "},
  };
  for (const auto& [assignment, message] : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(2,
              ChangeConfiguration(folders, {"WorkingFolder=/w", "ExecutingFolder=/e", assignment},
                                  kVoices, 0, out, err))
        << assignment;
    EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("Nothing was changed.\n"), std::string::npos) << err.str();
    EXPECT_FALSE(data.Exists("Brevora.cfg")) << assignment;
  }
  std::ostringstream out, err;
  EXPECT_EQ(2, ChangeConfiguration(folders, {"Format=text"}, kVoices, 0, out, err));
  EXPECT_NE(err.str().find("needs a working and an executing folder"), std::string::npos);
  EXPECT_FALSE(data.Exists("Brevora.cfg"));
}

}  // namespace
}  // namespace brevora
