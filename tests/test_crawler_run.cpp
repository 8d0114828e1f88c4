// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run with the real crawler on the Java runtime over the demo channel,
// the real speech engine and MP3 encoder: what a user gets from "Run Now".
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "audio/audio_converter.h"
#include "channels/channel_editor_rules.h"
#include "channels/channel_record.h"
#include "fakes/temp_folder.h"
#include "platform/cancel_event.h"
#include "run/command_line.h"
#include "run/run_progress.h"
#include "run/run_worker.h"
#include "speech/espeak_engine.h"

namespace brevora {
namespace {

namespace fs = std::filesystem;

class DemoRun : public RunParameters {
 public:
  DemoRun(const std::string& root, SpeechEngine* engine)
      : program(root + "program/"),
        work(root + "work"),
        exec(root + "exec"),
        engine_(engine),
        converter_(program + "Brevora.log") {}

  std::string ProgramFolder() const override { return program; }
  std::string WorkingFolder() const override { return work; }
  std::string ExecutingFolder() const override { return exec; }
  std::string OutputFormat() const override { return "mp3"; }
  std::string SelectedVoiceToken() const override { return ""; }
  SpeechEngine* SpeechVoice() override { return engine_; }
  Converter& TheConverter() override { return converter_; }
  bool CancelRequested() const override { return false; }
  CancelEvent& TheCancelEvent() override { return cancel_; }
  RunLog& Log() override { return converter_.Log(); }
  void RunFinished() override { ++finished; }

  std::string program, work, exec;
  int finished = 0;

 private:
  SpeechEngine* engine_;
  CAudioConverter converter_;
  CancelEvent cancel_;
};

std::string Read(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// A program folder below `root` with the built crawler and command
// interpreter, the demo feeds, the icons and the Demo channel chosen in the
// mp3 format. The program folder comes first, so that the run's log is opened
// in it; the working and executing folders are new: a first run.
std::unique_ptr<DemoRun> DemoProgram(testing::TempFolder& root, SpeechEngine* engine) {
  fs::create_directories(root.path() + "program");
  auto run = std::make_unique<DemoRun>(root.path(), engine);
  const fs::path built = PROGRAM_FOLDER;
  for (const char* name :
       {"Brevora.jar", "htmlparser.jar", "juniversalchardet.jar", "brevora-cmd"}) {
    fs::create_symlink(built / name, fs::path(run->program) / name);
  }
  fs::copy(built / "feeds", fs::path(run->program) / "feeds", fs::copy_options::recursive);
  fs::copy(built / "icons", fs::path(run->program) / "icons", fs::copy_options::recursive);
  ChannelRecord demo;
  demo.name = "Demo";
  demo.url = "feeds/demo.xml";
  demo.rssFilter = kDefaultRssFilter;
  std::string line;
  FormatChannel(demo, line);
  root.Write("program/Channels.txt", line + "\r\n");
  root.Write("program/Brevora.cfg", "WorkingFolder=" + run->work + "\r\nExecutingFolder=" +
                                        run->exec + "\r\nChannels=Demo\r\nFormat=mp3\r\n");
  unsetenv("JAVA_HOME");  // the runtime on the search path
  return run;
}

// The demo channel from "Run Now" on a first run: MP3 files, NewsXML.xml,
// playlists and pages in the executing folder's Top, every playlist entry a
// published file, the icons beside Top, and nothing in Brevora.log.
TEST(CrawlerRun, DemoChannelPublishesSpokenNews) {
  auto engine = EspeakEngine::Create();
  ASSERT_NE(engine, nullptr);
  testing::TempFolder root;
  const auto run = DemoProgram(root, engine.get());
  RunWorker(*run);
  EXPECT_EQ(run->finished, 1);
  EXPECT_EQ(root.Read("program/Brevora.log"), "");
  const fs::path top = fs::path(run->exec) / "Top";
  EXPECT_TRUE(fs::exists(top / "NewsXML.xml"));
  EXPECT_TRUE(fs::exists(top / "index.html"));
  EXPECT_TRUE(fs::exists(top / "Demo" / "Demo.html"));
  EXPECT_TRUE(fs::exists(top / "Demo" / "Demo.asx"));
  EXPECT_TRUE(fs::exists(fs::path(run->exec) / "icons" / "audio.png"));
  std::istringstream playlist(Read(top / "Demo" / "Demo.m3u"));
  int entries = 0;
  for (std::string entry; std::getline(playlist, entry);) {
    if (entry.empty() || entry[0] == '#') continue;
    ++entries;
    EXPECT_GT(fs::file_size(top / "Demo" / entry), 1000u) << entry;
  }
  EXPECT_EQ(entries, 5);
  EXPECT_FALSE(fs::exists(top / "Demo" / "Listening" / "01 Playlists and pages.txt"));
  EXPECT_TRUE(fs::exists(top / "podcast.xml"));
  EXPECT_TRUE(fs::exists(top / "Demo" / "podcast.xml"));
}

// The published podcast feed as a feed reader sees it: well formed, five
// episodes, each with an enclosure of the published file's length and type.
TEST(CrawlerRun, DemoPodcastFeedReadsAsAFeed) {
  if (std::system("/usr/bin/python3 -c 'import feedparser' 2>/dev/null") != 0) {
    GTEST_SKIP() << "python3-feedparser is not installed";
  }
  auto engine = EspeakEngine::Create();
  ASSERT_NE(engine, nullptr);
  testing::TempFolder root;
  const auto run = DemoProgram(root, engine.get());
  RunWorker(*run);
  ASSERT_EQ(root.Read("program/Brevora.log"), "");
  // For each episode: its enclosure's file exists with the stated length.
  const std::string check =
      "import feedparser, os, sys, urllib.parse\n"
      "top = sys.argv[1]\n"
      "feed = feedparser.parse(os.path.join(top, 'podcast.xml'))\n"
      "assert not feed.bozo, feed.bozo_exception\n"
      "assert len(feed.entries) == 5, len(feed.entries)\n"
      "for e in feed.entries:\n"
      "    (enc,) = e.enclosures\n"
      "    assert enc.type == 'audio/mpeg', enc.type\n"
      "    path = os.path.join(top, urllib.parse.unquote(enc.href))\n"
      "    assert int(enc.length) == os.path.getsize(path), (enc.length, path)\n"
      "    assert e.title and e.id and e.itunes_duration and e.published_parsed\n";
  root.Write("check.py", check);
  EXPECT_EQ(
      std::system(("/usr/bin/python3 " + root.path() + "check.py '" + run->exec + "/Top'").c_str()),
      0);
}

// "--run-now": the Demo channel from a data folder of its own, without a
// window or a display: the phases and files as lines, the published files,
// exit 0; without Brevora.cfg exit 2 and why.
TEST(CrawlerRun, RunNowWithoutAWindow) {
  testing::TempFolder root;
  const std::string data = root.path() + "data";
  const std::string run = QuoteArgument(BREVORA_PATH) + " --run-now --data-folder " +
                          QuoteArgument(data) + " > " + QuoteArgument(root.path() + "out") +
                          " 2>&1";
  const auto exitCode = [&] {
    const int status = std::system(("env -u DISPLAY -u WAYLAND_DISPLAY " + run).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(exitCode(), 2);
  EXPECT_EQ(root.Read("out"), "Brevora.cfg not found in " + data +
                                  "/: brevora --config WorkingFolder=DIR ExecutingFolder=DIR "
                                  "Channels=NAME Format=mp3 makes one\n");
  ChannelRecord demo;
  demo.name = "Demo";
  demo.url = std::string(PROGRAM_FOLDER) + "/feeds/demo.xml";
  demo.rssFilter = kDefaultRssFilter;
  std::string line;
  FormatChannel(demo, line);
  root.Write("data/Channels.txt", line + "\r\n");
  root.Write("data/Brevora.cfg", "WorkingFolder=" + root.path() +
                                     "work\r\nExecutingFolder=" + root.path() +
                                     "exec\r\nStartDownloading=Mon\r\n"
                                     "StartTimes=07:00:00,17:00:00\r\nChannels=Demo\r\n"
                                     "Format=mp3\r\nVoice=\r\nAdvanced=False\r\n");
  EXPECT_EQ(exitCode(), 0) << root.Read("out");
  const std::string out = root.Read("out");
  EXPECT_TRUE(out.starts_with("Clearing the working folder...\nCrawling the channels...\n")) << out;
  EXPECT_NE(out.find("Speaking article 5 of 5: "), std::string::npos) << out;
  EXPECT_TRUE(out.ends_with("5 of 5 articles converted.\n")) << out;
  EXPECT_TRUE(fs::exists(root.path() + "exec/Top/podcast.xml"));
  EXPECT_TRUE(fs::exists(root.path() + "exec/icons/brevora.png"));
  EXPECT_EQ(root.Read("data/Brevora.log"), "");
}

}  // namespace
}  // namespace brevora
