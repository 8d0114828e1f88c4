// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "fakes/clock.h"
#include "fakes/fifo.h"
#include "fakes/temp_folder.h"
#include "run/command_line.h"
#include "run/command_runner.h"
#include "base/run_log.h"
#include "platform/cancel_event.h"
#include "platform/process.h"
#include "platform/terminate.h"

namespace brevora {
namespace {

using testing::Fifo;
using testing::TempFolder;

std::string Child(const std::string& arguments) {
  return QuoteArgument(TEST_CHILD_PATH) + " " + arguments;
}

// No child of the test process is left behind, not even a zombie.
void ExpectNoChildren() {
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

struct Runner {
  TempFolder folder;
  RunLog log;
  CancelEvent cancel;
  Runner() { log.Open(folder.path() + "Brevora.log"); }
  std::string Log() const { return folder.Read("Brevora.log"); }
};

TEST(RunCommand, ExitCodes) {
  Runner runner;
  EXPECT_EQ(RunCommand(Child("exit 0"), runner.cancel, runner.log), 0);
  EXPECT_EQ(runner.Log(), "");
  const std::string failing = Child("exit 3");
  EXPECT_EQ(RunCommand(failing, runner.cancel, runner.log), 0);
  EXPECT_EQ(RunCommand(Child("signal"), runner.cancel, runner.log), 0);
  const std::string log = runner.Log();
  const auto first = log.find("] ERROR - The following command failed: " + failing + " \r\r\n");
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(log.find("The following command failed: " + Child("signal") + " \r\r\n"),
            std::string::npos);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
  ExpectNoChildren();
}

// A program that cannot be started stops the run and leaves no trace.
TEST(RunCommand, CannotStart) {
  Runner runner;
  EXPECT_EQ(RunCommand("\"/no/such/program\" x", runner.cancel, runner.log), 1);
  EXPECT_EQ(RunCommand("brevora-no-such-program-anywhere", runner.cancel, runner.log), 1);
  EXPECT_EQ(RunCommand("   ", runner.cancel, runner.log), 1);
  EXPECT_EQ(runner.Log(), "");
}

// A cancel while the child runs terminates it at once: result 1, no entry.
TEST(RunCommand, CancelWhileRunning) {
  Runner runner;
  Fifo started(runner.folder.path() + "started");
  std::thread canceller([&] {
    started.WaitForWriter();
    runner.cancel.Set();
  });
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(RunCommand(Child("hang " + started.path()), runner.cancel, runner.log), 1);
  canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
  EXPECT_FALSE(runner.cancel.IsSet());  // consumed by the wait
  EXPECT_EQ(runner.Log(), "");
  ExpectNoChildren();
}

// A child that never ends is ended at its time limit, with one entry naming the
// limit and the command line; the run goes on.
TEST(RunCommand, TimeLimit) {
  Runner runner;
  Fifo never(runner.folder.path() + "never");  // nobody reads: the child waits forever
  const std::string command = Child("hang " + never.path());
  CommandOptions options;
  options.timeLimit = std::chrono::seconds(1);
  EXPECT_EQ(RunCommand(command, runner.cancel, runner.log, options), 0);
  const std::string log = runner.Log();
  EXPECT_NE(log.find("] ERROR - The following command did not end within 1 second and was "
                     "stopped: " +
                     command + " \r\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
  ExpectNoChildren();
}

// A child gets the program's environment with the given entries set over it.
TEST(ChildProcess, EnvironmentEntriesReplaceTheProgramsOwn) {
  TempFolder folder;
  setenv("BREVORA_KEPT", "kept", 1);
  setenv("BREVORA_SET", "old", 1);
  const std::string listed = folder.path() + "environment";
  auto child = ChildProcess::Spawn({TEST_CHILD_PATH, "environment", listed},
                                   {"BREVORA_SET=new value", "BREVORA_ADDED=1"});
  ASSERT_TRUE(child.has_value());
  EXPECT_EQ(child->Reap().code, 0);
  const std::string environment = "\n" + folder.Read("environment");
  EXPECT_NE(environment.find("\nBREVORA_KEPT=kept\n"), std::string::npos);
  EXPECT_NE(environment.find("\nBREVORA_SET=new value\n"), std::string::npos);
  EXPECT_EQ(environment.find("BREVORA_SET=old"), std::string::npos);
  EXPECT_NE(environment.find("\nBREVORA_ADDED=1\n"), std::string::npos);
  unsetenv("BREVORA_KEPT");
  unsetenv("BREVORA_SET");
}

// A cancel that came while nothing ran stops the next command, once.
TEST(RunCommand, CancelBeforeStart) {
  Runner runner;
  runner.cancel.Set();
  runner.cancel.Set();  // still one cancel
  Fifo never(runner.folder.path() + "never");
  EXPECT_EQ(RunCommand(Child("hang " + never.path()), runner.cancel, runner.log), 1);
  EXPECT_EQ(RunCommand(Child("exit 0"), runner.cancel, runner.log), 0);
  runner.cancel.Set();
  runner.cancel.Reset();
  EXPECT_EQ(RunCommand(Child("exit 0"), runner.cancel, runner.log), 0);
  EXPECT_EQ(runner.Log(), "");
  ExpectNoChildren();
}

// Children run hidden: what they print never reaches the program's streams.
TEST(RunCommand, ChildrenPrintNowhere) {
  Runner runner;
  const std::string captured = runner.folder.path() + "captured";
  std::fflush(stdout);
  std::fflush(stderr);
  const int savedOut = dup(1), savedErr = dup(2);
  const int file = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(file, 1);
  dup2(file, 2);
  const int result = RunCommand(Child("noise"), runner.cancel, runner.log);
  dup2(savedOut, 1);
  dup2(savedErr, 2);
  close(file);
  close(savedOut);
  close(savedErr);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(runner.folder.Read("captured"), "");
}

TEST(TerminateById, EndsOneProcessAndIgnoresTheRest) {
  TempFolder folder;
  Fifo started(folder.path() + "started");
  auto child = ChildProcess::Spawn({TEST_CHILD_PATH, "hang", started.path()});
  ASSERT_TRUE(child.has_value());
  started.WaitForWriter();
  EXPECT_EQ(TerminateById(child->Id()), 0);
  const auto status = child->Reap();
  EXPECT_TRUE(status.signalled);
  // Gone already, never existed, or not a single process: nothing to do.
  EXPECT_EQ(TerminateById(child->Id()), 0);
  EXPECT_EQ(TerminateById(0), 0);
  EXPECT_EQ(TerminateById(-1), 0);
  ExpectNoChildren();
}

// A cancel ends what the child started as well: a crawler's own helpers do
// not outlive it.
TEST(RunCommand, CancelEndsTheChildsProcessGroup) {
  Runner runner;
  Fifo started(runner.folder.path() + "started");
  const std::string pidFile = runner.folder.path() + "grandchild";
  std::thread canceller([&] {
    started.WaitForWriter();
    runner.cancel.Set();
  });
  EXPECT_EQ(
      RunCommand(Child("family " + started.path() + " " + pidFile), runner.cancel, runner.log), 1);
  canceller.join();
  const pid_t grandchild = std::atoi(runner.folder.Read("grandchild").c_str());
  ASSERT_GT(grandchild, 0);
  // Killed with its group: gone, or a zombie left for whoever adopted it.
  const auto dead = [grandchild] { return testing::ProcessEnded(grandchild); };
  for (int i = 0; i < 6000 && !dead(); ++i) usleep(10000);  // up to a minute on a busy machine
  EXPECT_TRUE(dead());
}

// Children inherit no descriptor of the program's own: not the log, not a
// file it has open, not the cancel event. (Descriptors the test process
// itself inherited open may pass on; they are not ours.)
TEST(ChildProcess, InheritsNoDescriptorOfTheProgram) {
  Runner runner;  // its log is open
  std::FILE* open = std::fopen((runner.folder.path() + "kept-open").c_str(), "we");
  ASSERT_NE(open, nullptr);
  std::vector<std::string> ours = {std::to_string(fileno(open)),
                                   std::to_string(runner.cancel.NativeHandle())};
  for (int fd = 3; fd < 1024; ++fd) {
    char target[512] = {};
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    if (readlink(link.c_str(), target, sizeof target - 1) > 0 &&
        std::string(target).starts_with(runner.folder.path())) {
      ours.push_back(std::to_string(fd));
    }
  }
  EXPECT_GE(ours.size(), 3u);  // the log too
  const std::string listed = runner.folder.path() + "descriptors";
  auto child = ChildProcess::Spawn({TEST_CHILD_PATH, "descriptors", listed});
  ASSERT_TRUE(child.has_value());
  EXPECT_EQ(child->Reap().code, 0);
  std::fclose(open);
  const std::string inherited = "\n" + runner.folder.Read("descriptors");
  EXPECT_NE(inherited.find("\n0\n1\n2\n"), std::string::npos) << inherited;
  for (const std::string& fd : ours) {
    EXPECT_EQ(inherited.find("\n" + fd + "\n"), std::string::npos) << fd << " in" << inherited;
  }
}

// A child still running when its owner goes away is ended and reaped.
TEST(ChildProcess, OwnerEndsAndReapsTheChild) {
  TempFolder folder;
  Fifo started(folder.path() + "started");
  {
    auto child = ChildProcess::Spawn({TEST_CHILD_PATH, "hang", started.path()});
    ASSERT_TRUE(child.has_value());
    started.WaitForWriter();
  }
  ExpectNoChildren();
}

}  // namespace
}  // namespace brevora
