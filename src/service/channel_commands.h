// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <ostream>
#include <string>

namespace brevora {

class CancelEvent;
class FeedSearcher;
struct ProgramFolders;

// The channel commands of the command line, without a window. Each writes
// what it did to `out`, what went wrong to `err`, and returns the exit code:
// 0 done, 1 nothing to do (no feed found, a choice needed), 2 refused (bad
// input, a file that cannot be read or written); nothing is written then.

// "--add-channel ADDRESS [--name NAME] [--feed N]": finds the feeds of the
// address; one feed, or the Nth of several (from 1), becomes a channel named
// NAME, or after its title (made unique). Several without --feed are listed
// and none is added.
int AddChannelCommand(const ProgramFolders& folders, const std::string& address,
                      const std::string& name, int feedNumber, FeedSearcher& searcher,
                      CancelEvent& cancel, std::ostream& out, std::ostream& err);

// "--import-opml FILE": a channel for every feed of the file whose address
// no channel has.
int ImportOpmlCommand(const ProgramFolders& folders, const std::string& path, std::ostream& out,
                      std::ostream& err);

// "--export-opml FILE": every channel with a network address, as OPML.
int ExportOpmlCommand(const ProgramFolders& folders, const std::string& path, std::time_t now,
                      std::ostream& out, std::ostream& err);

// "--channels": the channels of Channels.txt, one a line: the name, a tab,
// the address.
int ListChannelsCommand(const ProgramFolders& folders, std::ostream& out, std::ostream& err);

}  // namespace brevora
