// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

namespace brevora {

struct ProgramFolders;

// What a user without Brevora.cfg is told to run.
inline constexpr char kHowToMakeConfiguration[] =
    "brevora --config WorkingFolder=DIR ExecutingFolder=DIR Channels=NAME Format=mp3 makes one";

// "--config": the settings of DATA/Brevora.cfg, one KEY=VALUE a line, after
// a line naming the file; `voices` are the voice box's entries, as below.
// 2 (with the command that makes one) when there is none.
int ShowConfiguration(const ProgramFolders& folders, const std::vector<std::string>& voices,
                      std::ostream& out, std::ostream& err);

// "--config KEY=VALUE...": sets the values over those of Brevora.cfg (or of
// the defaults, where there is none yet) after checking every one with the
// window's rules: absolute folders, day names, two times of day, channels
// that Channels.txt defines, a format of the list, a voice of `voices` (the
// voice box's entries; empty: the default voice), True or False. Writes
// Brevora.cfg in its eight-line form, the old one kept as Brevora.bak, and
// returns 0; or writes nothing, says which value is wrong and returns 2.
int ChangeConfiguration(const ProgramFolders& folders, const std::vector<std::string>& assignments,
                        const std::vector<std::string>& voices, std::time_t now, std::ostream& out,
                        std::ostream& err);

}  // namespace brevora
