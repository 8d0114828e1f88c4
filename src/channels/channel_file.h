// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Channels.txt: the channels, one per line, in the program folder. The
// crawler reads the same file.
//
// The file is 8-bit text with CR LF line ends. Every non-empty line is one
// channel: 24 fields joined by "||" (name, url, webSiteUrls, crawlDepth, an
// always empty field, numberOfCharacters, categoriesToDownload, linesToSkip,
// linkFilter, linksInLeafNode, extraLinkFilter, linksForExtraFiltering,
// negativeLinkFilter, useParagraphTag, paragraphEndExists, useSpanTag,
// useRemarkString, startRemarkString, endRemarkString, userName, password,
// loginUrl, rssFilter, negativeLinkTextFilter). A line whose first character
// is "#" is a channel switched off (or a comment); empty lines are ignored.
//
// The password field holds the password with byte i exclusive-ored with byte
// i mod 16 of "MarlTossaVentric". When that scrambled form contains a zero
// byte, CR, LF or "||", ends with "|" or begins with "Ma", it is stored
// escaped instead:
// "Ma" followed by the scrambled bytes as lower-case hexadecimal digits, two
// per byte. "Ma" is the scramble of two zero bytes, which no typed password
// begins with, so an escaped field is never read as an ordinary one, and a
// reader unaware of the escape sees an empty password.

#include <string>
#include <string_view>
#include <vector>

#include "channels/channel_record.h"

namespace brevora {

class UserPrompt;

inline constexpr char kChannelsNotFound[] = "Channels.txt not found!";

// A line of Channels.txt within its text: [begin, end), end at its CR LF or
// at the end of the text.
struct LineSpan {
  size_t begin = 0;
  size_t end = 0;
  bool found = false;
};

// The first line (lines end at CR LF) whose text before its first "||" is
// exactly the name. A line without "||" is never a channel.
LineSpan FindChannelLine(std::string_view text, std::string_view name);

// Fills the record from the line of that name in Channels.txt. A file that
// cannot be read shows "Channels.txt not found!"; no such line leaves the
// record unchanged.
void ReadChannel(ChannelRecord& record, std::string_view name, const std::string& programFolder,
                 UserPrompt& prompt);

// The text of Channels.txt after saving the record into `oldText`: the line
// of the same name replaced in place, or a new line appended.
std::string TextWithChannel(std::string_view oldText, const ChannelRecord& record);

// Writes the record into Channels.txt, replacing the line of the same name or
// appending one. Texts that would break the line are refused with
// CheckChannelTexts' message; a file that exists but cannot be read, or cannot
// be written, is left as it was and the user is told why. A missing file is
// created.
bool SaveChannel(const ChannelRecord& record, const std::string& programFolder, UserPrompt& prompt);

// One non-empty line of Channels.txt as the channel list shows it.
struct ChannelFileLine {
  std::string text;     // the line without its line end
  bool listed = false;  // holds "||" and does not begin with "#"
  std::string name;     // text before the first "||" when listed
};

// Cuts the text into lines at CR LF (a lone CR or LF stays in its line),
// skipping empty ones.
std::vector<ChannelFileLine> SplitChannelFile(std::string_view text);

// Reads Channels.txt into `lines`; "Channels.txt not found!" when it cannot
// be read (the lines are then empty).
bool ReadChannelFileLines(const std::string& programFolder, UserPrompt& prompt,
                          std::vector<ChannelFileLine>& lines);

// The names of the listed lines, in file order.
std::vector<std::string> ListedNames(const std::vector<ChannelFileLine>& lines);

// The file after deleting the listed lines at the given positions among the
// listed lines: every other line followed by one blank line.
std::string TextWithoutChannels(const std::vector<ChannelFileLine>& lines,
                                const std::vector<int>& selectedPositions);

// Rewrites Channels.txt without the selected channels. A failed write leaves
// the file as it was and shows "Channels.txt not found!".
bool DeleteChannels(const std::string& programFolder, const std::vector<ChannelFileLine>& lines,
                    const std::vector<int>& selectedPositions, UserPrompt& prompt);

}  // namespace brevora
