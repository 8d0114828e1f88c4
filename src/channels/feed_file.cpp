// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/feed_file.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/user_prompt.h"

namespace brevora {

namespace {

// "<name>" or "</name>".
std::string Tag(std::string_view name, bool closing) {
  std::string tag(closing ? "</" : "<");
  tag.append(name);
  tag += '>';
  return tag;
}

}  // namespace

bool FeedFile::OpenFeed(const std::string& feedPath, UserPrompt& prompt) {
  isOpen = false;
  std::string loaded;
  if (ReadWholeFile(feedPath, loaded) != kNoError) {
    prompt.Notify("File " + feedPath + " doesn't exist!");
    return false;
  }
  content = std::move(loaded);
  path = feedPath;
  searchPosition = 0;
  memos_.clear();
  isOpen = true;
  return true;
}

size_t FeedFile::Find(std::string_view needle, size_t from) {
  constexpr int kMemosPerNeedle = 4;
  int kept = 0;
  auto leastRecent = memos_.end();
  for (auto memo = memos_.begin(); memo != memos_.end(); ++memo) {
    if (memo->needle != needle) continue;
    if (from >= memo->from && from <= memo->found) {
      const size_t found = memo->found;
      std::rotate(memo, memo + 1, memos_.end());  // most recently used last
      return found;
    }
    if (kept++ == 0) leastRecent = memo;
  }
  const size_t found = content.find(needle, from);
  if (kept >= kMemosPerNeedle) memos_.erase(leastRecent);
  memos_.push_back(SearchMemo{std::string(needle), from, found});
  return found;
}

void FeedFile::CollectItems() {
  titles.clear();
  itemStarts.clear();
  itemEnds.clear();
  itemCount = 0;
  if (!isOpen) return;
  size_t position = 0;
  for (;;) {
    const size_t start = Find("<item>", position);
    if (start == std::string::npos) return;
    const size_t close = Find("</item>", start);
    if (close == std::string::npos) return;
    itemStarts.push_back(start);
    itemEnds.push_back(close + 7);
    position = close + 7;
    titles.push_back(FindElementText("item/title"));
    ++itemCount;
  }
}

// Every element name but the last is searched from searchPosition on, each
// after the one before; the last one's opening tag after the previous opening
// tag, its closing tag after that. The text between is taken unchanged. A
// found text moves searchPosition to its closing tag; an empty one back to 0.
std::string FeedFile::FindElementText(std::string_view elementPath) {
  if (!isOpen) return {};
  std::vector<std::string_view> names;
  for (size_t begin = 0;;) {
    const size_t slash = elementPath.find('/', begin);
    names.push_back(elementPath.substr(
        begin, slash == std::string_view::npos ? std::string_view::npos : slash - begin));
    if (slash == std::string_view::npos) break;
    begin = slash + 1;
  }
  size_t after = 0;  // just after the previous opening tag
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    const std::string tag = Tag(names[i], false);
    const size_t found = Find(tag, i == 0 ? searchPosition : after);
    if (found == std::string::npos) return {};
    after = found + tag.size();
  }
  const std::string open = Tag(names.back(), false);
  const size_t openAt = Find(open, after);
  if (openAt == std::string::npos) return {};
  const size_t textStart = openAt + open.size();
  const size_t closeAt = Find(Tag(names.back(), true), textStart);
  if (closeAt == std::string::npos) return {};
  std::string text = content.substr(textStart, closeAt - textStart);
  searchPosition = text.empty() ? 0 : closeAt;
  return text;
}

int FeedFile::IndexOfTitle(std::string_view title) const {
  for (size_t i = 0; i < titles.size(); ++i) {
    if (titles[i] == title) return static_cast<int>(i);
  }
  return -1;
}

bool FeedFile::WriteItemsInOrder(const std::string& feedPath, const std::vector<std::string>& order,
                                 UserPrompt& prompt) {
  std::unordered_map<std::string_view, std::deque<int>> itemsByTitle;
  for (size_t i = 0; i < titles.size(); ++i) itemsByTitle[titles[i]].push_back(static_cast<int>(i));
  std::vector<int> positions;
  for (const auto& title : order) {
    auto found = itemsByTitle.find(title);
    if (found == itemsByTitle.end() || found->second.empty()) continue;
    positions.push_back(found->second.front());
    found->second.pop_front();
  }
  return WriteItemPositionsInOrder(feedPath, positions, prompt);
}

// The bytes before the first item less the last of them, then the items one
// per line (the first after one tab, every later one on a new line after two
// tabs), then everything after the last item. A file whose items stand on
// lines of their own, indented by two tabs, keeps its layout.
bool FeedFile::WriteItemPositionsInOrder(const std::string& feedPath, const std::vector<int>& order,
                                         UserPrompt& prompt) {
  if (!isOpen || feedPath != path || itemCount == 0) return false;
  isOpen = false;
  std::string text;
  text.reserve(content.size() + 3 * order.size());
  if (itemStarts.front() > 0) text.append(content, 0, itemStarts.front() - 1);
  bool first = true;
  for (int k : order) {
    if (k < 0 || k >= itemCount) continue;
    text += first ? "\t" : "\r\n\t\t";
    first = false;
    text.append(content, itemStarts[k], itemEnds[k] - itemStarts[k]);
  }
  text.append(content, itemEnds.back(), std::string::npos);
  const int cause = WriteFileAtomically(feedPath, text);
  if (cause == kNoError) return true;
  // Named here: the configuration's texts speak of another file.
  prompt.Notify("The order of the categories could not be written into " + feedPath + ": " +
                FileErrorMessage(cause));
  return false;
}

}  // namespace brevora
