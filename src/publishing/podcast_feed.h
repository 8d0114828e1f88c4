// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "publishing/news_index.h"

namespace brevora {

// Whether the address is one a listener can open: http or https. A local
// channel's articles are files of the machine that ran it, never published.
bool IsWebAddress(std::string_view address);

// The same text for the same article address on every run ("brevora-" and
// 16 hexadecimal digits).
std::string StableGuid(std::string_view address);

// The message for a podcast address that is not an http or https address
// with a host; empty when it is one (or empty: no address).
std::string PodcastAddressProblem(std::string_view address);

// The message for an owner's e-mail address that is not one
// ("name@host.example", no blanks or markup); empty when it is one or empty.
std::string OwnerEmailProblem(std::string_view email);

// What a podcast feed says of itself and where its addresses start.
struct PodcastFeedInfo {
  std::string title;
  std::string description;
  std::string language;  // "en-gb"; may be empty
  std::string selfPath;  // the feed's own path below Top ("podcast.xml", "Demo/podcast.xml")
  std::string address;   // the podcast address (ending with "/"); empty: relative addresses
  std::time_t buildTime = 0;
  std::string ownerEmail;  // the user's, given in the Publishing dialog; may be empty
};

// The cover of every feed, in the program's icons folder: the program's icon
// on 1400 x 1400 pixels, square, RGB without alpha, as podcast directories
// ask.
inline constexpr char kCoverName[] = "cover.png";

// An RSS 2.0 feed with the itunes and atom namespaces, as podcast directories
// take it: its own address (atom:link rel="self"), category News, author and
// owner (with an e-mail only where the user gave one), type episodic, the
// cover as RSS image and itunes:image; one item per article with audio.
std::string PodcastFeed(const PodcastFeedInfo& info, const std::vector<PodcastArticle>& articles);

}  // namespace brevora
