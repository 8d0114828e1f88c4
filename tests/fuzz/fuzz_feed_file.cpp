// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the feed file: collecting items and rewriting them
// in reverse order must neither crash nor hang, and the rewrite keeps every
// item's bytes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/user_prompt.h"
#include "channels/feed_file.h"

namespace {

class QuietPrompt : public brevora::UserPrompt {
 public:
  void Notify(const std::string&) override {}
  brevora::Answer AskYesNo(const std::string&) override { std::abort(); }
  brevora::Answer AskYesNoCancel(const std::string&) override { std::abort(); }
};

std::string TemporaryPath() {
  static const std::string path = "/tmp/brevora-fuzz-feed-" + std::to_string(getpid()) + ".xml";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = TemporaryPath();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
  QuietPrompt prompt;
  brevora::FeedFile feed;
  if (!feed.OpenFeed(path, prompt)) return 0;
  feed.CollectItems();
  std::vector<std::string> order(feed.titles.rbegin(), feed.titles.rend());
  const bool written = feed.WriteItemsInOrder(path, order, prompt);
  if (written) {
    brevora::FeedFile again;
    if (!again.OpenFeed(path, prompt)) std::abort();
    size_t itemBytes = 0;
    for (int k = 0; k < feed.itemCount; ++k) itemBytes += feed.itemEnds[k] - feed.itemStarts[k];
    if (again.content.size() < itemBytes) std::abort();
  }
  std::remove(path.c_str());
  return 0;
}
