// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the news index's reader and annotator, with a
// duration and a language for every article it reads: no crash; annotating
// with nothing to add changes no byte; annotating twice gives what annotating
// once gives; and the annotated index reads as the same articles.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "publishing/news_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string xml(reinterpret_cast<const char*>(data), size);
  const std::vector<brevora::PodcastArticle> articles = brevora::ReadNewsIndex(xml);
  if (brevora::AnnotatedIndex(xml, {}, {}) != xml) std::abort();
  std::map<std::string, int> seconds;
  std::map<std::string, std::string> languages;
  for (const brevora::PodcastArticle& article : articles) {
    seconds[article.audioPath] = static_cast<int>(article.title.size());
    languages[article.audioPath] = article.title.size() % 2 ? "fr-CA" : "de";
  }
  const std::string once = brevora::AnnotatedIndex(xml, seconds, languages);
  if (brevora::AnnotatedIndex(once, seconds, languages) != once) std::abort();
  const std::vector<brevora::PodcastArticle> again = brevora::ReadNewsIndex(once);
  if (again.size() < articles.size()) std::abort();
  for (size_t i = 0; i < articles.size(); ++i) {
    if (again[i].title != articles[i].title || again[i].audioPath != articles[i].audioPath ||
        again[i].channel != articles[i].channel || again[i].url != articles[i].url) {
      std::abort();
    }
  }
  return 0;
}
