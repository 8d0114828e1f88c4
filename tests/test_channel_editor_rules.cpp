// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/channel_editor_rules.h"

#include <gtest/gtest.h>

#include "channels/feed_file.h"
#include "fakes/scripted_prompt.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::ScriptedPrompt;
using testing::TempFolder;

TEST(ChannelListRules, NamesAndLookUps) {
  EXPECT_TRUE(IsRegularChannelName("News"));
  EXPECT_TRUE(IsRegularChannelName("z9"));
  for (const char* name : {"", "9News", " News", "_x", "\xc3\x84rzte"}) {
    EXPECT_FALSE(IsRegularChannelName(name)) << name;
  }
  const std::vector<std::string> listed = {"NewsWorld", "News"};
  EXPECT_EQ(FindNameIgnoringCase(listed, "news"), 1);
  EXPECT_EQ(FindNameIgnoringCase(listed, "New"), -1);

  std::vector<std::string> runList = {"NewsWorld", "Sports", "NEWS", "News"};
  EXPECT_TRUE(RemoveFirstIgnoringCase(runList, "News"));
  EXPECT_EQ(runList, (std::vector<std::string>{"NewsWorld", "Sports", "News"}));
  EXPECT_FALSE(RemoveFirstIgnoringCase(runList, "Weather"));
}

TEST(BasicPageRules, NameMessagesAndLogin) {
  EXPECT_EQ(BasicPageNameMessage(""), "Please enter the name of the channel!");
  EXPECT_EQ(BasicPageNameMessage("1News"), "The name of the channel must start with an alphanumeric!");
  EXPECT_EQ(BasicPageNameMessage(" News"), "The name of the channel must start with an alphanumeric!");
  EXPECT_EQ(BasicPageNameMessage("News"), "");
  EXPECT_TRUE(HasLogin("http://login"));
  EXPECT_FALSE(HasLogin(" http://login"));
  EXPECT_FALSE(HasLogin(""));
}

TEST(BasicPageRules, CategorySourceOfUrl) {
  const std::string program = "/opt/brevora/";
  for (const char* url : {"HTTP://x", "https:/", "ftp:host", "Ftp:"}) {
    EXPECT_TRUE(CategorySourceOfUrl(url, program).network) << url;
  }
  for (const char* url : {"file:/home/a/world.xml", "file:///home/a/world.xml", "/home/a/world.xml"}) {
    const auto source = CategorySourceOfUrl(url, program);
    EXPECT_FALSE(source.network);
    EXPECT_EQ(source.feedPath, "/home/a/world.xml") << url;
  }
  EXPECT_EQ(CategorySourceOfUrl("feeds/world.xml", program).feedPath,
            "/opt/brevora/feeds/world.xml");
  EXPECT_EQ(CategorySourceOfUrl("file:feeds/world.xml", program).feedPath, "feeds/world.xml");
  for (const char* url : {"", "file:/", "file:", "file://", "/"}) {
    const auto source = CategorySourceOfUrl(url, program);
    EXPECT_FALSE(source.network);
    EXPECT_EQ(source.feedPath, "") << url;
  }
}

// "Up" on the first and "Down" on the last keep the order and the selection;
// a reordering by the list writes the items by identity.
TEST(BasicPageRules, CategoryMovesAndSavedOrder) {
  TempFolder folder;
  ScriptedPrompt prompt;
  const std::string path = folder.Write(
      "feed.xml", "<rss>\r\n\t\t<item><title>A</title>1</item>\r\n\t\t<item><title>A</title>2"
                  "</item>\r\n\t\t<item><title>C</title>3</item>\r\n</rss>");
  FeedFile feed;
  ASSERT_TRUE(feed.OpenFeed(path, prompt));
  feed.CollectItems();
  CategoryList list;
  list.Load(feed);
  EXPECT_EQ(list.MoveUp(0), 0);
  EXPECT_EQ(list.MoveDown(2), 2);
  EXPECT_EQ(list.MoveDown(-1), -1);
  EXPECT_EQ(list.MoveUp(7), -1);
  EXPECT_EQ(list.ItemOrder(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(list.MoveUp(2), 1);
  EXPECT_EQ(list.MoveUp(1), 0);
  EXPECT_EQ(list.MoveDown(1), 2);
  EXPECT_EQ(list.Titles(), (std::vector<std::string>{"C", "A", "A"}));
  EXPECT_EQ(list.ItemOrder(), (std::vector<int>{2, 1, 0}));
  ASSERT_TRUE(feed.WriteItemPositionsInOrder(path, list.ItemOrder(), prompt));
  EXPECT_EQ(folder.Read("feed.xml"),
            "<rss>\r\n\t\t<item><title>C</title>3</item>\r\n\t\t<item><title>A</title>2</item>"
            "\r\n\t\t<item><title>A</title>1</item>\r\n</rss>");
}

// The categories follow the URL: a new feed file replaces the list, a network
// URL disables it, the same URL again changes nothing, and only a list read
// from a feed file is written back.
TEST(BasicPageRules, CategoriesFollowTheUrl) {
  TempFolder folder;
  ScriptedPrompt prompt;
  folder.Write("feeds/one.xml",
               "<rss>\r\n\t\t<item><title>A</title></item>\r\n\t\t<item><title>B</title></item>\r\n</rss>");
  folder.Write("two.xml", "<item><title>X</title></item>");
  ChannelCategories categories;
  EXPECT_TRUE(categories.RefreshCategories("feeds/one.xml", folder.path(), prompt));
  EXPECT_EQ(categories.feedPath(), folder.path() + "feeds/one.xml");
  EXPECT_EQ(categories.categories().Titles(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(categories.categories().MoveDown(0), 1);
  EXPECT_FALSE(categories.RefreshCategories("feeds/one.xml", folder.path(), prompt));
  EXPECT_EQ(categories.categories().Titles(), (std::vector<std::string>{"B", "A"}));
  EXPECT_TRUE(categories.SaveCategoryOrder(prompt));
  EXPECT_EQ(folder.Read("feeds/one.xml"),
            "<rss>\r\n\t\t<item><title>B</title></item>\r\n\t\t<item><title>A</title></item>\r\n</rss>");

  EXPECT_TRUE(categories.RefreshCategories("file://" + folder.path() + "two.xml", "/x/", prompt));
  EXPECT_EQ(categories.categories().Titles(), std::vector<std::string>{"X"});
  EXPECT_TRUE(categories.RefreshCategories("HTTP://news", folder.path(), prompt));
  EXPECT_FALSE(categories.listEnabled());
  EXPECT_EQ(categories.categories().size(), 0u);
  EXPECT_FALSE(categories.SaveCategoryOrder(prompt));

  EXPECT_TRUE(categories.RefreshCategories("missing.xml", folder.path(), prompt));
  EXPECT_TRUE(categories.listEnabled());
  EXPECT_EQ(prompt.shown, std::vector<std::string>{"File " + folder.path() + "missing.xml doesn't exist!"});
  EXPECT_FALSE(categories.SaveCategoryOrder(prompt));
  EXPECT_FALSE(folder.Exists("missing.xml"));
}

TEST(AdvancedPageRules, NewChannelDefaultsAndRoundTrip) {
  AdvancedPageValues values;
  values.url = "kept";
  ApplyNewChannelDefaults(values);
  EXPECT_EQ(values.url, "kept");
  EXPECT_EQ(values.crawlDepth, "3");
  EXPECT_EQ(values.numberOfCharacters, "10000");
  EXPECT_EQ(values.linksInLeafNode, "0");
  EXPECT_EQ(values.linksForExtraFiltering, "100");
  EXPECT_EQ(values.useSpanTag, "false");
  EXPECT_EQ(values.rssFilter, "m#\\.(?:xml|rdf)$#i");
  EXPECT_EQ(values.negativeLinkFilter, "m#^zzzzz#i");
  EXPECT_EQ(values.negativeLinkTextFilter, "m#^zzzzz#i");

  values.linesToSkip = "0";
  ASSERT_FALSE(CheckAdvancedRanges(values).has_value());
  ChannelRecord record;
  ClearChannel(record);
  StoreAdvancedValues(values, record);
  EXPECT_EQ(record.crawlDepth, 3);
  EXPECT_EQ(record.numberOfCharacters, 10000);
  EXPECT_EQ(record.linksForExtraFiltering, 100);
  AdvancedPageValues loaded;
  LoadAdvancedValues(record, loaded);
  ChannelRecord again;
  StoreAdvancedValues(loaded, again);
  EXPECT_EQ(again.rssFilter, record.rssFilter);
  EXPECT_EQ(again.crawlDepth, record.crawlDepth);
}

TEST(AdvancedPageRules, ConversionsOfCharactersAndFlags) {
  AdvancedPageValues values;
  ApplyNewChannelDefaults(values);
  values.linesToSkip = "0";
  ChannelRecord record;
  for (const auto& [text, number] : std::vector<std::pair<std::string, int>>{
           {"2500", 2500}, {"abc", 0}, {" 1500 chars", 1500}, {"-5", -5}}) {
    values.numberOfCharacters = text;
    StoreAdvancedValues(values, record);
    EXPECT_EQ(record.numberOfCharacters, number) << text;
  }
  values.useSpanTag = "TRUE";
  values.useRemarkString = "true";
  StoreAdvancedValues(values, record);
  EXPECT_FALSE(record.useSpanTag);
  EXPECT_TRUE(record.useRemarkString);
}

// The four numeric fields are tested in a fixed order; the first bad one is named.
TEST(AdvancedPageRules, RangesInOrder) {
  AdvancedPageValues values;
  ApplyNewChannelDefaults(values);
  values.linesToSkip = "0";
  values.crawlDepth = "11";
  auto problem = CheckAdvancedRanges(values);
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(problem->field, "Crawl Depth");
  EXPECT_EQ(problem->message, "Please enter a whole number between 0 and 10.");
  values.linksForExtraFiltering = "";
  values.linesToSkip = "21";
  values.linksInLeafNode = "50";
  problem = CheckAdvancedRanges(values);
  EXPECT_EQ(problem->field, "Lines to Skip");
  values.linesToSkip = "20";
  problem = CheckAdvancedRanges(values);
  EXPECT_EQ(problem->field, "for Extra Filtering");  // emptied: out of range
  EXPECT_EQ(problem->message, "Please enter a whole number between 0 and 100.");
  values.linksForExtraFiltering = "1e2";
  EXPECT_EQ(CheckAdvancedRanges(values)->message, "Please enter a positive whole number.");
  values.linksForExtraFiltering = "100";
  values.crawlDepth = "0";
  EXPECT_FALSE(CheckAdvancedRanges(values).has_value());
  for (const char* bad : {"-1", "+1", "1.5", "99999999999999999999", "x"}) {
    EXPECT_FALSE(ParseUnsignedField(bad).has_value()) << bad;
  }
  EXPECT_EQ(ParseUnsignedField(" 7 "), 7u);
}

TEST(AdvancedPageRules, SchemeSelector) {
  EXPECT_EQ(SchemeOfUrl("FTP://x"), "net");
  EXPECT_EQ(SchemeOfUrl(""), "file");
  EXPECT_EQ(SchemeOfUrl("/home/a.xml"), "file");
  EXPECT_EQ(UrlOfScheme("file"), "file:/");
  EXPECT_EQ(UrlOfScheme("net"), "http:/");
  EXPECT_EQ(CategorySourceOfUrl(UrlOfScheme("file"), "/p/").feedPath, "");
  EXPECT_TRUE(CategorySourceOfUrl(UrlOfScheme("net"), "/p/").network);
}

}  // namespace
}  // namespace brevora
