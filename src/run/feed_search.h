// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevora {

class CancelEvent;

// A feed the search found: what a user needs to pick it.
struct FoundFeed {
  std::string url;
  std::string title;
  int items = 0;
  std::vector<std::string> newest;  // the titles of its newest items, at most three
  std::string language;             // as the feed declares it ("en-GB"); may be empty
};

// What a search for the feeds of an address gave: the feeds, or why there
// are none.
struct FeedSearch {
  std::string address;  // where the search ended up (after redirects)
  std::vector<FoundFeed> feeds;
  std::string error;  // empty when a feed was found
};

// The finder's answer, one JSON object; an answer that is not one, or holds
// no feed and no reason, is an error. Texts lose their control characters.
FeedSearch ParseFeedSearch(std::string_view json);

// Finds the feeds of an address; tests answer for the crawler.
class FeedSearcher {
 public:
  virtual ~FeedSearcher() = default;
  // Blocks until the search ends or `cancel` is signalled (then the error is
  // "cancelled").
  virtual FeedSearch Find(const std::string& address, CancelEvent& cancel) = 0;
};

// The crawler's feed finder, started with the crawler's runtime and class
// path from `installFolder` (ending with "/"). It ends within its own minute;
// one still running 30 seconds later is ended.
class CrawlerFeedSearcher : public FeedSearcher {
 public:
  explicit CrawlerFeedSearcher(std::string installFolder)
      : installFolder_(std::move(installFolder)) {}
  FeedSearch Find(const std::string& address, CancelEvent& cancel) override;

 private:
  std::string installFolder_;
};

}  // namespace brevora
