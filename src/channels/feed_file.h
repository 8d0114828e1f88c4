// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevora {

class UserPrompt;

// A channel's local feed file: its "<item>" elements, their titles, and a
// rewrite with the items in another order. Works on the raw bytes with plain
// substring searches (tags match as exact byte strings); it is not an XML
// parser, so the rest of the file comes out exactly as it went in.
class FeedFile {
 public:
  // Loads the whole file. A file that cannot be read shows
  // "File <path> doesn't exist!" and returns false; nothing is loaded then.
  bool OpenFeed(const std::string& path, UserPrompt& prompt);

  // Finds the items and their titles in the loaded content.
  void CollectItems();

  // The text of the element that the path ("item/title") names, searching on
  // from where the last search ended (see the .cpp).
  std::string FindElementText(std::string_view elementPath);

  // The first item whose title is exactly `title`, or -1.
  int IndexOfTitle(std::string_view title) const;

  // Rewrites the loaded file with its items in the order of the titles. The
  // n-th occurrence of a title in the order names the n-th item with that
  // title, so items with equal titles keep their identity; titles that match
  // no item are skipped.
  bool WriteItemsInOrder(const std::string& path, const std::vector<std::string>& order,
                         UserPrompt& prompt);
  // The same with item positions (indices into titles) instead of titles.
  bool WriteItemPositionsInOrder(const std::string& path, const std::vector<int>& order,
                                 UserPrompt& prompt);

  bool isOpen = false;  // content holds the file loaded last
  std::string path;     // the file loaded last
  std::string content;
  size_t searchPosition = 0;
  std::vector<std::string> titles;
  std::vector<size_t> itemStarts;  // offset of each "<item>"
  std::vector<size_t> itemEnds;    // offset just after each "</item>"
  int itemCount = 0;

 private:
  size_t Find(std::string_view needle, size_t from);

  // For each needle, its last few searches: from where, and what each found.
  // A new search from a point between the two finds the same, which keeps a
  // file of many untitled items from being scanned again and again.
  struct SearchMemo {
    std::string needle;
    size_t from = 0;
    size_t found = 0;
  };
  std::vector<SearchMemo> memos_;
};

}  // namespace brevora
