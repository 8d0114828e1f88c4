// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevora {

// One channel: the settings the crawler needs to fetch one news source.
// Construction gives the values of a new record; ClearChannel empties it.
struct ChannelRecord {
  std::string name;
  int32_t categoriesToDownload = 5;
  std::string userName;
  std::string password;  // always the scrambled form (ScramblePassword)
  std::string url;
  std::string webSiteUrls;
  int32_t crawlDepth = 3;
  int32_t linesToSkip = 0;
  int32_t numberOfCharacters = 10000;
  std::string linkFilter;
  int32_t linksInLeafNode = 0;
  std::string extraLinkFilter;
  int32_t linksForExtraFiltering = 100;
  std::string negativeLinkFilter;
  bool useParagraphTag = false;
  bool useSpanTag = false;
  bool paragraphEndExists = false;
  bool useRemarkString = false;
  std::string startRemarkString;
  std::string endRemarkString;
  std::string loginUrl;
  std::string rssFilter;
  std::string negativeLinkTextFilter;

  bool operator==(const ChannelRecord&) const = default;
};

// Every text empty, every number 0, every flag false.
void ClearChannel(ChannelRecord& record);

// Exclusive or of byte i with byte i mod 16 of "MarlTossaVentric": the one
// operation both scrambles and unscrambles.
std::string ScramblePassword(std::string_view text);

// Appends the record's channel line (24 fields joined by "||", no line end).
void FormatChannel(const ChannelRecord& record, std::string& text);

// Clears the record and fills it from a channel line; fields after the first
// missing separator keep their cleared values.
void ParseChannel(ChannelRecord& record, std::string_view line);

// The stored form of a scrambled password in field 21 of a channel line (see
// channel_file.h for the escaped form), and back.
std::string EncodePasswordField(std::string_view scrambled);
std::string DecodePasswordField(std::string_view field);

// "true" or "false", as flags are written.
const char* FlagText(bool flag);

// Empty when every text of the record fits into a channel line; otherwise a
// message for the user naming the first field that does not (it contains
// "||", a carriage return or a line feed, or ends with "|"). The password is
// exempt: it is escaped when stored.
std::string CheckChannelTexts(const ChannelRecord& record);

}  // namespace brevora
