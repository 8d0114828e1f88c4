// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the channel list dialog and the channel editor decide, without
// windows: name tests, look-ups, the category list and its feed file, and the
// values, defaults and ranges of the advanced page. The dialogs only move
// values between their controls and these functions.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "channels/channel_record.h"

namespace brevora {

class FeedFile;
class UserPrompt;

inline constexpr char kIrregularChannelName[] =
    "Channel has irregular name, so it cannot be written!";
inline constexpr char kOverwriteChannelQuestion[] =
    "Channel with that name already exists! Do you want to overwrite it?";
inline constexpr char kSelectChannel[] = "Please select a channel!";
inline constexpr char kMultipleSelectionInEdit[] =
    "Multiple selection is not allowed in Edit mode!";
inline constexpr char kDeleteChannelsQuestion[] =
    "This will permanently delete selected channel(s) from the file. Do you still want to "
    "continue?";

// --- Channel list ------------------------------------------------------------

// "Create" stores a name only when it is not empty and starts with a letter
// (A to Z, a to z).
bool IsRegularChannelName(std::string_view name);

// Index of the first name equal to `name` without regard to letter case, or -1.
int FindNameIgnoringCase(const std::vector<std::string>& names, std::string_view name);

// Removes the first entry equal to `name` without regard to letter case.
bool RemoveFirstIgnoringCase(std::vector<std::string>& names, std::string_view name);

// --- Basic page --------------------------------------------------------------

// Empty when the basic page may store the name; otherwise its message.
std::string BasicPageNameMessage(std::string_view name);

// Whether a channel has a login: its login URL is not empty and does not
// begin with a blank.
bool HasLogin(std::string_view loginUrl);

// Whether the URL begins, letter case ignored, with "https:", "http:" or "ftp:".
bool IsNetworkUrl(std::string_view url);

// Where the categories of a URL come from.
struct CategorySource {
  bool network = false;  // a network URL: no categories, list disabled
  std::string feedPath;  // the local feed file; empty when there is none to read
};

// "file:/home/a/world.xml", "file:///home/a/world.xml" and "/home/a/world.xml"
// all name /home/a/world.xml; a path that does not start with "/" is taken
// relative to the program folder (not after "file:").
CategorySource CategorySourceOfUrl(std::string_view url, const std::string& programFolder);

// The categories shown on the basic page: the item titles of the feed file in
// the order the user gives them, each remembering which item it is.
class CategoryList {
 public:
  // Takes the titles of the file's items, in file order.
  void Load(const FeedFile& feed);
  void Clear() { entries_.clear(); }

  // Move the selected entry; the new selection is returned. -1 (no selection)
  // does nothing; the top entry does not go up, the bottom one not down.
  int MoveUp(int selected);
  int MoveDown(int selected);

  std::vector<std::string> Titles() const;
  // The item positions in the shown order.
  std::vector<int> ItemOrder() const;
  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::string title;
    int item;
  };
  std::vector<Entry> entries_;
};

// The basic page's categories of a channel, without the controls: the feed
// file its URL names, the titles in the user's order, and whether the list is
// in use (not for a network URL).
class ChannelCategories {
 public:
  ChannelCategories();
  ~ChannelCategories();

  // Forgets the last URL and the categories (the page's window is new).
  void Reset();

  // Derives the feed path and the categories from the URL. Nothing happens
  // when the URL is the one of the last derivation; returns whether it did
  // anything, so that the page shows the list again. A feed file that cannot
  // be read is reported and gives no categories.
  bool RefreshCategories(const std::string& url, const std::string& programFolder,
                         UserPrompt& prompt);

  // Rewrites the feed file with its items in the order of the categories,
  // when the last derivation read one; otherwise does nothing.
  bool SaveCategoryOrder(UserPrompt& prompt);

  bool listEnabled() const { return listEnabled_; }
  const std::string& feedPath() const { return feedPath_; }
  CategoryList& categories() { return categories_; }

 private:
  std::string lastUrl_;
  bool derived_ = false;
  std::string feedPath_;
  bool listEnabled_ = true;
  bool readFeed_ = false;
  std::unique_ptr<FeedFile> feed_;
  CategoryList categories_;
};

// --- Advanced page -----------------------------------------------------------

inline constexpr char kDefaultNegativeLinkFilter[] = "m#^zzzzz#i";
inline constexpr char kDefaultRssFilter[] = "m#\\.(?:xml|rdf)$#i";
inline constexpr char kDefaultNegativeLinkTextFilter[] = "m#^zzzzz#i";

// The texts of the advanced page's fields, as their controls hold them.
struct AdvancedPageValues {
  std::string url;
  std::string webSiteUrls;
  std::string crawlDepth;
  std::string numberOfCharacters;
  std::string linesToSkip;
  std::string linkFilter;
  std::string linksInLeafNode;
  std::string extraLinkFilter;
  std::string linksForExtraFiltering;
  std::string negativeLinkFilter;
  std::string useParagraphTag;
  std::string useSpanTag;
  std::string paragraphEndExists;
  std::string useRemarkString;
  std::string startRemarkString;
  std::string endRemarkString;
  std::string loginUrl;
  std::string rssFilter;
  std::string negativeLinkTextFilter;
};

// The proposals for a new channel: crawl depth 3, "10000" characters, 0 links
// in leaf node, 100 for extra filtering, the four flags "false" and the three
// filter patterns. Other fields keep what they hold.
void ApplyNewChannelDefaults(AdvancedPageValues& values);

// Every field from the record: numbers in decimal, flags "true" or "false".
void LoadAdvancedValues(const ChannelRecord& record, AdvancedPageValues& values);

// The scheme selector's entry for a URL ("net" for a network URL, else
// "file"), and the URL that choosing an entry writes ("file:/", "http:/").
std::string SchemeOfUrl(std::string_view url);
std::string UrlOfScheme(std::string_view scheme);

// A numeric field outside its range: which field, and the message.
struct RangeProblem {
  std::string field;  // "in Leaf Node", "Lines to Skip", "for Extra Filtering", "Crawl Depth"
  std::string message;
};

// Tests the four numeric fields in the order "in Leaf Node" (0 to 50),
// "Lines to Skip" (0 to 20), "for Extra Filtering" (0 to 100), "Crawl Depth"
// (0 to 10); the first that is not an unsigned whole number or is out of its
// range (an empty field is) is the problem.
std::optional<RangeProblem> CheckAdvancedRanges(const AdvancedPageValues& values);

// An unsigned whole number: digits only, blanks around allowed.
std::optional<unsigned> ParseUnsignedField(std::string_view text);

// Copies the page into the record (after CheckAdvancedRanges passed):
// "Number of Characters" by its leading number, the flags true exactly when
// their text is "true".
void StoreAdvancedValues(const AdvancedPageValues& values, ChannelRecord& record);

}  // namespace brevora
