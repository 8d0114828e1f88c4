// SPDX-License-Identifier: GPL-3.0-or-later
// The publishing step of a run: tags, durations and podcast feeds over a
// small working folder, as the crawler and the pass leave it.
#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/urllinkframe.h>
#include <taglib/wavfile.h>

#include <QString>
#include <QUrl>
#include <QXmlStreamReader>
#include <filesystem>
#include <map>
#include <vector>

#include "base/run_log.h"
#include "fakes/audio.h"
#include "fakes/temp_folder.h"
#include "publishing/audio_tags.h"
#include "publishing/feed_dates.h"
#include "publishing/news_index.h"
#include "publishing/page_annotations.h"
#include "publishing/podcast.h"
#include "publishing/podcast_feed.h"

namespace brevora {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

// NewsXML.xml as the crawler writes it: two articles of "Demo"; the second
// has a title that must not break a feed.
std::string NewsIndex(const std::string& extension) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<news generator=\"Brevora\" date=\"x\" "
         "format=\"mp3\">\n  <channel name=\"Demo &amp; Co\" url=\"feeds/demo.xml\">\n"
         "    <category name=\"Getting started\">\n      <article>\n"
         "        <title>Your first run</title>\n        "
         "<url>http://news.example/first?a=1&amp;b=2</url>\n"
         "        <date>Mon, 07 Dec 2026 09:30:00 +0100</date>\n"
         "        <text>Demo/Getting started/01 Your first run.txt</text>\n"
         "        <audio>Demo/Getting started/01 Your first run" +
         extension +
         "</audio>\n"
         "      </article>\n      <article>\n        <title>Fish &lt;&amp;&gt; chips "
         "\xEF\xBF\xBF</title>\n"
         "        <url></url>\n        <date>2026-12-06T08:00:00Z</date>\n"
         "        <text>Demo/Getting started/02 Fish chips.txt</text>\n"
         "        <audio>Demo/Getting started/02 Fish chips" +
         extension +
         "</audio>\n"
         "      </article>\n    </category>\n  </channel>\n</news>\n";
}

// A working folder's Top after a run: the index, the texts, the audio files
// (one the index does not list), the playlist and the page.
struct Tree {
  TempFolder folder;
  std::string extension;
  std::map<std::string, std::string> audio;      // path below Top: bytes before tagging
  std::map<std::string, std::string> languages;  // the language each article was read in

  explicit Tree(const std::string& ext) : extension(ext) {
    folder.Write("program/icons/brevora.png", "\x89PNG\r\n\x1a\nicon");
    folder.Write("work/Top/NewsXML.xml", NewsIndex(ext));
    const std::string base = "Demo/Getting started/";
    AddAudio(base + "01 Your first run", 2);
    AddAudio(base + "02 Fish chips", 3);
    AddAudio("Demo/Extra/01 Unlisted", 1);
    folder.Write("work/Top/" + base + "01 Your first run.txt",
                 "Your first run\n\n" + std::string(400, 'a') + " " + std::string(50, 'b'));
    folder.Write("work/Top/" + base + "02 Fish chips.txt", "Fish\n\nShort text.");
    folder.Write("work/Top/Demo/Demo.m3u",
                 "#EXTM3U\n#EXTINF:-1,Your first run\nGetting started/01 Your first run" + ext +
                     "\n#EXTINF:-1,Gone\nGetting started/09 Gone" + ext + "\n");
    folder.Write("work/Top/Demo/Demo.html",
                 "<html>\n<head>\n<title>Demo</title>\n</head>\n<body><audio controls "
                 "preload=\"none\" src=\"Getting%20started/01%20Your%20first%20run" +
                     ext + "\"></audio> <a href=\"x\">Download</a></body></html>\n");
    folder.Write("work/Top/index.html", "<html><head><title>All</title></head></html>\n");
  }

  void AddAudio(const std::string& stem, int seconds) {
    std::string bytes;
    if (extension == ".mp3") {
      bytes = testing::MakeMp3(seconds);
    } else {
      bytes = testing::MakeWav(testing::Tone(static_cast<size_t>(seconds) * 16000), 16000);
    }
    audio[stem + extension] = bytes;
    folder.Write("work/Top/" + stem + extension, bytes);
  }

  bool Publish(const std::string& address = {}, const std::string& ownerEmail = {}) {
    RunLog log;
    log.Open(folder.path() + "Brevora.log");
    PodcastOptions options;
    options.workingFolder = folder.path() + "work";
    options.programFolder = folder.path() + "program/";
    options.format = extension.substr(1);
    options.language = "en-gb";
    options.address = address;
    options.ownerEmail = ownerEmail;
    options.runTime = 1796472000;  // 2026-12-05 12:00 UTC
    options.articleLanguages = languages;
    return PublishPodcast(options, log);
  }

  std::string Top(const std::string& path) const { return folder.Read("work/Top/" + path); }
};

// The items of a feed, each as its elements' texts and the enclosure's
// attributes; empty when the feed is not well-formed XML.
std::vector<std::map<std::string, std::string>> Items(const std::string& feed) {
  std::vector<std::map<std::string, std::string>> items;
  QXmlStreamReader xml(QString::fromStdString(feed));
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    const std::string name = xml.qualifiedName().toString().toStdString();
    if (name == "item") {
      items.emplace_back();
    } else if (!items.empty() && name == "enclosure") {
      for (const auto& attribute : xml.attributes()) {
        items.back()["enclosure." + attribute.name().toString().toStdString()] =
            attribute.value().toString().toStdString();
      }
    } else if (!items.empty()) {
      items.back()[name] = xml.readElementText().toStdString();
    }
  }
  if (xml.hasError()) return {};
  return items;
}

std::string TextFrame(TagLib::ID3v2::Tag& tag, const char* id) {
  const auto& frames = tag.frameListMap()[id];
  return frames.isEmpty() ? std::string() : frames.front()->toString().to8Bit(true);
}

// MP3 files get every tag, their audio stays as it was; the playlist, the
// page and the index get the durations; the feeds hold one item per audio
// file with its exact length, escaped texts and dates in RFC 822 form.
TEST(PodcastPublishing, Mp3TagsDurationsAndFeeds) {
  Tree tree(".mp3");
  ASSERT_TRUE(tree.Publish());
  EXPECT_EQ(tree.folder.Read("Brevora.log"), "");

  const std::string first = "Demo/Getting started/01 Your first run.mp3";
  {
    TagLib::MPEG::File file((tree.folder.path() + "work/Top/" + first).c_str());
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->header()->majorVersion(), 4u);
    EXPECT_EQ(TextFrame(*tag, "TIT2"), "Your first run");
    EXPECT_EQ(TextFrame(*tag, "TPE1"), "Demo & Co");
    EXPECT_EQ(TextFrame(*tag, "TPE2"), "Demo & Co");
    EXPECT_EQ(TextFrame(*tag, "TALB"), "Demo & Co - Getting started");
    EXPECT_EQ(TextFrame(*tag, "TRCK"), "1");
    EXPECT_EQ(TextFrame(*tag, "TDRC"), "2026-12-07");
    EXPECT_EQ(TextFrame(*tag, "TCON"), "Podcast");
    EXPECT_EQ(TextFrame(*tag, "WOAS"), "http://news.example/first?a=1&b=2");
    ASSERT_FALSE(tag->frameListMap()["APIC"].isEmpty());
    auto* cover =
        static_cast<TagLib::ID3v2::AttachedPictureFrame*>(tag->frameListMap()["APIC"].front());
    EXPECT_EQ(cover->mimeType().to8Bit(), "image/png");
  }
  // The audio after the tag is the encoder's, byte for byte.
  for (const auto& [path, before] : tree.audio) {
    const std::string after = tree.Top(path);
    ASSERT_TRUE(after.starts_with("ID3")) << path;
    EXPECT_TRUE(after.ends_with(before)) << path;
    EXPECT_GT(testing::DecodeMp3Samples(after), 8000) << path;
  }

  EXPECT_EQ(tree.Top("Demo/Demo.m3u"),
            "#EXTM3U\n#EXTINF:2,Your first run\nGetting started/01 Your first run.mp3\n"
            "#EXTINF:-1,Gone\nGetting started/09 Gone.mp3\n");
  const std::string page = tree.Top("Demo/Demo.html");
  EXPECT_NE(page.find("Download</a> <small>0:02</small>"), std::string::npos) << page;
  EXPECT_NE(page.find("<link rel=\"alternate\" type=\"application/rss+xml\" title=\"Podcast\" "
                      "href=\"podcast.xml\">\n</head>"),
            std::string::npos);
  EXPECT_NE(tree.Top("index.html").find("href=\"podcast.xml\""), std::string::npos);
  const std::string index = tree.Top("NewsXML.xml");
  EXPECT_NE(index.find("run.mp3</audio>\n        <duration>2</duration>"), std::string::npos);
  EXPECT_NE(index.find("chips.mp3</audio>\n        <duration>3</duration>"), std::string::npos);

  const auto all = Items(tree.Top("podcast.xml"));
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].at("title"), "Your first run");
  EXPECT_EQ(all[0].at("link"), "http://news.example/first?a=1&b=2");
  EXPECT_EQ(all[0].at("pubDate"), "Mon, 07 Dec 2026 08:30:00 +0000");
  EXPECT_EQ(all[0].at("description"), std::string(400, 'a').substr(0, 300) + "...");
  EXPECT_EQ(all[0].at("enclosure.url"), "Demo/Getting%20started/01%20Your%20first%20run.mp3");
  EXPECT_EQ(all[0].at("enclosure.type"), "audio/mpeg");
  EXPECT_EQ(all[0].at("itunes:duration"), "0:02");
  EXPECT_EQ(all[1].at("title"), "Fish <&> chips ");
  EXPECT_EQ(all[1].at("pubDate"), "Sun, 06 Dec 2026 08:00:00 +0000");
  EXPECT_EQ(all[2].at("title"), "Unlisted");                           // what its path says
  EXPECT_EQ(all[2].at("pubDate"), "Sat, 05 Dec 2026 12:00:00 +0000");  // the run's
  for (const auto& item : all) {
    const std::string path =
        "work/Top/" + QUrl::fromPercentEncoding(QByteArray::fromStdString(item.at("enclosure.url")))
                          .toStdString();
    EXPECT_EQ(item.at("enclosure.length"),
              std::to_string(fs::file_size(tree.folder.path() + path)));
  }
  const auto demo = Items(tree.Top("Demo/podcast.xml"));
  ASSERT_EQ(demo.size(), 3u);
  EXPECT_EQ(demo[0].at("enclosure.url"), "Getting%20started/01%20Your%20first%20run.mp3");
  // What a strict directory asks of the channel: its own address, the square cover as RSS
  // image and itunes:image, category, type, author and owner (no e-mail where none was given).
  const std::string channel = tree.Top("Demo/podcast.xml");
  for (const char* element :
       {"<atom:link href=\"podcast.xml\" rel=\"self\" type=\"application/rss+xml\"/>",
        "<image>\n    <url>../../icons/cover.png</url>\n    <title>Demo &amp; Co</title>\n    "
        "<link>Demo.html"
        "</link>\n  </image>",
        "<itunes:image href=\"../../icons/cover.png\"/>", "<itunes:category text=\"News\"/>",
        "<itunes:type>episodic</itunes:type>", "<itunes:author>Brevora</itunes:author>",
        "<itunes:owner>\n    <itunes:name>Brevora</itunes:name>\n  </itunes:owner>"}) {
    EXPECT_NE(channel.find(element), std::string::npos) << element << "\n" << channel;
  }
  EXPECT_NE(tree.Top("podcast.xml").find("<language>en-gb</language>"), std::string::npos);
}

// The language each article was read in: its TLAN tag (ISO 639-2), its
// item in the index, and the channel feed's language, the most common one;
// an article of unknown language takes the voice's.
TEST(PodcastPublishing, Languages) {
  Tree tree(".mp3");
  tree.languages = {{"Demo/Getting started/01 Your first run.txt", "fr-CA"},
                    {"Demo/Getting started/02 Fish chips.txt", "fr-CA"}};
  ASSERT_TRUE(tree.Publish());
  const auto language = [&](const std::string& path) {
    TagLib::MPEG::File file((tree.folder.path() + "work/Top/" + path).c_str());
    return TextFrame(*file.ID3v2Tag(), "TLAN");
  };
  EXPECT_EQ(language("Demo/Getting started/01 Your first run.mp3"), "fre");
  EXPECT_EQ(language("Demo/Extra/01 Unlisted.mp3"), "eng");
  const std::string index = tree.Top("NewsXML.xml");
  EXPECT_NE(index.find("+0100</date>\n        <language>fr-CA</language>\n        <text>"),
            std::string::npos)
      << index;
  EXPECT_NE(tree.Top("Demo/podcast.xml").find("<language>fr-CA</language>"), std::string::npos);
  // Each entry of a channel's page says its language, once.
  const std::string page =
      "<ul><li><p><b>A</b><audio controls preload=\"none\" src=\"Cat/01%20A.mp3\"></audio> "
      "<a href=\"Cat/01%20A.mp3\">Download</a></p></li></ul>";
  const fs::path top = "/t/Top";
  const std::map<std::string, std::string> languages = {{"Ch/Cat/01 A.mp3", "fr-CA"}};
  const std::string annotated = PageWithFeedAndDurations(page, top / "Ch", {}, top, languages);
  EXPECT_EQ(annotated.substr(0, 24), "<ul><li lang=\"fr-CA\"><p>");
  EXPECT_EQ(PageWithFeedAndDurations(annotated, top / "Ch", {}, top, languages), annotated);
  EXPECT_EQ(Iso639Part2("zh-Hant"), "chi");
  EXPECT_EQ(Iso639Part2("tlh"), "");
}

// The index read through a parser: the same articles whatever legal form it
// takes (attributes in another order and quotes, CDATA, comments, character
// references, another encoding); a document broken part way keeps what
// came before the break.
TEST(PodcastPublishing, IndexInOtherLegalForms) {
  const std::string latin1 =
      "<?xml version='1.0' encoding='ISO-8859-1'?>\n<!-- by hand -->\n"
      "<news><channel url='feeds/x.xml' name='Caf\xe9 &amp; Co'><category name=\"World\">"
      "<article><!-- first --><title><![CDATA[Fish <&> chips]]></title>"
      "<url>http://a.example/?q=1&amp;r=2</url><date>2026-12-06</date>"
      "<text>Caf\xe9 &amp; Co/World/01 Fish.txt</text>"
      "<audio>Caf&#233; &amp; Co/World/01 Fish.mp3</audio><language>fr</language></article>"
      "<article><title>Two<!-- split -->parts</title><audio>C/W/02 B.mp3</audio></article>"
      "</category></channel></news>";
  const std::vector<PodcastArticle> articles = ReadNewsIndex(latin1);
  ASSERT_EQ(articles.size(), 2u);
  EXPECT_EQ(articles[0].channel, "Caf\xc3\xa9 & Co");
  EXPECT_EQ(articles[0].category, "World");
  EXPECT_EQ(articles[0].title, "Fish <&> chips");
  EXPECT_EQ(articles[0].url, "http://a.example/?q=1&r=2");
  EXPECT_EQ(articles[0].textPath, "Caf\xc3\xa9 & Co/World/01 Fish.txt");
  EXPECT_EQ(articles[0].audioPath, "Caf\xc3\xa9 & Co/World/01 Fish.mp3");
  EXPECT_EQ(articles[0].language, "fr");
  EXPECT_EQ(articles[0].track, 1);
  EXPECT_EQ(articles[1].title, "Twoparts");
  EXPECT_EQ(articles[1].track, 2);
  // The publishing step's annotations change those elements only: every other byte stays.
  const std::string fish = "Caf\xc3\xa9 & Co/World/01 Fish.mp3";
  const std::string annotated = AnnotatedIndex(latin1, {{fish, 3}, {"C/W/02 B.mp3", 7}},
                                               {{fish, "de"}, {"C/W/02 B.mp3", "x y"}});
  std::string expected = latin1;
  expected.replace(expected.find("<language>fr"), 23, "<language>de</language>");
  expected.insert(expected.find("Fish.mp3</audio>") + 16, "\n        <duration>3</duration>");
  expected.insert(expected.find("B.mp3</audio>") + 13, "\n        <duration>7</duration>");
  EXPECT_EQ(annotated, expected);
  EXPECT_EQ(AnnotatedIndex(annotated, {{fish, 4}}, {}),
            std::string(expected).replace(expected.find("<duration>3"), 11, "<duration>4"));
  // A character XML refuses costs only its own title; what follows it is still read.
  const std::string refused =
      NewsIndex(".mp3").replace(NewsIndex(".mp3").find("first run<"), 5, "fi\x01rst");
  ASSERT_EQ(ReadNewsIndex(refused).size(), 2u);
  EXPECT_EQ(ReadNewsIndex(refused)[0].title, "Your first run");
  EXPECT_EQ(ReadNewsIndex(refused)[1].title, "Fish <&> chips ");
  const std::string broken =
      "<news><channel name=\"C\"><category name=\"W\"><article>"
      "<title>Kept</title></article><article><title>Cut";
  const std::vector<PodcastArticle> kept = ReadNewsIndex(broken);
  ASSERT_GE(kept.size(), 1u);
  EXPECT_EQ(kept[0].title, "Kept");
  EXPECT_TRUE(ReadNewsIndex("not xml at all <<<").empty());
}

// The same articles give the same guids on the next run; with a podcast
// address every address is absolute.
TEST(PodcastPublishing, StableGuidsAndAbsoluteAddresses) {
  Tree first(".mp3"), second(".mp3");
  ASSERT_TRUE(first.Publish());
  ASSERT_TRUE(second.Publish("http://myserver/news/", "jo@example.org"));
  const auto before = Items(first.Top("podcast.xml"));
  const auto after = Items(second.Top("podcast.xml"));
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i].at("guid"), before[i].at("guid"));
  EXPECT_NE(before[0].at("guid"), before[1].at("guid"));
  EXPECT_EQ(after[0].at("enclosure.url"),
            "http://myserver/news/Top/Demo/Getting%20started/01%20Your%20first%20run.mp3");
  const std::string feed = second.Top("Demo/podcast.xml");
  EXPECT_NE(feed.find("<link>http://myserver/news/Top/Demo/Demo.html</link>"), std::string::npos);
  EXPECT_NE(feed.find("<itunes:image href=\"http://myserver/news/icons/cover.png\"/>"),
            std::string::npos);
  EXPECT_NE(feed.find("<atom:link href=\"http://myserver/news/Top/Demo/podcast.xml\" rel=\"self\""),
            std::string::npos);
  EXPECT_NE(feed.find("<itunes:owner>\n    <itunes:name>Brevora</itunes:name>\n    <itunes:email>"
                      "jo@example.org</itunes:email>\n  </itunes:owner>"),
            std::string::npos)
      << feed;
}

// An episode keeps its guid when the next run numbers it otherwise, whether
// it has an address or not; a local channel's file paths reach no feed and no
// tag.
TEST(PodcastPublishing, EpisodeIdentityAndLocalPaths) {
  Tree first(".mp3"), next(".mp3");
  ASSERT_TRUE(first.Publish());
  // The next run finds a new story first: the same two articles are numbered 02 and 03.
  const std::string folder = next.folder.path() + "work/Top/Demo/Getting started/";
  std::string index = next.Top("NewsXML.xml");
  for (const auto& [from, to] : {std::pair("02 Fish", "03 Fish"), {"01 Your", "02 Your"}}) {
    for (const char* extension : {".mp3", ".txt"}) {
      const std::string stem = from == std::string("02 Fish") ? " chips" : " first run";
      fs::rename(folder + from + stem + extension, folder + to + stem + extension);
    }
    for (size_t at; (at = index.find(from)) != std::string::npos;) index.replace(at, 7, to);
  }
  next.folder.Write("work/Top/NewsXML.xml", index);
  ASSERT_TRUE(next.Publish());
  const auto before = Items(first.Top("podcast.xml"));
  const auto after = Items(next.Top("podcast.xml"));
  ASSERT_EQ(before.size(), 3u);
  ASSERT_EQ(after.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(after[i].at("title"), before[i].at("title"));
    EXPECT_EQ(after[i].at("guid"), before[i].at("guid")) << before[i].at("title");
  }
  EXPECT_NE(after[1].at("enclosure.url"), before[1].at("enclosure.url"));

  Tree local(".mp3");
  std::string localIndex = local.Top("NewsXML.xml");
  localIndex.replace(localIndex.find("feeds/demo.xml"), 14, "/home/jo/private/feed.xml");
  localIndex.replace(localIndex.find("http://news.example/first?a=1&amp;b=2"), 37,
                     "file:///home/jo/private/first.html");
  localIndex.replace(localIndex.find("<url></url>"), 11, "<url>/home/jo/private/fish.html</url>");
  local.folder.Write("work/Top/NewsXML.xml", localIndex);
  ASSERT_TRUE(local.Publish());
  for (const char* file :
       {"podcast.xml", "Demo/podcast.xml", "Demo/Getting started/01 Your first run.mp3",
        "Demo/Getting started/02 Fish chips.mp3", "Demo/Demo.html"}) {
    EXPECT_EQ(local.Top(file).find("/home/jo"), std::string::npos) << file;
  }
  const auto items = Items(local.Top("podcast.xml"));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].count("link"), 0u);
  EXPECT_NE(items[0].at("guid"), items[1].at("guid"));
}

// WAV files get a LIST INFO chunk and their feed items the WAV type. A
// duration is rounded to the nearest second everywhere it is written.
TEST(PodcastPublishing, WavFilesAndRoundedDurations) {
  Tree tree(".wav");
  const std::string first = "Demo/Getting started/01 Your first run.wav";
  const std::string second = "Demo/Getting started/02 Fish chips.wav";
  tree.folder.Write("work/Top/" + first, testing::MakeWav(testing::Tone(41600), 16000));   // 2.6 s
  tree.folder.Write("work/Top/" + second, testing::MakeWav(testing::Tone(38400), 16000));  // 2.4 s
  ASSERT_TRUE(tree.Publish());
  TagLib::RIFF::WAV::File file((tree.folder.path() + "work/Top/" + second).c_str());
  ASSERT_TRUE(file.hasInfoTag());
  EXPECT_EQ(file.InfoTag()->title().to8Bit(true), "Fish <&> chips ");  // U+FFFF left out
  EXPECT_EQ(file.InfoTag()->artist().to8Bit(true), "Demo & Co");
  const auto items = Items(tree.Top("podcast.xml"));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].at("enclosure.type"), "audio/wav");
  EXPECT_EQ(items[0].at("itunes:duration"), "0:03");
  EXPECT_EQ(items[1].at("itunes:duration"), "0:02");
  EXPECT_NE(tree.Top("Demo/Demo.m3u").find("#EXTINF:3,Your first run\n"), std::string::npos);
  EXPECT_NE(tree.Top("Demo/Demo.html").find("Download</a> <small>0:03</small>"), std::string::npos);
  const std::string index = tree.Top("NewsXML.xml");
  EXPECT_NE(index.find("run.wav</audio>\n        <duration>3</duration>"), std::string::npos);
  EXPECT_NE(index.find("chips.wav</audio>\n        <duration>2</duration>"), std::string::npos);
}

TEST(PodcastPublishing, Rules) {
  // Whatever its texts hold, a feed is well-formed: controls, noncharacters, bytes that are
  // not UTF-8, markup.
  PodcastArticle hostile;
  hostile.title = "A\x02]]>\xff\xEF\xBF\xBE<b>\"";
  hostile.url = "http://a/?x=1&y=\x03";
  hostile.audioPath = "C/x/01 A.mp3";
  const auto items = Items(PodcastFeed({"T\x01<&>", "", "", "podcast.xml", "", 0, ""}, {hostile}));
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].at("title"), "A]]>\xEF\xBF\xBD<b>\"");
  EXPECT_EQ(items[0].at("link"), "http://a/?x=1&y=");
  EXPECT_EQ(Rfc822Date("Tue, 8 Dec 2026 10:00:00 GMT", 0), "Tue, 08 Dec 2026 10:00:00 +0000");
  EXPECT_EQ(Rfc822Date("2026-12-08T10:00:00.5-05:00", 0), "Tue, 08 Dec 2026 15:00:00 +0000");
  EXPECT_EQ(Rfc822Date("2026-12-08", 0), "Tue, 08 Dec 2026 00:00:00 +0000");
  EXPECT_EQ(Rfc822Date("yesterday", 86400), "Fri, 02 Jan 1970 00:00:00 +0000");
  EXPECT_EQ(ClockDuration(3725), "1:02:05");
  EXPECT_EQ(StableGuid("http://a/1"), StableGuid("http://a/1"));
  EXPECT_NE(StableGuid("http://a/1"), StableGuid("http://a/2"));
  for (const char* good : {"", "http://myserver/news/", "https://a.example:8080/x"}) {
    EXPECT_EQ(PodcastAddressProblem(good), "") << good;
  }
  for (const char* bad : {"myserver/news", "ftp://a/", "http://", "http:///x", "http://a b/",
                          "http://a/?q=1", "javascript:alert(1)"}) {
    EXPECT_NE(PodcastAddressProblem(bad), "") << bad;
  }
}

}  // namespace
}  // namespace brevora
