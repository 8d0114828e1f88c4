// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include "channels/channel_file.h"
#include "fakes/scripted_prompt.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::ScriptedPrompt;
using testing::TempFolder;

ChannelRecord Channel(const std::string& name, const std::string& url) {
  ChannelRecord record;
  record.name = name;
  record.url = url;
  return record;
}

std::string Line(const ChannelRecord& record) {
  std::string line;
  FormatChannel(record, line);
  return line;
}

TEST(ChannelFile, TwoChannelsAppendedToAnEmptyFile) {
  TempFolder folder;
  folder.Write("Channels.txt", "");
  ScriptedPrompt prompt;
  ChannelRecord sports = Channel("Sports", "C:\\Feeds\\sports.xml");
  sports.crawlDepth = 0;
  sports.negativeLinkFilter = "m#^zzzzz#i";
  sports.rssFilter = "m#\\.(?:xml|rdf)$#i";
  sports.negativeLinkTextFilter = "m#^zzzzz#i";
  ASSERT_TRUE(SaveChannel(Channel("World", "C:\\Feeds\\world.xml"), folder.path(), prompt));
  EXPECT_EQ(folder.Read("Channels.txt"),
            "\r\nWorld||C:\\Feeds\\world.xml||||3||||10000||5||0||||0||||100||||false||false||"
            "false||false||||||||||||||\r\n\r\n");
  ASSERT_TRUE(SaveChannel(sports, folder.path(), prompt));
  EXPECT_EQ(folder.Read("Channels.txt"),
            "\r\nWorld||C:\\Feeds\\world.xml||||3||||10000||5||0||||0||||100||||false||false||"
            "false||false||||||||||||||\r\n\r\n"
            "Sports||C:\\Feeds\\sports.xml||||0||||10000||5||0||||0||||100||m#^zzzzz#i||false||"
            "false||false||false||||||||||||m#\\.(?:xml|rdf)$#i||m#^zzzzz#i\r\n\r\n");
  EXPECT_TRUE(prompt.shown.empty());

  ChannelRecord read;
  ReadChannel(read, "Sports", folder.path(), prompt);
  EXPECT_EQ(read, sports);
}

// Replacing keeps everything else byte for byte, also for a last line
// without a line end; names match exactly, and "#" lines are not channels.
TEST(ChannelFile, ReplaceInPlaceByExactName) {
  const std::string text = "#News||old\r\nWorldNews||a\r\n\r\nNews||b\r\nnews||c";
  ChannelRecord news = Channel("News", "/n.xml");
  EXPECT_EQ(TextWithChannel(text, news),
            "#News||old\r\nWorldNews||a\r\n\r\n" + Line(news) + "\r\nnews||c");
  ChannelRecord lower = Channel("news", "/l.xml");
  EXPECT_EQ(TextWithChannel(text, lower),
            "#News||old\r\nWorldNews||a\r\n\r\nNews||b\r\n" + Line(lower));
  // Only the switched-off line exists: a new line is appended.
  EXPECT_EQ(TextWithChannel("#News||old", news), "#News||old\r\n" + Line(news) + "\r\n\r\n");
  // After a bare line feed a line end is still needed: the new line must
  // not join the last one.
  EXPECT_EQ(TextWithChannel("x\n", news), "x\n\r\n" + Line(news) + "\r\n\r\n");
  EXPECT_TRUE(FindChannelLine(TextWithChannel("x\n", news), "News").found);
}

TEST(ChannelFile, ReadChannelByName) {
  TempFolder folder;
  ScriptedPrompt prompt;
  ChannelRecord record = Channel("Keep", "/k");
  ReadChannel(record, "News", folder.path(), prompt);
  EXPECT_EQ(prompt.shown, std::vector<std::string>{kChannelsNotFound});
  EXPECT_EQ(record, Channel("Keep", "/k"));

  folder.Write("Channels.txt", "WorldNews||w\r\nNews||/n.xml||||2\n\r\n");
  ReadChannel(record, "Other", folder.path(), prompt);
  EXPECT_EQ(record, Channel("Keep", "/k"));
  ReadChannel(record, "News", folder.path(), prompt);
  EXPECT_EQ(record.url, "/n.xml");
  EXPECT_EQ(record.crawlDepth, 0);  // "2\n": the field lacks its separator
  EXPECT_EQ(prompt.shown.size(), 1u);
}

// Saves that cannot complete leave the file as it was and say why.
TEST(ChannelFile, FailedSavesLeaveTheFile) {
  TempFolder folder;
  ScriptedPrompt prompt;
  // A missing file is created.
  ASSERT_TRUE(SaveChannel(Channel("A", "/a"), folder.path(), prompt));
  const std::string before = folder.Read("Channels.txt");
  EXPECT_EQ(before, "\r\n" + Line(Channel("A", "/a")) + "\r\n\r\n");

  ChannelRecord bad = Channel("B", "/b||c");
  EXPECT_FALSE(SaveChannel(bad, folder.path(), prompt));
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_NE(prompt.shown[0].find("URL"), std::string::npos);
  EXPECT_EQ(folder.Read("Channels.txt"), before);

  TempFolder unreadable;
  unreadable.Write("Channels.txt/x", "");
  prompt.shown.clear();
  EXPECT_FALSE(SaveChannel(Channel("A", "/a"), unreadable.path(), prompt));
  EXPECT_EQ(prompt.shown, std::vector<std::string>{
                              "Channels.txt could not be read, so the channel was not saved!"});

  // Channels.txt links into a folder that does not exist: reading finds no
  // file, and writing through the link fails (a path that cannot be created
  // is invalid); the link stays.
  TempFolder linked;
  ASSERT_EQ(symlink("gone/Channels.txt", (linked.path() + "Channels.txt").c_str()), 0);
  prompt.shown.clear();
  EXPECT_FALSE(SaveChannel(Channel("A", "/a"), linked.path(), prompt));
  EXPECT_EQ(prompt.shown, std::vector<std::string>{"All or part of the path is invalid!"});
  EXPECT_EQ(linked.List(), std::vector<std::string>{"Channels.txt"});
}

TEST(ChannelFile, LinesOfTheList) {
  const auto lines =
      SplitChannelFile("\r\n\r\nA||1\r\n#B||2\r\nplain\r\nC||3\rstill C\nstill C\r\n\r\nD||4");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].name, "A");
  EXPECT_FALSE(lines[1].listed);
  EXPECT_FALSE(lines[2].listed);
  EXPECT_EQ(lines[3].text, "C||3\rstill C\nstill C");
  EXPECT_EQ(ListedNames(lines), (std::vector<std::string>{"A", "C", "D"}));
}

// Deleting two of three channels leaves the third and the commented-out line,
// each followed by one blank line, whatever the spacing was.
TEST(ChannelFile, DeleteRewritesTheFile) {
  TempFolder folder;
  folder.Write("Channels.txt",
               "\r\n\r\n\r\nWorld||w\r\n#Old||o\r\nSports||s\r\n\r\n\r\n\r\nWeather||x");
  ScriptedPrompt prompt;
  std::vector<ChannelFileLine> lines;
  ASSERT_TRUE(ReadChannelFileLines(folder.path(), prompt, lines));
  ASSERT_TRUE(DeleteChannels(folder.path(), lines, {2, 0}, prompt));
  EXPECT_EQ(folder.Read("Channels.txt"), "#Old||o\r\n\r\nSports||s\r\n\r\n");
  EXPECT_TRUE(prompt.shown.empty());

  // A file that cannot be replaced (here a folder stands in its place) gives
  // the list's own message, not a configuration text.
  TempFolder blocked;
  blocked.Write("Channels.txt/inside", "x");
  EXPECT_FALSE(DeleteChannels(blocked.path(), lines, {0}, prompt));
  EXPECT_EQ(prompt.shown, std::vector<std::string>{kChannelsNotFound});
  EXPECT_EQ(blocked.Read("Channels.txt/inside"), "x");

  // Missing file: the message and no lines.
  TempFolder empty;
  EXPECT_FALSE(ReadChannelFileLines(empty.path(), prompt, lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(prompt.shown, (std::vector<std::string>{kChannelsNotFound, kChannelsNotFound}));
}

// Hostile content: long lines, binary bytes and NULs keep the other lines intact.
TEST(ChannelFile, HostileLinesKeepOtherLinesIntact) {
  std::string hostile(3'000'000, 'x');
  hostile[5] = '\0';
  hostile[100] = '\r';
  hostile[200] = '\n';
  hostile += "||";
  const std::string text = hostile + "\r\nNews||a\r\n" + std::string("\xff\xfe||\0\0", 6);
  const std::string updated = TextWithChannel(text, Channel("News", "/b"));
  EXPECT_EQ(updated, hostile + "\r\n" + Line(Channel("News", "/b")) + "\r\n" +
                         std::string("\xff\xfe||\0\0", 6));
  EXPECT_EQ(SplitChannelFile(updated).size(), 3u);
}

}  // namespace
}  // namespace brevora
