#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace brevora {

class RunLog;

// One published article: what NewsXML.xml says of it (or, for an audio file
// it does not list, what the file's path says), with its audio file's length.
// Paths are relative to the working folder's Top, with "/".
struct PodcastArticle {
  std::string channel;
  std::string category;
  std::string title;
  std::string url;   // the article's address; may be empty (only http and https are published)
  std::string date;  // as the feed gave it; may be empty
  std::string textPath;
  std::string audioPath;
  int track = 0;        // the NN of "NN TITLE"
  int seconds = 0;      // whole seconds of audio
  uint64_t bytes = 0;   // the audio file's size
  std::string summary;  // the first 300 characters of the article's text
};

// The articles NewsXML.xml lists, in its order; what it does not hold, or
// holds broken, is left out.
std::vector<PodcastArticle> ReadNewsIndex(std::string_view xml);

// What an audio file's path gives: "CHANNEL/CATEGORY/NN TITLE.mp3".
PodcastArticle ArticleFromPath(const std::string& audioPath);

// A date for a feed: `date` in RFC 822 form when it is one of the usual forms
// of feeds (RFC 822 itself, ISO 8601), else `fallback`; in UTC.
std::string Rfc822Date(std::string_view date, std::time_t fallback);

// The same text for the same article address on every run ("brevora-" and
// 16 hexadecimal digits).
std::string StableGuid(std::string_view address);

// Whole seconds as a feed or a page shows them: "M:SS", "H:MM:SS".
std::string ClockDuration(int seconds);

// The message for a podcast address that is not an http or https address
// with a host; empty when it is one (or empty: no address).
std::string PodcastAddressProblem(std::string_view address);

// What a podcast feed says of itself and where its addresses start.
struct PodcastFeedInfo {
  std::string title;
  std::string description;
  std::string language;  // "en-gb"; may be empty
  std::string selfPath;  // the feed's own path below Top ("podcast.xml", "Demo/podcast.xml")
  std::string address;   // the podcast address (ending with "/"); empty: relative addresses
  std::time_t buildTime = 0;
};

// An RSS 2.0 feed with the itunes namespace: one item per article with audio.
std::string PodcastFeed(const PodcastFeedInfo& info, const std::vector<PodcastArticle>& articles);

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
  std::string address;  // the podcast address; empty for relative addresses
  std::time_t runTime = 0;
};
bool PublishPodcast(const PodcastOptions& options, RunLog& log);

}  // namespace brevora
