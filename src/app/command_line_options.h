#pragma once

#include <QStringList>
#include <string>

namespace brevora {

// What the command line asks for (`brevora --help` lists it).
struct CommandLineOptions {
  bool runNow = false;  // one run without a window
  bool help = false;
  bool version = false;
  std::string dataFolder;  // empty: the usual one
  std::string error;       // an unknown option or a missing value; then nothing runs
};

// Reads the arguments, the program's name first.
CommandLineOptions ParseCommandLine(const QStringList& arguments);

// The text of --help.
QString CommandLineHelp();

}  // namespace brevora
