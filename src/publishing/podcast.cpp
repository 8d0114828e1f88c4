// SPDX-License-Identifier: GPL-3.0-or-later
#include "publishing/podcast.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "base/file_io.h"
#include "base/run_log.h"
#include "publishing/audio_tags.h"
#include "publishing/feed_dates.h"
#include "publishing/news_index.h"
#include "publishing/page_annotations.h"
#include "publishing/podcast_feed.h"

namespace brevora {

namespace {

namespace fs = std::filesystem;

constexpr size_t kSummaryCharacters = 300;

// The first characters of an article's text (its file: the title, a blank
// line, the text), cut between UTF-8 characters and at a blank where one is near.
std::string Summary(const std::string& textFile) {
  std::string content;
  if (ReadWholeFile(textFile, content) != 0) return {};
  const size_t body = content.find("\n\n");
  std::string text = body == std::string::npos ? content : content.substr(body + 2);
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  size_t characters = 0, end = 0;
  for (; end < text.size() && characters < kSummaryCharacters; ++end) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) ++characters;
  }
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  if (end < text.size()) {
    const size_t blank = text.rfind(' ', end);
    if (blank != std::string::npos && blank > end / 2) end = blank;
    return text.substr(0, end) + "...";
  }
  return text;
}

std::string Relative(const fs::path& top, const fs::path& file) {
  return file.lexically_relative(top).generic_string();
}

// The language most of the articles were read in (the first in order on a
// tie); `fallback` when none is known.
std::string MostCommonLanguage(const std::vector<PodcastArticle>& articles,
                               const std::string& fallback) {
  std::map<std::string, int> counts;
  for (const PodcastArticle& article : articles) {
    if (!article.language.empty()) ++counts[article.language];
  }
  std::string best = fallback;
  int most = 0;
  for (const auto& [language, count] : counts) {
    if (count > most) {
      most = count;
      best = language;
    }
  }
  return best;
}

}  // namespace

bool PublishPodcast(const PodcastOptions& options, RunLog& log) {
  const std::string extension = options.format == "wav" ? ".wav" : ".mp3";
  const fs::path top = fs::path(options.workingFolder) / "Top";
  std::string problem;
  const auto failed = [&](const std::string& what) {
    if (problem.empty()) problem = what;
  };
  std::error_code error;
  if (!fs::is_directory(top, error)) return true;  // nothing was crawled

  std::string index;
  ReadWholeFile((top / "NewsXML.xml").string(), index);
  std::map<std::string, PodcastArticle> listed;
  std::vector<std::string> order;
  for (PodcastArticle& article : ReadNewsIndex(index)) {
    if (article.audioPath.empty()) continue;
    order.push_back(article.audioPath);
    listed.emplace(article.audioPath, std::move(article));
  }
  // The audio files the pass wrote; those NewsXML.xml does not list come last.
  std::vector<std::string> found;
  for (fs::recursive_directory_iterator it(top, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error) && it->path().extension() == extension) {
      found.push_back(Relative(top, it->path()));
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> audio;
  for (const std::string& path : order) {
    if (std::binary_search(found.begin(), found.end(), path)) audio.push_back(path);
  }
  for (const std::string& path : found) {
    if (!listed.count(path)) audio.push_back(path);
  }

  std::string cover;
  ReadWholeFile(options.programFolder + "icons/brevora.png", cover);
  std::vector<PodcastArticle> articles;
  std::map<std::string, int> seconds;
  std::map<std::string, std::string> languages;
  for (const std::string& path : audio) {
    const auto entry = listed.find(path);
    PodcastArticle article = entry != listed.end() ? entry->second : ArticleFromPath(path);
    const std::string file = (top / path).string();
    AudioTags tags;
    tags.title = article.title;
    tags.artist = article.channel;
    tags.album =
        article.category.empty() ? article.channel : article.channel + " - " + article.category;
    tags.track = article.track;
    const std::time_t date = article.date.empty() ? -1 : ParseFeedDate(article.date);
    tags.date = IsoDate(date >= 0 ? date : options.runTime);
    tags.address = IsWebAddress(article.url) ? article.url : std::string();
    tags.coverPng = cover;
    const auto read =
        options.articleLanguages.find(fs::path(path).replace_extension(".txt").generic_string());
    article.language = read != options.articleLanguages.end() && !read->second.empty()
                           ? read->second
                       : article.language.empty() ? options.language
                                                  : article.language;
    tags.language = article.language;
    languages[path] = article.language;
    const bool tagged = extension == ".mp3" ? WriteMp3Tags(file, tags) : WriteWavTags(file, tags);
    if (!tagged) failed("cannot tag " + file);
    article.seconds = std::max(0, AudioSeconds(file));
    article.bytes = fs::file_size(file, error);
    if (error) article.bytes = 0;
    // The text beside the audio file, whatever the index names: nothing else is read.
    article.summary = Summary((top / path).replace_extension(".txt").string());
    seconds[path] = article.seconds;
    articles.push_back(std::move(article));
  }

  // Durations in the playlists, pages and the index; each page links its feed.
  for (fs::recursive_directory_iterator it(top, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    const fs::path& file = it->path();
    std::string content;
    if (file.extension() != ".m3u" && file.extension() != ".html") continue;
    if (ReadWholeFile(file.string(), content) != 0) {
      failed("cannot read " + file.string());
      continue;
    }
    const std::string changed =
        file.extension() == ".m3u"
            ? PlaylistWithDurations(content, file.parent_path(), seconds, top)
            : PageWithFeedAndDurations(content, file.parent_path(), seconds, top, languages);
    if (changed != content && WriteFileAtomically(file.string(), changed) != 0) {
      failed("cannot write " + file.string());
    }
  }
  if (!index.empty()) {
    const std::string changed = AnnotatedIndex(index, seconds, languages);
    if (changed != index && WriteFileAtomically((top / "NewsXML.xml").string(), changed) != 0) {
      failed("cannot write " + (top / "NewsXML.xml").string());
    }
  }

  // The feeds: one of every channel, one of each.
  PodcastFeedInfo all{"Brevora news",
                      "The news of every channel, spoken by Brevora.",
                      MostCommonLanguage(articles, options.language),
                      "podcast.xml",
                      options.address,
                      options.runTime,
                      options.ownerEmail};
  if (WriteFileAtomically((top / "podcast.xml").string(), PodcastFeed(all, articles)) != 0) {
    failed("cannot write " + (top / "podcast.xml").string());
  }
  std::map<std::string, std::vector<PodcastArticle>> byFolder;
  for (const PodcastArticle& article : articles) {
    const size_t slash = article.audioPath.find('/');
    if (slash != std::string::npos) byFolder[article.audioPath.substr(0, slash)].push_back(article);
  }
  for (const auto& [folder, channelArticles] : byFolder) {
    const std::string name =
        channelArticles.front().channel.empty() ? folder : channelArticles.front().channel;
    PodcastFeedInfo one{name,
                        "The news of " + name + ", spoken by Brevora.",
                        MostCommonLanguage(channelArticles, options.language),
                        folder + "/podcast.xml",
                        options.address,
                        options.runTime,
                        options.ownerEmail};
    const std::string path = (top / folder / "podcast.xml").string();
    if (WriteFileAtomically(path, PodcastFeed(one, channelArticles)) != 0) {
      failed("cannot write " + path);
    }
  }
  if (!problem.empty()) log.LogError(kLogPodcastFailed, problem.c_str());
  return problem.empty();
}

}  // namespace brevora
