// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "channels/channel_record.h"

namespace brevora {

// The longest name a channel gets from a feed's title, in characters.
inline constexpr size_t kMaxFeedChannelName = 60;

// A name for a new channel from a feed's title, different from every name
// in `taken` whatever the letter case (as the editor compares them): the
// title on one line, without control characters, "|" (the line's separator)
// and "," (the separator of Brevora.cfg's channel list) and without a leading
// "#" (a switched-off line), cut at a word to kMaxFeedChannelName characters;
// "News" when nothing is left; "Feed " before it when it does not begin with
// a letter from A to Z (the editor's rule); then " (2)", " (3)"... until it
// is new.
std::string UniqueChannelName(std::string_view title, const std::vector<std::string>& taken);

// A channel that reads the items of the feed at `url` as its articles: the
// whole article ("Number of Characters" 0), every item, no filters that
// would take the items for category feeds.
ChannelRecord FeedChannel(const std::string& name, const std::string& url);

// Whether the address is a network address the crawler reads: http or https.
bool IsNetAddress(std::string_view url);

// The channels of Channels.txt (listed and switched off), as records.
std::vector<ChannelRecord> ReadChannelRecords(std::string_view channelsText);

// The channels of PROGRAM/Channels.txt (none when it is missing); false, with
// why in `problem`, when it exists but cannot be read.
bool ReadChannelsFile(const std::string& programFolder, std::vector<ChannelRecord>& records,
                      std::string& problem);

// Whether a name needs no cleaning to name a channel (UniqueChannelName
// leaves it as it is among no other names).
bool IsCleanChannelName(std::string_view name);

// Channels.txt with the records appended, each as SaveChannel appends one.
// A record whose texts would break its line is refused with
// CheckChannelTexts' message in `problem`; the text is then empty.
std::string TextWithNewChannels(std::string_view oldText, const std::vector<ChannelRecord>& records,
                                std::string& problem);

// Appends the records to PROGRAM/Channels.txt in one write: every one or
// none. Returns an empty text, or why nothing was written.
std::string AppendChannels(const std::string& programFolder,
                           const std::vector<ChannelRecord>& records);

}  // namespace brevora
