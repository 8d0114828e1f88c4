// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "channels/feed_file.h"
#include "fakes/scripted_prompt.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::ScriptedPrompt;
using testing::TempFolder;

const std::string kHeader =
    "<?xml version=\"1.0\"?>\r\n<rss>\r\n\t<channel>\r\n\t\t<title>News</title>\r\n";
const std::string kTail = "\r\n\t</channel>\r\n</rss>\r\n";

std::string Item(const std::string& title) {
  return "<item><title>" + title + "</title><link>http://x/" + title + "</link></item>";
}

// A feed whose items stand on lines of their own, indented by two tabs.
std::string Feed(const std::vector<std::string>& titles) {
  std::string text = kHeader;
  for (size_t i = 0; i < titles.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += "\t\t" + Item(titles[i]);
  }
  return text + kTail;
}

struct Loaded {
  TempFolder folder;
  ScriptedPrompt prompt;
  FeedFile feed;
  std::string path;

  explicit Loaded(const std::string& content) {
    path = folder.Write("feed.xml", content);
    EXPECT_TRUE(feed.OpenFeed(path, prompt));
    feed.CollectItems();
  }
};

TEST(FeedFile, ReordersItemsKeepingHeaderAndTail) {
  Loaded loaded(Feed({"A", "B", "C"}));
  EXPECT_EQ(loaded.feed.titles, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(loaded.feed.itemCount, 3);
  EXPECT_EQ(loaded.feed.IndexOfTitle("B"), 1);
  EXPECT_EQ(loaded.feed.IndexOfTitle("b"), -1);
  ASSERT_TRUE(loaded.feed.WriteItemsInOrder(loaded.path, {"C", "A", "B"}, loaded.prompt));
  EXPECT_EQ(loaded.folder.Read("feed.xml"), Feed({"C", "A", "B"}));
}

TEST(FeedFile, SameOrderLeavesFileUnchanged) {
  Loaded loaded(Feed({"A", "B", "C"}));
  ASSERT_TRUE(loaded.feed.WriteItemsInOrder(loaded.path, {"A", "B", "C"}, loaded.prompt));
  EXPECT_EQ(loaded.folder.Read("feed.xml"), Feed({"A", "B", "C"}));
}

// Items with equal titles keep their identity; unknown titles are skipped.
TEST(FeedFile, EqualTitlesAndUnknownTitles) {
  std::string text = kHeader +
                     "\t\t<item><title>A</title>1</item>\r\n\t\t<item><title>A</title>2"
                     "</item>\r\n\t\t<item><title>B</title>3</item>" +
                     kTail;
  Loaded loaded(text);
  ASSERT_TRUE(loaded.feed.WriteItemsInOrder(loaded.path, {"B", "Z", "A", "A"}, loaded.prompt));
  EXPECT_EQ(loaded.folder.Read("feed.xml"),
            kHeader +
                "\t\t<item><title>B</title>3</item>\r\n\t\t<item><title>A</title>1"
                "</item>\r\n\t\t<item><title>A</title>2</item>" +
                kTail);

  Loaded byPosition(text);
  ASSERT_TRUE(
      byPosition.feed.WriteItemPositionsInOrder(byPosition.path, {1, 2, 0}, byPosition.prompt));
  EXPECT_NE(byPosition.folder.Read("feed.xml").find("2</item>\r\n\t\t<item><title>B"),
            std::string::npos);
}

TEST(FeedFile, FilesWithoutItemsStayAsTheyWere) {
  const std::string text = "<rss><item id=\"1\"><title>A</title></item><ITEM></ITEM></rss>";
  Loaded loaded(text);
  EXPECT_TRUE(loaded.feed.titles.empty());
  EXPECT_FALSE(loaded.feed.WriteItemsInOrder(loaded.path, {"A"}, loaded.prompt));
  EXPECT_EQ(loaded.folder.Read("feed.xml"), text);

  Loaded unterminated("<item><title>A</title>");
  EXPECT_EQ(unterminated.feed.itemCount, 0);
}

// Titles are taken as the searches find them: an item without a title takes
// the next one, and a missing title starts the next search from the top.
TEST(FeedFile, TitlesAsTheSearchesFindThem) {
  Loaded loaded(
      "<item>no title</item><item><title>B</title></item>"
      "<item><title></title></item><item><title>D</title></item>");
  EXPECT_EQ(loaded.feed.titles, (std::vector<std::string>{"B", "", "B", ""}));

  Loaded raw("<item><title> &amp; <b>x</b> </title></item>");
  EXPECT_EQ(raw.feed.titles, std::vector<std::string>{" &amp; <b>x</b> "});
}

TEST(FeedFile, MissingFileAndSecondLoad) {
  Loaded loaded(Feed({"A"}));
  const std::string missing = loaded.folder.path() + "none.xml";
  EXPECT_FALSE(loaded.feed.OpenFeed(missing, loaded.prompt));
  EXPECT_EQ(loaded.prompt.shown, std::vector<std::string>{"File " + missing + " doesn't exist!"});
  loaded.feed.CollectItems();
  EXPECT_TRUE(loaded.feed.titles.empty());
  // The content of the first file is never written over another path.
  EXPECT_FALSE(loaded.feed.WriteItemsInOrder(missing, {"A"}, loaded.prompt));
  EXPECT_FALSE(loaded.folder.Exists("none.xml"));

  const std::string second = loaded.folder.Write("second.xml", Feed({"X", "Y"}));
  ASSERT_TRUE(loaded.feed.OpenFeed(second, loaded.prompt));
  loaded.feed.CollectItems();
  EXPECT_EQ(loaded.feed.titles, (std::vector<std::string>{"X", "Y"}));
}

// A failed rewrite keeps the file and says why.
TEST(FeedFile, FailedRewriteKeepsTheFile) {
  Loaded loaded(Feed({"A", "B"}));
  loaded.folder.Write("dir.xml/x", "");
  // Pretend the loaded file was the folder's path: the write must fail.
  loaded.feed.path = loaded.folder.path() + "dir.xml";
  EXPECT_FALSE(loaded.feed.WriteItemsInOrder(loaded.feed.path, {"B", "A"}, loaded.prompt));
  EXPECT_EQ(loaded.prompt.shown,
            std::vector<std::string>{"The order of the categories could not be written into " +
                                     loaded.feed.path + ": The file could not be accessed!"});
  EXPECT_EQ(loaded.folder.Read("feed.xml"), Feed({"A", "B"}));
}

// Many untitled items after a long header are collected without rescanning
// the file for every item.
TEST(FeedFile, ManyUntitledItemsDoNotHang) {
  std::string text(20'000'000, ' ');
  for (int i = 0; i < 200'000; ++i) text += "<item></item>";
  Loaded loaded(text);
  EXPECT_EQ(loaded.feed.itemCount, 200'000);
}

}  // namespace
}  // namespace brevora
