// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace brevora {

// One published article: what NewsXML.xml says of it (or, for an audio file
// it does not list, what the file's path says), with its audio file's length.
// Paths are relative to the working folder's Top, with "/".
struct PodcastArticle {
  std::string channel;
  std::string category;
  std::string title;
  std::string url;       // the article's address; may be empty (only http and https are published)
  std::string date;      // as the feed gave it; may be empty
  std::string language;  // as its page or feed declared it ("fr-CA"); may be empty
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

// NewsXML.xml with each article's duration, from `seconds` (whole seconds by
// its audio path relative to Top), in a duration element after its audio
// element, and the language it was read in, from `languages`, in its language
// element or one added after its date. Only those elements change: every
// other byte stays as it was. A document in UTF-16 or UTF-32 stays as it is.
std::string AnnotatedIndex(const std::string& xml, const std::map<std::string, int>& seconds,
                           const std::map<std::string, std::string>& languages);

}  // namespace brevora
