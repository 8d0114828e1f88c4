// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/feed_search.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/file_io.h"
#include "base/text.h"
#include "platform/cancel_event.h"
#include "platform/process.h"
#include "platform/terminate.h"
#include "run/command_line.h"

namespace brevora {

namespace {

// The finder answers in a few kilobytes; more is not its answer.
constexpr size_t kMaxAnswerBytes = 1 << 20;
constexpr std::chrono::seconds kSearchTimeLimit{90};

std::string CleanText(const nlohmann::json& value) {
  if (!value.is_string()) return {};
  std::string text;
  for (const char c : value.get<std::string>()) {
    if (IsControlCharacter(c)) {
      if (!text.empty() && text.back() != ' ') text += ' ';
    } else {
      text += c;
    }
  }
  return text;
}

}  // namespace

FeedSearch ParseFeedSearch(std::string_view json) {
  FeedSearch search;
  const nlohmann::json answer = nlohmann::json::parse(json, nullptr, false);
  if (answer.is_discarded() || !answer.is_object()) {
    search.error = "the feed finder gave no answer";
    return search;
  }
  search.address = CleanText(answer.value("address", nlohmann::json()));
  search.error = CleanText(answer.value("error", nlohmann::json()));
  const auto feeds = answer.find("feeds");
  if (feeds != answer.end() && feeds->is_array()) {
    for (const nlohmann::json& entry : *feeds) {
      if (!entry.is_object()) continue;
      FoundFeed feed;
      feed.url = CleanText(entry.value("url", nlohmann::json()));
      if (feed.url.empty()) continue;
      feed.title = CleanText(entry.value("title", nlohmann::json()));
      const auto items = entry.find("items");
      if (items != entry.end() && items->is_number_integer()) {
        feed.items = static_cast<int>(std::clamp<int64_t>(items->get<int64_t>(), 0, 1 << 30));
      }
      const auto newest = entry.find("newest");
      if (newest != entry.end() && newest->is_array()) {
        for (const nlohmann::json& title : *newest) {
          if (feed.newest.size() < 3) feed.newest.push_back(CleanText(title));
        }
      }
      feed.language = CleanText(entry.value("language", nlohmann::json()));
      search.feeds.push_back(std::move(feed));
    }
  }
  if (search.feeds.empty() && search.error.empty()) search.error = "no feed found";
  if (!search.feeds.empty()) search.error.clear();
  return search;
}

FeedSearch CrawlerFeedSearcher::Find(const std::string& address, CancelEvent& cancel) {
  FeedSearch failed;
  failed.address = address;
  const TemporaryFile answerFile("brevora-feeds");
  const std::string& answerPath = answerFile.path();
  if (answerPath.empty()) {
    failed.error = "no temporary file for the search";
    return failed;
  }
  const char* javaHome = std::getenv("JAVA_HOME");
  const std::string command =
      FeedFinderCommand(SyntaxOf(CurrentPlatformFamily(), installFolder_), installFolder_,
                        javaHome ? std::optional<std::string>(javaHome) : std::nullopt, address);
  auto child = ChildProcess::Spawn(
      SplitCommandLine(command),
      CrawlerEnvironment(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG")),
      answerPath);
  if (!child) {
    failed.error = "the crawler's Java runtime cannot be started";
    return failed;
  }
  const auto waited = child->WaitForExitOr(cancel, kSearchTimeLimit);
  if (waited != ChildProcess::WaitResult::Exited) {
    TerminateById(child->Id());
    child->Reap();
    failed.error =
        waited == ChildProcess::WaitResult::EventSignalled
            ? "cancelled"
            : "no answer within " + std::to_string(kSearchTimeLimit.count()) + " seconds";
    return failed;
  }
  child->Reap();
  std::string answer;
  std::error_code error;
  const auto size = std::filesystem::file_size(answerPath, error);
  if (!error && size <= kMaxAnswerBytes) ReadWholeFile(answerPath, answer);
  FeedSearch search = ParseFeedSearch(answer);
  if (search.address.empty()) search.address = address;
  return search;
}

}  // namespace brevora
