// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/channel_commands.h"

#include <algorithm>
#include <filesystem>

#include "base/file_error.h"
#include "base/file_io.h"
#include "channels/feed_channels.h"
#include "channels/opml.h"
#include "config/program_folders.h"
#include "run/feed_search.h"

namespace brevora {

namespace {

// The channels of DATA/Channels.txt; false (with a line on `err`) when the
// file exists but cannot be read.
bool ReadChannels(const ProgramFolders& folders, std::vector<ChannelRecord>& records,
                  std::ostream& err) {
  std::string problem;
  if (ReadChannelsFile(folders.data, records, problem)) return true;
  err << folders.data << problem << "\n";
  return false;
}

std::vector<std::string> Names(const std::vector<ChannelRecord>& records) {
  std::vector<std::string> names;
  for (const ChannelRecord& record : records) names.push_back(record.name);
  return names;
}

void DescribeFeed(const FoundFeed& feed, std::ostream& out) {
  out << (feed.title.empty() ? "(no title)" : feed.title) << "\n     " << feed.url << "\n     "
      << feed.items << (feed.items == 1 ? " item" : " items");
  if (!feed.language.empty()) out << ", " << feed.language;
  out << "\n";
  for (const std::string& title : feed.newest) out << "     - " << title << "\n";
}

}  // namespace

int AddChannelCommand(const ProgramFolders& folders, const std::string& address,
                      const std::string& name, int feedNumber, FeedSearcher& searcher,
                      CancelEvent& cancel, std::ostream& out, std::ostream& err) {
  std::vector<ChannelRecord> records;
  if (!ReadChannels(folders, records, err)) return 2;
  const FeedSearch search = searcher.Find(address, cancel);
  if (search.feeds.empty()) {
    err << "No feed found for " << address << ": " << search.error << "\n";
    return 1;
  }
  if (feedNumber == 0 && search.feeds.size() > 1) {
    out << search.feeds.size() << " feeds were found at " << search.address << ":\n";
    for (size_t i = 0; i < search.feeds.size(); ++i) {
      out << (i + 1) << ". ";
      DescribeFeed(search.feeds[i], out);
    }
    out << "None was added: choose one with --feed N.\n";
    return 1;
  }
  if (feedNumber < 0 || static_cast<size_t>(std::max(feedNumber, 1)) > search.feeds.size()) {
    err << "--feed " << feedNumber << ": " << search.feeds.size()
        << (search.feeds.size() == 1 ? " feed was" : " feeds were") << " found, numbered from 1.\n";
    return 2;
  }
  const FoundFeed& feed = search.feeds[feedNumber > 0 ? feedNumber - 1 : 0];
  for (const ChannelRecord& record : records) {
    if (record.url == feed.url) {
      err << "The channel " << record.name << " reads " << feed.url << " already.\n";
      return 1;
    }
  }
  const std::vector<std::string> taken = Names(records);
  if (!name.empty() && !IsCleanChannelName(name)) {
    err << "The name " << name << " cannot name a channel: it must be one line of at most "
        << kMaxFeedChannelName << " characters without \"|\" or \",\", not beginning with \"#\".\n";
    return 2;
  }
  if (!name.empty() && std::find(taken.begin(), taken.end(), name) != taken.end()) {
    err << "A channel named " << name << " exists already.\n";
    return 2;
  }
  const ChannelRecord record =
      FeedChannel(name.empty() ? UniqueChannelName(feed.title, taken) : name, feed.url);
  const std::string problem = AppendChannels(folders.data, {record});
  if (!problem.empty()) {
    err << problem << "\n";
    return 2;
  }
  out << "Added the channel " << record.name << ": " << feed.url << "\n";
  return 0;
}

int ImportOpmlCommand(const ProgramFolders& folders, const std::string& path, std::ostream& out,
                      std::ostream& err) {
  OpmlImport import;
  const std::string problem = ImportOpmlFile(folders.data, path, import);
  if (!problem.empty()) {
    err << problem << " No channel was added.\n";
    return 2;
  }
  for (const ChannelRecord& record : import.added) {
    out << "Added the channel " << record.name << ": " << record.url << "\n";
  }
  out << ImportSummary(import) << "\n";
  return 0;
}

int ExportOpmlCommand(const ProgramFolders& folders, const std::string& path, std::time_t now,
                      std::ostream& out, std::ostream& err) {
  int count = 0;
  const std::string problem = ExportOpmlFile(folders.data, path, now, count);
  if (!problem.empty()) {
    err << problem << "\n";
    return 2;
  }
  out << "Exported " << count << (count == 1 ? " channel" : " channels") << " to " << path << "\n";
  return 0;
}

int ListChannelsCommand(const ProgramFolders& folders, std::ostream& out, std::ostream& err) {
  std::vector<ChannelRecord> records;
  if (!ReadChannels(folders, records, err)) return 2;
  for (const ChannelRecord& record : records) {
    if (!record.name.starts_with("#")) out << record.name << "\t" << record.url << "\n";
  }
  return 0;
}

}  // namespace brevora
