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

#include <cstdlib>
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
