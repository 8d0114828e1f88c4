// SPDX-License-Identifier: GPL-3.0-or-later
// Adding channels without the editor: from an address (the crawler's feed
// finder answering), from an OPML file, and listing and exporting them; what
// Channels.txt holds afterwards, line by line.
#include <gtest/gtest.h>
#include <httplib.h>

#include <sstream>
#include <thread>

#include "config/program_folders.h"
#include "fakes/temp_folder.h"
#include "platform/cancel_event.h"
#include "run/feed_search.h"
#include "service/channel_commands.h"

namespace brevora {
namespace {

using testing::TempFolder;

const char kExisting[] =
    "\r\nNews||http://example.org/news.xml||||0||||0||0||0||||0||||100||m#^zzzzz#i||false||false||"
    "false||false||||||||||||||m#^zzzzz#i\r\n\r\n";

// The line a channel that reads a feed's items as articles is written as.
std::string FeedLine(const std::string& name, const std::string& url) {
  return name + "||" + url +
         "||||0||||0||5||0||||0||||100||m#^zzzzz#i||false||false||false||false||||||||||||||"
         "m#^zzzzz#i\r\n\r\n";
}

struct Data {
  TempFolder folder;
  ProgramFolders folders{folder.path(), folder.path()};
  std::ostringstream out, err;
  Data() { folder.Write("Channels.txt", kExisting); }
  std::string Channels() const { return folder.Read("Channels.txt"); }
};

class AnsweringSearcher : public FeedSearcher {
 public:
  explicit AnsweringSearcher(FeedSearch answer) : answer_(std::move(answer)) {}
  FeedSearch Find(const std::string&, CancelEvent&) override { return answer_; }

 private:
  FeedSearch answer_;
};

FoundFeed Feed(const std::string& title, const std::string& url) {
  return {url, title, 12, {"First", "Second"}, "fr"};
}

// Several feeds are listed and none is added; --feed picks one, named after
// its title cleaned of what would break Channels.txt or Brevora.cfg and made
// unique; the same feed again, or a taken --name, changes nothing.
TEST(ChannelCommands, AddChannelFromAddress) {
  Data data;
  CancelEvent cancel;
  AnsweringSearcher two({"http://site.test/",
                         {Feed("News", "http://site.test/a.xml"),
                          Feed("#Sport,\x01 || Scores|", "http://site.test/b.xml")},
                         ""});
  EXPECT_EQ(1,
            AddChannelCommand(data.folders, "site.test", "", 0, two, cancel, data.out, data.err));
  EXPECT_EQ(
      "2 feeds were found at http://site.test/:\n"
      "1. News\n     http://site.test/a.xml\n     12 items, fr\n     - First\n     - Second\n"
      "2. #Sport,\x01 || Scores|\n     http://site.test/b.xml\n     12 items, fr\n"
      "     - First\n     - Second\n"
      "None was added: choose one with --feed N.\n",
      data.out.str());
  EXPECT_EQ(kExisting, data.Channels());

  EXPECT_EQ(0,
            AddChannelCommand(data.folders, "site.test", "", 1, two, cancel, data.out, data.err));
  EXPECT_EQ(0,
            AddChannelCommand(data.folders, "site.test", "", 2, two, cancel, data.out, data.err));
  EXPECT_EQ(std::string(kExisting) + FeedLine("News (2)", "http://site.test/a.xml") +
                FeedLine("Sport Scores", "http://site.test/b.xml"),
            data.Channels());

  const std::string before = data.Channels();
  EXPECT_EQ(1,
            AddChannelCommand(data.folders, "site.test", "", 1, two, cancel, data.out, data.err));
  EXPECT_EQ(2,
            AddChannelCommand(data.folders, "site.test", "", 3, two, cancel, data.out, data.err));
  AnsweringSearcher other({"", {Feed("Other", "http://other.test/feed")}, ""});
  EXPECT_EQ(2, AddChannelCommand(data.folders, "other.test", "News", 0, other, cancel, data.out,
                                 data.err));
  EXPECT_EQ(2, AddChannelCommand(data.folders, "other.test", "A,B", 0, other, cancel, data.out,
                                 data.err));
  AnsweringSearcher none({"", {}, "cannot read http://x.test/: connection refused"});
  EXPECT_EQ(1, AddChannelCommand(data.folders, "x.test", "", 0, none, cancel, data.out, data.err));
  EXPECT_EQ(before, data.Channels());
  EXPECT_NE(data.err.str().find("No feed found for x.test: cannot read http://x.test/: "
                                "connection refused\n"),
            std::string::npos);
}

// A feed reader's export: nested folders, title or text, a feed listed twice
// or present already, an address that is not on the web; the channels added
// in one write, each line whole.
TEST(ChannelCommands, ImportOpml) {
  Data data;
  const std::string opml = data.folder.Write("subs.opml", R"(<?xml version="1.0"?>
<!-- exported -->
<opml version="1.0"><head><title>My feeds</title></head><body>
  <outline text="Tech">
    <outline text="Ars &amp; Co" title="Ars &amp; Co" type="rss" xmlUrl="https://ars.test/feed"/>
    <outline text="Inner"><outline text="Deep" xmlUrl="http://deep.test/rss"/></outline>
  </outline>
  <outline text="Old news" xmlUrl="http://example.org/news.xml"/>
  <outline title="" text="" xmlUrl="https://blank.test/atom"/>
  <outline text="Again" xmlUrl="https://ars.test/feed"/>
  <outline text="Local" xmlUrl="file:///home/me/feed.xml"/>
  <outline text="ARS &amp; CO" xmlUrl="https://other.test/feed"/>
  <outline text="&#920;&#941;&#963;&#951;" xmlUrl="https://greek.test/rss"/>
</body></opml>)");
  EXPECT_EQ(0, ImportOpmlCommand(data.folders, opml, data.out, data.err)) << data.err.str();
  EXPECT_EQ(std::string(kExisting) + FeedLine("Ars & Co", "https://ars.test/feed") +
                FeedLine("Deep", "http://deep.test/rss") +
                FeedLine("News (2)", "https://blank.test/atom") +
                FeedLine("ARS & CO (2)", "https://other.test/feed") +
                FeedLine("Feed \xce\x98\xce\xad\xcf\x83\xce\xb7", "https://greek.test/rss"),
            data.Channels());
  EXPECT_NE(data.out.str().find("5 channels added, 2 present already, 1 not a web address.\n"),
            std::string::npos)
      << data.out.str();

  // Exported and imported again: nothing changes; the names survive markup.
  const std::string exported = data.folder.path() + "out.opml";
  EXPECT_EQ(0, ExportOpmlCommand(data.folders, exported, 0, data.out, data.err));
  const std::string text = data.folder.Read("out.opml");
  EXPECT_NE(text.find("<opml version=\"2.0\">"), std::string::npos);
  EXPECT_NE(text.find("<dateCreated>Thu, 01 Jan 1970 00:00:00 +0000</dateCreated>"),
            std::string::npos);
  EXPECT_NE(text.find("<outline type=\"rss\" text=\"Ars &amp; Co\" title=\"Ars &amp; Co\" "
                      "xmlUrl=\"https://ars.test/feed\" />"),
            std::string::npos)
      << text;
  const std::string before = data.Channels();
  EXPECT_EQ(0, ImportOpmlCommand(data.folders, exported, data.out, data.err));
  EXPECT_EQ(before, data.Channels());
  EXPECT_NE(data.out.str().find("0 channels added, 6 present already.\n"), std::string::npos);

  std::ostringstream list;
  EXPECT_EQ(0, ListChannelsCommand(data.folders, list, data.err));
  EXPECT_EQ(
      "News\thttp://example.org/news.xml\nArs & Co\thttps://ars.test/feed\n"
      "Deep\thttp://deep.test/rss\nNews (2)\thttps://blank.test/atom\n"
      "ARS & CO (2)\thttps://other.test/feed\n"
      "Feed \xce\x98\xce\xad\xcf\x83\xce\xb7\thttps://greek.test/rss\n",
      list.str());
}

// Broken and hostile files: one message each, Channels.txt untouched.
TEST(ChannelCommands, HostileOpmlChangesNothing) {
  Data data;
  std::string deep = "<opml><body>";
  for (int i = 0; i < 17; ++i) deep += "<outline text=\"f\">";
  deep += "<outline text=\"x\" xmlUrl=\"http://x.test/\"/>";
  for (int i = 0; i < 17; ++i) deep += "</outline>";
  deep += "</body></opml>";
  std::string many = "<opml><body>";
  while (many.size() <= (10 << 20)) many += "<outline text=\"t\" xmlUrl=\"http://t.test/\"/>\n";
  many += "</body></opml>";
  std::string feeds = "<opml><body>";
  for (int i = 0; i <= 2000; ++i) {
    feeds += "<outline xmlUrl=\"http://t.test/" + std::to_string(i) + "\"/>";
  }
  feeds += "</body></opml>";
  const std::pair<std::string, std::string> cases[] = {
      {"not xml {", "The file is not OPML: "},
      {"<rss><channel/></rss>", "The file is not OPML: it has no <opml> element with a <body>."},
      {"<?xml version=\"1.0\"?><!DOCTYPE opml [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
       "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><opml><body><outline text=\"&b;\" "
       "xmlUrl=\"http://lol.test/\"/></body></opml>",
       "The file is not OPML: it has a document type declaration."},
      {many, "The file is larger than 2 MB; an OPML list of feeds is far smaller."},
      {feeds, "The file lists more than 2000 feeds."},
      {deep, "The file nests its outlines deeper than 16 levels."},
      {"<opml><body><outline text=\"a&#1;b\" xmlUrl=\"http://c.test/\"/></body></opml>",
       "The file has an outline whose name or address holds control characters."},
  };
  for (const auto& [content, message] : cases) {
    std::ostringstream err;
    const std::string path = data.folder.Write("bad.opml", content);
    EXPECT_EQ(2, ImportOpmlCommand(data.folders, path, data.out, err));
    EXPECT_EQ(0u, err.str().find(path + ": " + message)) << err.str();
    EXPECT_NE(err.str().find(" No channel was added.\n"), std::string::npos) << err.str();
    EXPECT_EQ(kExisting, data.Channels());
  }
}

// The finder's answer is read defensively: not JSON, wrong types and
// control characters give an error or clean texts, never a crash.
TEST(FeedSearch, ParsesTheFinderAnswer) {
  const FeedSearch good = ParseFeedSearch(
      R"({"address":"http://a.test/","feeds":[{"url":"http://a.test/f","title":"Caf\u00e9\u0007 \"A\"",)"
      R"("items":3,"newest":["x","y","z","w"],"language":"fr"},{"title":"no url"},7],"error":""})");
  ASSERT_EQ(1u, good.feeds.size());
  EXPECT_EQ("Caf\xc3\xa9  \"A\"", good.feeds[0].title);
  EXPECT_EQ(3, good.feeds[0].items);
  EXPECT_EQ((std::vector<std::string>{"x", "y", "z"}), good.feeds[0].newest);
  EXPECT_EQ("", good.error);
  EXPECT_EQ("the feed finder gave no answer", ParseFeedSearch("").error);
  EXPECT_EQ("the feed finder gave no answer", ParseFeedSearch("[1,2]").error);
  EXPECT_EQ("no feed found", ParseFeedSearch(R"({"feeds":{"url":1},"error":5})").error);
}

// The real finder, started as a run starts the crawler, over a page served
// here; a search cancelled before it ends says so.
TEST(FeedSearch, CrawlerFindsTheFeedsOfAPage) {
  httplib::Server server;
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(
        "<html><head><link rel=\"alternate\" type=\"application/rss+xml\" href=\"/rss\">"
        "</head></html>",
        "text/html; charset=utf-8");
  });
  server.Get("/rss", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(
        "<rss><channel><title>Caf\xc3\xa9 news</title><item><title>One</title></item>"
        "</channel></rss>",
        "application/rss+xml");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread serving([&] { server.listen_after_bind(); });
  CrawlerFeedSearcher searcher(PROGRAM_FOLDER "/");
  CancelEvent cancel;
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  const FeedSearch search = searcher.Find(base + "/", cancel);
  ASSERT_EQ(1u, search.feeds.size()) << search.error;
  EXPECT_EQ(base + "/rss", search.feeds[0].url);
  EXPECT_EQ("Caf\xc3\xa9 news", search.feeds[0].title);
  EXPECT_EQ((std::vector<std::string>{"One"}), search.feeds[0].newest);

  cancel.Set();
  EXPECT_EQ("cancelled", searcher.Find(base + "/", cancel).error);
  server.stop();
  serving.join();
}

}  // namespace
}  // namespace brevora
