// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/channel_editor_rules.h"

#include <climits>

#include "base/text.h"
#include "channels/feed_file.h"

namespace brevora {

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool IsRegularChannelName(std::string_view name) {
  return !name.empty() && IsAsciiLetter(name.front());
}

int FindNameIgnoringCase(const std::vector<std::string>& names, std::string_view name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (EqualsIgnoringCase(names[i], name)) return static_cast<int>(i);
  }
  return -1;
}

bool RemoveFirstIgnoringCase(std::vector<std::string>& names, std::string_view name) {
  const int index = FindNameIgnoringCase(names, name);
  if (index < 0) return false;
  names.erase(names.begin() + index);
  return true;
}

std::string BasicPageNameMessage(std::string_view name) {
  if (name.empty()) return "Please enter the name of the channel!";
  if (!IsAsciiLetter(name.front()))
    return "The name of the channel must start with an alphanumeric!";
  return {};
}

bool HasLogin(std::string_view loginUrl) {
  return !loginUrl.empty() && loginUrl.front() != ' ';
}

bool IsNetworkUrl(std::string_view url) {
  return StartsWithIgnoringCase(url, "https:") || StartsWithIgnoringCase(url, "http:") ||
         StartsWithIgnoringCase(url, "ftp:");
}

CategorySource CategorySourceOfUrl(std::string_view url, const std::string& programFolder) {
  CategorySource source;
  if (IsNetworkUrl(url)) {
    source.network = true;
    return source;
  }
  std::string_view path = url;
  const size_t scheme = path.find("file:");
  const bool fileScheme = scheme != std::string_view::npos;
  if (fileScheme) {
    path = path.substr(scheme + 5);
    if (path.starts_with("//")) path.remove_prefix(2);  // file:///home/a/world.xml
  }
  if (path.find_first_not_of('/') == std::string_view::npos) return source;  // nothing named
  if (!fileScheme && path.front() != '/') {
    source.feedPath = programFolder + std::string(path);
  } else {
    source.feedPath = std::string(path);
  }
  return source;
}

void CategoryList::Load(const FeedFile& feed) {
  entries_.clear();
  for (size_t i = 0; i < feed.titles.size(); ++i) {
    entries_.push_back(Entry{feed.titles[i], static_cast<int>(i)});
  }
}

int CategoryList::MoveUp(int selected) {
  if (selected < 0 || selected >= static_cast<int>(entries_.size())) return -1;
  if (selected == 0) return 0;
  std::swap(entries_[selected], entries_[selected - 1]);
  return selected - 1;
}

int CategoryList::MoveDown(int selected) {
  if (selected < 0 || selected >= static_cast<int>(entries_.size())) return -1;
  if (selected + 1 == static_cast<int>(entries_.size())) return selected;
  std::swap(entries_[selected], entries_[selected + 1]);
  return selected + 1;
}

std::vector<std::string> CategoryList::Titles() const {
  std::vector<std::string> titles;
  for (const auto& entry : entries_) titles.push_back(entry.title);
  return titles;
}

std::vector<int> CategoryList::ItemOrder() const {
  std::vector<int> order;
  for (const auto& entry : entries_) order.push_back(entry.item);
  return order;
}

ChannelCategories::ChannelCategories() : feed_(std::make_unique<FeedFile>()) {}
ChannelCategories::~ChannelCategories() = default;

void ChannelCategories::Reset() {
  lastUrl_.clear();
  derived_ = false;
  readFeed_ = false;
  categories_.Clear();
}

bool ChannelCategories::RefreshCategories(const std::string& url, const std::string& programFolder,
                                          UserPrompt& prompt) {
  if (derived_ && url == lastUrl_) return false;
  derived_ = true;
  lastUrl_ = url;
  categories_.Clear();
  readFeed_ = false;
  const CategorySource source = CategorySourceOfUrl(url, programFolder);
  listEnabled_ = !source.network;
  feedPath_ = source.feedPath;
  if (feedPath_.empty()) return true;
  readFeed_ = feed_->OpenFeed(feedPath_, prompt);
  feed_->CollectItems();
  if (readFeed_) categories_.Load(*feed_);
  return true;
}

bool ChannelCategories::SaveCategoryOrder(UserPrompt& prompt) {
  if (!readFeed_) return false;
  readFeed_ = false;  // the rewrite uses up what was read
  return feed_->WriteItemPositionsInOrder(feedPath_, categories_.ItemOrder(), prompt);
}

void ApplyNewChannelDefaults(AdvancedPageValues& values) {
  values.crawlDepth = "3";
  values.numberOfCharacters = "10000";
  values.linksInLeafNode = "0";
  values.linksForExtraFiltering = "100";
  values.useParagraphTag = values.useSpanTag = "false";
  values.paragraphEndExists = values.useRemarkString = "false";
  values.negativeLinkFilter = kDefaultNegativeLinkFilter;
  values.rssFilter = kDefaultRssFilter;
  values.negativeLinkTextFilter = kDefaultNegativeLinkTextFilter;
}

void LoadAdvancedValues(const ChannelRecord& r, AdvancedPageValues& v) {
  v.url = r.url;
  v.webSiteUrls = r.webSiteUrls;
  v.crawlDepth = std::to_string(r.crawlDepth);
  v.numberOfCharacters = std::to_string(r.numberOfCharacters);
  v.linesToSkip = std::to_string(r.linesToSkip);
  v.linkFilter = r.linkFilter;
  v.linksInLeafNode = std::to_string(r.linksInLeafNode);
  v.extraLinkFilter = r.extraLinkFilter;
  v.linksForExtraFiltering = std::to_string(r.linksForExtraFiltering);
  v.negativeLinkFilter = r.negativeLinkFilter;
  v.useParagraphTag = FlagText(r.useParagraphTag);
  v.useSpanTag = FlagText(r.useSpanTag);
  v.paragraphEndExists = FlagText(r.paragraphEndExists);
  v.useRemarkString = FlagText(r.useRemarkString);
  v.startRemarkString = r.startRemarkString;
  v.endRemarkString = r.endRemarkString;
  v.loginUrl = r.loginUrl;
  v.rssFilter = r.rssFilter;
  v.negativeLinkTextFilter = r.negativeLinkTextFilter;
}

std::string SchemeOfUrl(std::string_view url) {
  return IsNetworkUrl(url) ? "net" : "file";
}

std::string UrlOfScheme(std::string_view scheme) {
  return EqualsIgnoringCase(scheme, "file") ? "file:/" : "http:/";
}

std::optional<unsigned> ParseUnsignedField(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  const size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
  unsigned long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > UINT_MAX) return std::nullopt;
  }
  return static_cast<unsigned>(value);
}

std::optional<RangeProblem> CheckAdvancedRanges(const AdvancedPageValues& values) {
  struct Field {
    const char* label;
    const std::string* text;
    unsigned maximum;
  };
  for (const Field& field : {Field{"in Leaf Node", &values.linksInLeafNode, 50},
                             Field{"Lines to Skip", &values.linesToSkip, 20},
                             Field{"for Extra Filtering", &values.linksForExtraFiltering, 100},
                             Field{"Crawl Depth", &values.crawlDepth, 10}}) {
    const auto number = ParseUnsignedField(*field.text);
    const bool empty = field.text->find_first_not_of(' ') == std::string::npos;
    if (!number && !empty) {
      return RangeProblem{field.label, "Please enter a positive whole number."};
    }
    if (!number || *number > field.maximum) {  // an emptied field is out of range too
      return RangeProblem{field.label, "Please enter a whole number between 0 and " +
                                           std::to_string(field.maximum) + "."};
    }
  }
  return std::nullopt;
}

void StoreAdvancedValues(const AdvancedPageValues& v, ChannelRecord& r) {
  auto number = [](const std::string& text) {
    return static_cast<int32_t>(ParseUnsignedField(text).value_or(0));
  };
  r.url = v.url;
  r.webSiteUrls = v.webSiteUrls;
  r.rssFilter = v.rssFilter;
  r.negativeLinkTextFilter = v.negativeLinkTextFilter;
  r.negativeLinkFilter = v.negativeLinkFilter;
  r.loginUrl = v.loginUrl;
  r.extraLinkFilter = v.extraLinkFilter;
  r.endRemarkString = v.endRemarkString;
  r.numberOfCharacters = ParseLeadingInt(v.numberOfCharacters);
  r.useParagraphTag = v.useParagraphTag == "true";
  r.useSpanTag = v.useSpanTag == "true";
  r.paragraphEndExists = v.paragraphEndExists == "true";
  r.useRemarkString = v.useRemarkString == "true";
  r.linksInLeafNode = number(v.linksInLeafNode);
  r.linesToSkip = number(v.linesToSkip);
  r.linksForExtraFiltering = number(v.linksForExtraFiltering);
  r.crawlDepth = number(v.crawlDepth);
  r.startRemarkString = v.startRemarkString;
  r.linkFilter = v.linkFilter;
}

}  // namespace brevora
