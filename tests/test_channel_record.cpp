// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>

#include "channels/channel_record.h"

namespace brevora {
namespace {

const char kWorldLine[] =
    "World||C:\\Feeds\\world.xml||||3||||10000||5||0||||0||||100||||false||false||false||false"
    "||||||||||||||";

ChannelRecord World() {
  ChannelRecord record;
  record.name = "World";
  record.url = "C:\\Feeds\\world.xml";
  return record;
}

// Every member with a distinct value, to catch a field written or read in the
// wrong place.
ChannelRecord Distinct() {
  ChannelRecord r;
  r.name = "Name";
  r.categoriesToDownload = 7;
  r.userName = "user";
  r.password = ScramblePassword("secret");
  r.url = "/feeds/a.xml";
  r.webSiteUrls = "http://a http://b";
  r.crawlDepth = 9;
  r.linesToSkip = 11;
  r.numberOfCharacters = 1500;
  r.linkFilter = "lf";
  r.linksInLeafNode = 13;
  r.extraLinkFilter = "elf";
  r.linksForExtraFiltering = 17;
  r.negativeLinkFilter = "nlf";
  r.useParagraphTag = true;
  r.useSpanTag = false;
  r.paragraphEndExists = true;
  r.useRemarkString = false;
  r.startRemarkString = "<!--";
  r.endRemarkString = "-->";
  r.loginUrl = "http://login";
  r.rssFilter = "m#\\.(?:xml|rdf)$#i";
  r.negativeLinkTextFilter = "nltf";
  return r;
}

TEST(ChannelRecord, ExampleLineAndRoundTrip) {
  std::string line;
  FormatChannel(World(), line);
  EXPECT_EQ(line, kWorldLine);
  ChannelRecord read;
  ParseChannel(read, line);
  EXPECT_EQ(read, World());

  ChannelRecord constructed;
  line.clear();
  FormatChannel(constructed, line);
  ParseChannel(read, line);
  EXPECT_EQ(read, constructed);

  const ChannelRecord distinct = Distinct();
  line = "prefix:";
  FormatChannel(distinct, line);
  EXPECT_EQ(line.substr(0, 7), "prefix:");
  ParseChannel(read, line.substr(7));
  EXPECT_EQ(read, distinct);
}

// The field order is the file's, not the members': numbers 6 to 8 and the
// four flags are shuffled, and field 5 is skipped whatever it holds.
TEST(ChannelRecord, FieldOrderOfTheLine) {
  ChannelRecord read;
  ParseChannel(read,
               "N||u||w||4||junk||600||7||8||lf||10||elf||12||nlf||true||TRUE||false||True||"
               "srs||ers||un||pw||lu||rf||nltf");
  EXPECT_EQ(read.crawlDepth, 4);
  EXPECT_EQ(read.numberOfCharacters, 600);
  EXPECT_EQ(read.categoriesToDownload, 7);
  EXPECT_EQ(read.linesToSkip, 8);
  EXPECT_TRUE(read.useParagraphTag);
  EXPECT_TRUE(read.paragraphEndExists);
  EXPECT_FALSE(read.useSpanTag);
  EXPECT_TRUE(read.useRemarkString);
  EXPECT_EQ(read.userName, "un");
  EXPECT_EQ(read.password, "pw");
  EXPECT_EQ(read.negativeLinkTextFilter, "nltf");
}

// A short line: fields followed by a separator are read, the rest cleared.
TEST(ChannelRecord, ShortAndMalformedLines) {
  ChannelRecord read = Distinct();
  ParseChannel(read, "N||u||w||4||||600||7||8||lf||10||elf||12||nlf");
  EXPECT_EQ(read.linksForExtraFiltering, 12);
  EXPECT_EQ(read.negativeLinkFilter, "");
  EXPECT_FALSE(read.useParagraphTag);
  EXPECT_EQ(read.password, "");

  ParseChannel(read, "N||u||w||x3||||");
  EXPECT_EQ(read.crawlDepth, 0);
  EXPECT_EQ(read.numberOfCharacters, 0);  // missing: cleared, not 10000

  ParseChannel(read, "no separator at all");
  EXPECT_EQ(read.name, "");

  ParseChannel(read, "N||u||w||99999999999999999999999||||-99999999999999999999||yes||1");
  EXPECT_EQ(read.crawlDepth, INT32_MAX);
  EXPECT_EQ(read.numberOfCharacters, INT32_MIN);

  // The last field runs to the next "||" or the end of the line.
  std::string full;
  FormatChannel(World(), full);
  ParseChannel(read, full + "tail||more");
  EXPECT_EQ(read.negativeLinkTextFilter, "tail");
}

TEST(ChannelRecord, ClearedValues) {
  ChannelRecord record = Distinct();
  ClearChannel(record);
  EXPECT_EQ(record.categoriesToDownload, 0);
  EXPECT_EQ(record.crawlDepth, 0);
  EXPECT_EQ(record.numberOfCharacters, 0);
  EXPECT_EQ(record.linksForExtraFiltering, 0);
  EXPECT_EQ(record.name, "");
  EXPECT_FALSE(record.useParagraphTag);
}

TEST(ChannelRecord, ScrambleIsItsOwnInverse) {
  EXPECT_EQ(ScramblePassword(ScramblePassword("a long password of 30 bytes!!")),
            "a long password of 30 bytes!!");
  EXPECT_EQ(ScramblePassword(""), "");
  EXPECT_EQ(ScramblePassword("abc"), std::string({'a' ^ 'M', 'b' ^ 'a', 'c' ^ 'r'}));
}

// Passwords whose scrambled form would break the line are stored escaped and
// read back exactly; the others are stored as the plain scrambled bytes.
TEST(ChannelRecord, PasswordsThatBreakTheLineAreEscaped) {
  // "M" first scrambles to a zero byte, "1" first to "|", "xlx" to "5" CR LF,
  // two zero bytes to "Ma".
  for (const std::string& plain :
       {std::string("Mask"), std::string("1"), std::string("12"), std::string("xlx"),
        std::string("safe"), std::string("x1"), std::string("\0\0x", 3)}) {
    ChannelRecord record = World();
    record.password = ScramblePassword(plain);
    record.loginUrl = "L";
    record.negativeLinkTextFilter = "T";
    std::string line;
    FormatChannel(record, line);
    EXPECT_EQ(line.find_first_of(std::string("\0\r\n", 3)), std::string::npos) << plain;
    ChannelRecord read;
    ParseChannel(read, line);
    EXPECT_EQ(ScramblePassword(read.password), plain);
    EXPECT_EQ(read.loginUrl, "L");  // the fields after it are in place
    EXPECT_EQ(read.negativeLinkTextFilter, "T");
  }
  // A password without such bytes is stored exactly as scrambled.
  EXPECT_EQ(EncodePasswordField(ScramblePassword("abcd")), ScramblePassword("abcd"));
  EXPECT_EQ(EncodePasswordField(ScramblePassword("1")), "Ma7c");
  EXPECT_EQ(DecodePasswordField("Ma3"), "Ma3");    // odd length: not escaped
  EXPECT_EQ(DecodePasswordField("Ma3x"), "Ma3x");  // not hexadecimal
  EXPECT_EQ(ScramblePassword(DecodePasswordField("Ma")), "");
}

// The stored fields that the crawler's tests read back too: the program writes
// exactly these.
TEST(ChannelRecord, SharedPasswordVectors) {
  std::ifstream file(TEST_DATA_DIR "/password_fields.txt");
  ASSERT_TRUE(file) << "tests/data/password_fields.txt";
  const auto bytes = [](const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
      out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
  };
  int vectors = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    const size_t second = line.find('\t', tab + 1);
    const std::string plain = bytes(line.substr(0, tab));
    const std::string field = bytes(line.substr(tab + 1, second - tab - 1));
    // Fields marked "read" are what an earlier version wrote: still read.
    if (second == std::string::npos) {
      EXPECT_EQ(EncodePasswordField(ScramblePassword(plain)), field) << line;
    }
    EXPECT_EQ(ScramblePassword(DecodePasswordField(field)), plain) << line;
    ++vectors;
  }
  EXPECT_GE(vectors, 10);
}

TEST(ChannelRecord, TextsThatBreakTheLineAreRefused) {
  EXPECT_EQ(CheckChannelTexts(Distinct()), "");
  for (const char* bad : {"a||b", "a\rb", "a\nb", "ends|"}) {
    ChannelRecord record = World();
    record.endRemarkString = bad;
    EXPECT_NE(CheckChannelTexts(record).find("End Remark String"), std::string::npos) << bad;
  }
  ChannelRecord record = World();
  record.name = "News|";
  EXPECT_NE(CheckChannelTexts(record).find("\"Name\""), std::string::npos);
  record.name = "News";
  record.password = ScramblePassword("1");  // escaped when stored, so accepted
  EXPECT_EQ(CheckChannelTexts(record), "");
}

}  // namespace
}  // namespace brevora
