// SPDX-License-Identifier: GPL-3.0-or-later
// Runs without a window: --run-now and --scheduled over a program folder
// whose Java is a stand-in crawler.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "config/program_folders.h"
#include "config/program_settings.h"
#include "fakes/clock.h"
#include "fakes/fifo.h"
#include "fakes/temp_folder.h"
#include "platform/file_lock.h"
#include "platform/network.h"
#include "service/headless_run.h"

namespace brevora {
namespace {

using testing::Fifo;
using testing::TempFolder;

// The stand-in crawler: writes its process id, tells the test through the
// FIFO "started" that it runs, and waits forever.
const char kHangingCrawler[] = R"SCRIPT(#!/bin/sh
for P; do :; done
echo $$ > "${P}crawler.pid"
printf x > "${P}started"
exec sleep 600
)SCRIPT";

struct Program {
  TempFolder folder;
  ProgramFolders folders{folder.path(), folder.path()};
  HeadlessControl control;
  std::ostringstream out;

  Program() {
    symlink(BREVORA_CMD_PATH, (folder.path() + "brevora-cmd").c_str());
    chmod(folder.Write("java/bin/java", kHangingCrawler).c_str(), 0755);
    setenv("JAVA_HOME", (folder.path() + "java").c_str(), 1);
    folder.Write("Brevora.cfg", "WorkingFolder=" + folder.path() +
                                    "work\r\nExecutingFolder=" + folder.path() +
                                    "exec\r\nStartDownloading=Mon\r\n"
                                    "StartTimes=07:00:00,17:00:00\r\nChannels=News\r\n"
                                    "Format=text\r\nVoice=\r\nAdvanced=False\r\n");
  }
};

// --scheduled: ticks of an injected clock reach the start time and start a
// run; a stop (SIGTERM's handler) during the run ends the crawler with its
// process group and the program with exit code 0.
TEST(HeadlessRun, ScheduledRunStoppedBySignal) {
  Program p;
  Fifo started(p.folder.path() + "started");
  std::time_t now = testing::Monday(6, 59, 15);
  p.control.now = [&now] { return now += 15; };
  p.control.pause = [] {};
  std::thread signal([&] {
    started.WaitForWriter();
    p.control.Stop();
  });
  EXPECT_EQ(RunScheduled(p.folders, p.out, p.control), 0);
  signal.join();
  EXPECT_EQ(now, testing::Monday(7, 0, 0));  // no tick after the run
  const std::string out = p.out.str();
  EXPECT_TRUE(
      out.starts_with("Waiting for Mon 07:00.\nClearing the working folder...\n"
                      "Crawling the channels...\n"))
      << out;
  EXPECT_TRUE(out.ends_with("The run was stopped.\n")) << out;
  const pid_t crawler = std::atoi(p.folder.Read("crawler.pid").c_str());
  ASSERT_GT(crawler, 0);
  for (int i = 0; i < 1000 && !testing::ProcessEnded(crawler); ++i) std::this_thread::yield();
  EXPECT_TRUE(testing::ProcessEnded(crawler));
}

// A second --scheduled on the same data folder is refused with a reason and
// exit code 2, before it reads a setting; the first one's end frees it.
TEST(HeadlessRun, OneScheduleAtATime) {
  Program p;
  {
    const auto first = FileLock::TryLock(p.folder.path() + kScheduleLockName);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(RunScheduled(p.folders, p.out, p.control), 2);
    EXPECT_EQ(p.out.str(), "Brevora runs on the schedule of the data folder " + p.folder.path() +
                               " already; this one was not started\n");
  }
  p.control.Stop();
  std::ostringstream out;
  EXPECT_EQ(RunScheduled(p.folders, out, p.control), 0);
  EXPECT_TRUE(FileLock::TryLock(p.folder.path() + kScheduleLockName).has_value());
}

// --run-now while a run of the same data folder goes (its lock is held) is
// refused with a reason; bad settings are refused too.
TEST(HeadlessRun, RefusedWhileARunGoes) {
  Program p;
  {
    const auto lock = FileLock::TryLock(p.folder.path() + kRunLockName);
    ASSERT_TRUE(lock.has_value());
    EXPECT_FALSE(FileLock::TryLock(p.folder.path() + kRunLockName).has_value());
    EXPECT_EQ(RunHeadless(p.folders, p.out, p.control), 2);
    EXPECT_EQ(p.out.str(), "A run of the data folder " + p.folder.path() + " is going already\n");
  }
  EXPECT_TRUE(FileLock::TryLock(p.folder.path() + kRunLockName).has_value());  // released
  p.folder.Write("Brevora.cfg", "Format=text\r\n");
  std::ostringstream out;
  EXPECT_EQ(RunHeadless(p.folders, out, p.control), 2);
  EXPECT_TRUE(out.str().ends_with("Brevora.cfg sets no working folder\n")) << out.str();
}

// The stand-in crawler that leaves one article, whose text is $ARTICLE_TEXT
// (or $ARTICLE_BYTES letters), and ends well.
const char kOneArticleCrawler[] = R"SCRIPT(#!/bin/sh
for P; do :; done
mkdir -p "${P}work/Top/News/News"
if [ -n "$ARTICLE_BYTES" ]; then
  head -c "$ARTICLE_BYTES" /dev/zero | tr '\0' a > "${P}work/Top/News/News/01 Story.txt"
else
  printf '%s' "$ARTICLE_TEXT" > "${P}work/Top/News/News/01 Story.txt"
fi
printf '<html>news</html>' > "${P}work/Top/index.html"
)SCRIPT";

// --run-now's exit status tells a script what happened: 0 when the run
// published, 1 when it converted nothing of what the crawler left or the
// crawler left nothing.
TEST(HeadlessRun, ExitStatusForEachOutcome) {
  Program p;
  chmod(p.folder.Write("java/bin/java", kOneArticleCrawler).c_str(), 0755);
  setenv("ARTICLE_TEXT", "Story\n\nThe whole story.", 1);
  EXPECT_EQ(RunHeadless(p.folders, p.out, p.control), 0);
  EXPECT_TRUE(
      p.out.str().ends_with("Publishing into the executing folder...\nPublished the text.\n"))
      << p.out.str();
  EXPECT_EQ(p.folder.Read("exec/Top/index.html"), "<html>news</html>");

  // An article too large to speak: nothing converted, nothing new published.
  p.folder.Write("Brevora.cfg",
                 p.folder.Read("Brevora.cfg")
                     .replace(p.folder.Read("Brevora.cfg").find("Format=text"), 11, "Format=mp3"));
  setenv("ARTICLE_BYTES", std::to_string((1 << 20) + 1).c_str(), 1);
  std::ostringstream silent;
  EXPECT_EQ(RunHeadless(p.folders, silent, p.control), 1);
  EXPECT_TRUE(
      silent.str().ends_with("0 of 1 articles converted. 2 problems written to Brevora.log.\n"))
      << silent.str();
  EXPECT_FALSE(std::filesystem::exists(p.folder.path() + "exec/Top/News/News/01 Story.mp3"));
  EXPECT_NE(p.folder.Read("Brevora.log").find("01 Story.txt is larger than 1048576 bytes"),
            std::string::npos);

  chmod(p.folder.Write("java/bin/java", "#!/bin/sh\nexit 0\n").c_str(), 0755);
  std::ostringstream nothing;
  EXPECT_EQ(RunHeadless(p.folders, nothing, p.control), 1);
  EXPECT_TRUE(
      nothing.str().ends_with("The crawler found no articles; nothing was published. 1 "
                              "problem written to Brevora.log.\n"))
      << nothing.str();
  unsetenv("ARTICLE_TEXT");
  unsetenv("ARTICLE_BYTES");
}

// --scheduled: a start time that falls while the run of the one before is
// still going is skipped, and not made up when the run ends.
TEST(HeadlessRun, StartDuringARunIsSkipped) {
  Program p;
  p.folder.Write("Brevora.cfg", p.folder.Read("Brevora.cfg")
                                    .replace(p.folder.Read("Brevora.cfg").find("07:00:00,17:00:00"),
                                             17, "07:00:00,07:01:00"));
  Fifo started(p.folder.path() + "started");
  std::atomic<std::time_t> now = testing::Monday(6, 59, 15);
  p.control.now = [&now] { return now += 15; };
  int pauses = 0;
  std::atomic<bool> ran = false;
  p.control.pause = [&] {
    if (ran && ++pauses == 3) p.control.Stop();
  };
  std::thread crawlerEnds([&] {
    started.WaitForWriter();
    // The run lasts past the second start's minute; then its crawler ends.
    now = testing::Monday(7, 1, 45);
    ran = true;
    const pid_t crawler = std::atoi(p.folder.Read("crawler.pid").c_str());
    if (crawler > 0) kill(crawler, SIGKILL);
  });
  EXPECT_EQ(RunScheduled(p.folders, p.out, p.control), 0);
  crawlerEnds.join();
  const std::string out = p.out.str();
  size_t runs = 0;
  for (size_t at = 0; (at = out.find("Crawling the channels", at)) != std::string::npos; ++at) {
    ++runs;
  }
  EXPECT_EQ(runs, 1u) << out;
  // Told from the run's end: the start skipped during it is not the next one.
  EXPECT_TRUE(
      out.ends_with("nothing was published. 2 problems written to Brevora.log.\n"
                    "Waiting for Mon 07:00.\n"))
      << out;
}

// A port nobody listens on now.
int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// --scheduled --share: one "Sharing at" line per address of the machine,
// 127.0.0.1 last, whose address serves the published feed while the program
// waits; the secret of the address is kept in Brevora.ini. A port that is
// taken ends the program with the reason.
TEST(HeadlessRun, SharesThePublishedNewsWhileScheduled) {
  Program p;
  p.folder.Write("exec/Top/podcast.xml", "<rss></rss>");
  const int port = FreePort();
  ASSERT_GT(port, 0);
  std::string fetched;
  p.control.now = [] { return testing::Monday(12, 0, 0); };
  p.control.pause = [&] {
    httplib::Client client("127.0.0.1", port);
    const std::string token = ReadShareSettings(p.folder.path()).token;
    if (auto response = client.Get("/" + token + "/podcast.xml")) fetched = response->body;
    p.control.Stop();
  };
  EXPECT_EQ(RunScheduled(p.folders, p.out, p.control, port), 0);
  EXPECT_EQ(fetched, "<rss></rss>");
  const ShareSettings kept = ReadShareSettings(p.folder.path());
  EXPECT_EQ(kept.token.size(), 26u);
  EXPECT_FALSE(kept.enabled);  // the window's own choices are left alone
  EXPECT_EQ(kept.port, 8642);
  std::string expected;
  for (const std::string& address : MachineAddresses()) {
    expected += "Sharing at http://" + address + ":" + std::to_string(port) + "/" + kept.token +
                "/podcast.xml\n";
  }
  const std::string out = p.out.str();
  EXPECT_TRUE(out.starts_with(expected)) << out;
  EXPECT_NE(expected.find("Sharing at http://127.0.0.1:"), std::string::npos);

  const int other = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  const int yes = 1;  // past the connections just closed
  setsockopt(other, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  setsockopt(other, SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes);
  ASSERT_EQ(bind(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(other, 1), 0);
  std::ostringstream refused;
  EXPECT_EQ(RunHeadless(p.folders, refused, p.control, port), 2);
  EXPECT_EQ(refused.str(), "Port " + std::to_string(port) +
                               " is in use by another program. Choose another port.\n");
  close(other);
}

}  // namespace
}  // namespace brevora
