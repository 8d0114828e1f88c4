// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <string>
#include <vector>

namespace brevora {

// What the command line asks for (`brevora --help` lists it).
struct CommandLineOptions {
  bool runNow = false;         // one run without a window
  bool scheduled = false;      // the schedule without a window, until SIGTERM or SIGINT
  bool minimized = false;      // the window starts hidden in the tray (where there is one)
  bool startSchedule = false;  // "Run" is pressed once the window is up
  bool help = false;
  bool version = false;
  std::string dataFolder;  // empty: the usual one
  int sharePort = 0;       // --share: the port to share on without a window; 0: none
  // The channel commands, each without a window; at most one is given.
  std::string addChannel;             // --add-channel ADDRESS
  std::string channelName;            // --name NAME, with --add-channel
  int feedNumber = 0;                 // --feed N, with --add-channel; 0: not given
  std::string importOpml;             // --import-opml FILE
  std::string exportOpml;             // --export-opml FILE
  bool listChannels = false;          // --channels
  bool config = false;                // --config: show the settings, or set those given
  std::vector<std::string> settings;  // --config's KEY=VALUE arguments
  std::string error;                  // an unknown option or a missing value; then nothing runs
};

// Reads the arguments, the program's name first.
CommandLineOptions ParseCommandLine(const QStringList& arguments);

// The text of --help.
QString CommandLineHelp();

}  // namespace brevora
