// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/channel_file.h"

#include <algorithm>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/user_prompt.h"

namespace brevora {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSeparator = "||";

std::string ChannelsPath(const std::string& programFolder) {
  return programFolder + "Channels.txt";
}

// Calls visit(begin, end) for every line of the text cut at CR LF, the last
// piece included even when empty; stops when visit returns true.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  size_t begin = 0;
  for (;;) {
    const size_t end = text.find(kLineEnd, begin);
    if (visit(begin, end == std::string_view::npos ? text.size() : end)) return;
    if (end == std::string_view::npos) return;
    begin = end + kLineEnd.size();
  }
}

}  // namespace

LineSpan FindChannelLine(std::string_view text, std::string_view name) {
  LineSpan span;
  ForEachLine(text, [&](size_t begin, size_t end) {
    const std::string_view line = text.substr(begin, end - begin);
    const size_t separator = line.find(kSeparator);
    if (separator == std::string_view::npos || line.substr(0, separator) != name) return false;
    span = LineSpan{begin, end, true};
    return true;
  });
  return span;
}

void ReadChannel(ChannelRecord& record, std::string_view name, const std::string& programFolder,
                 UserPrompt& prompt) {
  std::string text;
  if (ReadWholeFile(ChannelsPath(programFolder), text) != kNoError) {
    prompt.Notify(kChannelsNotFound);
    return;
  }
  const LineSpan span = FindChannelLine(text, name);
  if (!span.found) return;
  std::string_view line = std::string_view(text).substr(span.begin, span.end - span.begin);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  ParseChannel(record, line);
}

std::string TextWithChannel(std::string_view oldText, const ChannelRecord& record) {
  std::string text;
  text.reserve(oldText.size() + 256);
  const LineSpan span = FindChannelLine(oldText, record.name);
  if (span.found) {
    text.append(oldText.substr(0, span.begin));
    FormatChannel(record, text);
    text.append(oldText.substr(span.end));
    return text;
  }
  text.append(oldText);
  // Lines end at CR LF only: after a bare LF the new line would join the last one.
  if (!oldText.ends_with(kLineEnd)) text.append(kLineEnd);
  FormatChannel(record, text);
  text.append("\r\n\r\n");
  return text;
}

bool SaveChannel(const ChannelRecord& record, const std::string& programFolder,
                 UserPrompt& prompt) {
  const std::string problem = CheckChannelTexts(record);
  if (!problem.empty()) {
    prompt.Notify(problem);
    return false;
  }
  std::string oldText;
  const int readCause = ReadWholeFile(ChannelsPath(programFolder), oldText);
  if (readCause != kNoError && readCause != kFileNotFound) {
    prompt.Notify("Channels.txt could not be read, so the channel was not saved!");
    return false;
  }
  const int cause = WriteFileAtomically(ChannelsPath(programFolder),
                                        TextWithChannel(oldText, record), FileAccess::kOwnerOnly);
  ReportFileError(cause, prompt);
  return cause == kNoError;
}

std::vector<ChannelFileLine> SplitChannelFile(std::string_view text) {
  std::vector<ChannelFileLine> lines;
  ForEachLine(text, [&](size_t begin, size_t end) {
    if (end == begin) return false;
    ChannelFileLine line;
    line.text = std::string(text.substr(begin, end - begin));
    const size_t separator = line.text.find(kSeparator);
    line.listed = separator != std::string::npos && line.text.front() != '#';
    if (line.listed) line.name = line.text.substr(0, separator);
    lines.push_back(std::move(line));
    return false;
  });
  return lines;
}

bool ReadChannelFileLines(const std::string& programFolder, UserPrompt& prompt,
                          std::vector<ChannelFileLine>& lines) {
  lines.clear();
  std::string text;
  if (ReadWholeFile(ChannelsPath(programFolder), text) != kNoError) {
    prompt.Notify(kChannelsNotFound);
    return false;
  }
  lines = SplitChannelFile(text);
  return true;
}

std::vector<std::string> ListedNames(const std::vector<ChannelFileLine>& lines) {
  std::vector<std::string> names;
  for (const auto& line : lines) {
    if (line.listed) names.push_back(line.name);
  }
  return names;
}

std::string TextWithoutChannels(const std::vector<ChannelFileLine>& lines,
                                const std::vector<int>& selectedPositions) {
  std::vector<int> selected = selectedPositions;
  std::sort(selected.begin(), selected.end());
  std::string text;
  int listedPosition = 0;
  for (const auto& line : lines) {
    if (line.listed && std::binary_search(selected.begin(), selected.end(), listedPosition++)) {
      continue;
    }
    text += line.text;
    text += "\r\n\r\n";
  }
  return text;
}

bool DeleteChannels(const std::string& programFolder, const std::vector<ChannelFileLine>& lines,
                    const std::vector<int>& selectedPositions, UserPrompt& prompt) {
  const int cause =
      WriteFileAtomically(ChannelsPath(programFolder),
                          TextWithoutChannels(lines, selectedPositions), FileAccess::kOwnerOnly);
  if (cause == kNoError) return true;
  prompt.Notify(kChannelsNotFound);  // the list dialog's own message, not a configuration text
  return false;
}

}  // namespace brevora
