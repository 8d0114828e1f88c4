// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brevora {

// Where the program lies and where it keeps what it writes. The install
// folder holds the executable and what ships beside it (brevora-cmd, the
// crawler and its libraries, help/, icons/, the demo feeds/, the sample
// Channels.txt); the data folder holds Brevora.cfg, Brevora.bak,
// Channels.txt, Brevora.ini, Brevora.log and the temporary files of saves.
// Both end with "/".
struct ProgramFolders {
  std::string install;
  std::string data;
};

// The folders of a program installed in `install`: a data folder given on
// the command line (`chosen`, not empty) is the data folder; else a writable
// install folder (a build tree, a portable copy) is both; else the data
// folder is XDG_DATA_HOME/brevora, or HOME/.local/share/brevora when
// XDG_DATA_HOME is not set to an absolute path (null: not set); empty when
// neither is (PrepareDataFolder then refuses with the reason).
ProgramFolders ChooseProgramFolders(const std::string& install, bool installWritable,
                                    const std::string& chosen, const char* xdgDataHome,
                                    const char* home);

// Makes a data folder other than the install folder ready: creates it, and
// when it has no Channels.txt gives it the install folder's sample, whose
// channels with a local feed ("feeds/demo.xml") then name the installed
// feeds by their full path. Empty on success, else what went wrong.
std::string PrepareDataFolder(const ProgramFolders& folders);

}  // namespace brevora
