// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/feed_channels.h"

#include <algorithm>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/text.h"
#include "channels/channel_editor_rules.h"
#include "channels/channel_file.h"

namespace brevora {

namespace {

bool IsUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text cut to `limit` characters, at the last blank where one is in the
// second half, never inside a UTF-8 sequence.
std::string CutAtWord(const std::string& text, size_t limit) {
  size_t characters = 0, end = 0;
  for (; end < text.size(); ++end) {
    if (!IsUtf8Continuation(text[end]) && ++characters > limit) break;
  }
  if (end == text.size()) return text;
  const size_t blank = text.rfind(' ', end);
  if (blank != std::string::npos && blank > end / 2) end = blank;
  return std::string(TrimBlanks(std::string_view(text).substr(0, end)));
}

}  // namespace

std::string UniqueChannelName(std::string_view title, const std::vector<std::string>& taken) {
  std::string line;
  for (const char c : title) {
    const bool blank = IsControlCharacter(c) || c == ' ' || c == '|' || c == ',';
    if (!blank) {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  std::string name(TrimBlanks(line));
  while (!name.empty() && name.front() == '#') name.erase(0, 1);
  name = CutAtWord(std::string(TrimBlanks(name)), kMaxFeedChannelName);
  if (name.empty()) name = "News";
  // The editor keeps only names that begin with a letter from A to Z.
  if (!IsRegularChannelName(name)) name = CutAtWord("Feed " + name, kMaxFeedChannelName);
  const auto isTaken = [&](const std::string& candidate) {
    return FindNameIgnoringCase(taken, candidate) >= 0;
  };
  if (!isTaken(name)) return name;
  for (int number = 2;; ++number) {
    const std::string candidate = name + " (" + std::to_string(number) + ")";
    if (!isTaken(candidate)) return candidate;
  }
}

ChannelRecord FeedChannel(const std::string& name, const std::string& url) {
  ChannelRecord record;
  record.name = name;
  record.url = url;
  record.crawlDepth = 0;
  record.numberOfCharacters = 0;  // the whole article
  record.linksInLeafNode = 0;     // every item
  // Patterns that match nothing: no link is left out, no item taken for a
  // category feed.
  record.negativeLinkFilter = "m#^zzzzz#i";
  record.negativeLinkTextFilter = "m#^zzzzz#i";
  return record;
}

bool IsNetAddress(std::string_view url) {
  return StartsWithIgnoringCase(url, "http://") || StartsWithIgnoringCase(url, "https://");
}

std::vector<ChannelRecord> ReadChannelRecords(std::string_view channelsText) {
  std::vector<ChannelRecord> records;
  for (const ChannelFileLine& line : SplitChannelFile(channelsText)) {
    if (line.text.find("||") == std::string::npos) continue;
    ChannelRecord record;
    ParseChannel(record, line.text);
    records.push_back(std::move(record));
  }
  return records;
}

bool ReadChannelsFile(const std::string& programFolder, std::vector<ChannelRecord>& records,
                      std::string& problem) {
  std::string text;
  const int cause = ReadWholeFile(programFolder + "Channels.txt", text);
  if (cause != kNoError && cause != kFileNotFound) {
    problem = "Channels.txt cannot be read: " + FileErrorMessage(cause);
    return false;
  }
  records = ReadChannelRecords(text);
  return true;
}

bool IsCleanChannelName(std::string_view name) {
  return !name.empty() && UniqueChannelName(name, {}) == name;
}

std::string TextWithNewChannels(std::string_view oldText, const std::vector<ChannelRecord>& records,
                                std::string& problem) {
  std::string text(oldText);
  for (const ChannelRecord& record : records) {
    problem = CheckChannelTexts(record);
    if (!problem.empty()) return {};
    text = TextWithChannel(text, record);
  }
  return text;
}

std::string AppendChannels(const std::string& programFolder,
                           const std::vector<ChannelRecord>& records) {
  const std::string path = programFolder + "Channels.txt";
  std::string oldText;
  const int readCause = ReadWholeFile(path, oldText);
  if (readCause != kNoError && readCause != kFileNotFound) {
    return "Channels.txt could not be read, so no channel was added.";
  }
  std::string problem;
  const std::string text = TextWithNewChannels(oldText, records, problem);
  if (!problem.empty()) return problem;
  const int cause = WriteFileAtomically(path, text, FileAccess::kOwnerOnly);
  return cause == kNoError ? std::string() : FileErrorMessage(cause);
}

}  // namespace brevora
