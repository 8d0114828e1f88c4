// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "channels/channel_record.h"

namespace brevora {

// The largest OPML file read, and the most feeds taken from one: a feed
// reader's list is some kilobytes.
inline constexpr size_t kMaxOpmlBytes = 2 << 20;
inline constexpr size_t kMaxOpmlFeeds = 2000;
// How deep folders of outlines may nest.
inline constexpr int kMaxOpmlDepth = 16;

// One feed of an OPML file: an outline with an xmlUrl.
struct OpmlFeed {
  std::string title;   // its title, else its text; may be empty
  std::string url;     // its xmlUrl
  std::string folder;  // the text of the outline it is nested in; empty at the top
};

// The feeds of an OPML file, in document order, nested outlines included.
// A file that is not OPML, holds a document type declaration (where entity
// expansion hides), is over kMaxOpmlBytes, kMaxOpmlFeeds or kMaxOpmlDepth,
// or has a title or address with a control character gives no feed and one
// message in `problem`.
std::vector<OpmlFeed> ReadOpml(std::string_view text, std::string& problem);

// What importing an OPML file into a channel list gives.
struct OpmlImport {
  std::vector<ChannelRecord> added;  // the new channels, in the file's order
  int present = 0;      // feeds whose address a channel has already (or an earlier outline)
  int notOnTheWeb = 0;  // feeds whose address is not http or https
};

// "3 channels added, 2 present already, 1 not a web address."
std::string ImportSummary(const OpmlImport& import);

// The channels an OPML file's feeds add to `existing`: one per feed whose
// address no channel has, named from its title (made unique).
OpmlImport ImportOpmlFeeds(const std::vector<OpmlFeed>& feeds,
                           const std::vector<ChannelRecord>& existing);

// Reads the OPML file at `path` and appends its new feeds to
// PROGRAM/Channels.txt in one write (every one or none). Empty on success,
// with what was done in `import`; else why nothing was added.
std::string ImportOpmlFile(const std::string& programFolder, const std::string& path,
                           OpmlImport& import);

// Writes ExportOpml of PROGRAM/Channels.txt to `path`, whole or not at all.
// Empty on success, with the number of channels in `count`; else why not.
std::string ExportOpmlFile(const std::string& programFolder, const std::string& path,
                           std::time_t now, int& count);

// OPML 2.0 listing every channel with a network address, as feed readers
// import it.
std::string ExportOpml(const std::vector<ChannelRecord>& channels, std::time_t now);

}  // namespace brevora
