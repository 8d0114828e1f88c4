// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <map>
#include <string>

namespace brevora {

class RunLog;

// The publishing step of a run, for the formats "mp3" and "wav" (none for
// "text"): tags every audio file below WORKING/Top, writes durations into the
// playlists, the pages and NewsXML.xml, writes Top/podcast.xml and
// Top/CHANNEL/podcast.xml and links them from the pages. A failure is one log
// entry; returns false then.
struct PodcastOptions {
  std::string workingFolder;
  std::string programFolder;  // ending with "/"; its icons/brevora.png is the cover
  std::string format;         // "mp3" or "wav"
  std::string language;
  std::string address;     // the podcast address; empty for relative addresses
  std::string ownerEmail;  // the feeds' owner's; may be empty
  std::time_t runTime = 0;
  // The language each article was read in, by its text file below Top
  // ("World/News/01 A.txt"); an article not named has `language`.
  std::map<std::string, std::string> articleLanguages;
};
bool PublishPodcast(const PodcastOptions& options, RunLog& log);

}  // namespace brevora
