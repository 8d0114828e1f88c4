// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/cancel_event.h"
#include "platform/process.h"

extern char** environ;

namespace brevora {

namespace {

int OpenProcessDescriptor(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

}  // namespace

std::optional<ChildProcess> ChildProcess::Spawn(const std::vector<std::string>& argv,
                                                const std::vector<std::string>& environment,
                                                const std::string& outputPath,
                                                const std::string& errorPath) {
  if (argv.empty() || argv[0].empty()) return std::nullopt;
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  // The program's environment less the names that `environment` sets anew.
  std::vector<char*> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const bool replaced = std::any_of(environment.begin(), environment.end(), [&](auto& set) {
      const size_t name = set.find('=') + 1;
      return std::strncmp(*entry, set.c_str(), name) == 0;
    });
    if (!replaced) variables.push_back(*entry);
  }
  for (const auto& set : environment) variables.push_back(const_cast<char*>(set.c_str()));
  variables.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const std::string* paths[] = {&outputPath, &errorPath};
  for (int stream = 1; stream <= 2; ++stream) {
    const std::string& path = *paths[stream - 1];
    if (path.empty()) {
      posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", O_WRONLY, 0);
    } else {
      posix_spawn_file_actions_addopen(&actions, stream, path.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0600);
    }
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The child starts with default signal handling, whatever the program set.
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigdefault(&attributes, &all);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  // The child leads a process group of its own, so that ending it ends what
  // it started too (the crawler's runtime and its helpers).
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

  pid_t pid = 0;
  const int error =
      posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), variables.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return std::nullopt;
  return ChildProcess(pid, OpenProcessDescriptor(pid));
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), pidfd_(other.pidfd_), reaped_(other.reaped_) {
  other.pidfd_ = -1;
  other.reaped_ = true;
}

ChildProcess::~ChildProcess() {
  if (!reaped_) {
    kill(-pid_, SIGKILL);  // its process group
    kill(pid_, SIGKILL);
    Reap();
  }
  if (pidfd_ >= 0) close(pidfd_);
}

ChildProcess::WaitResult ChildProcess::WaitForExitOr(CancelEvent& event,
                                                     std::optional<std::chrono::seconds> limit) {
  using Clock = std::chrono::steady_clock;
  const auto end = limit ? Clock::now() + *limit : Clock::time_point::max();
  for (;;) {
    pollfd watched[2] = {{event.NativeHandle(), POLLIN, 0}, {pidfd_, POLLIN, 0}};
    // Without a process descriptor, look at the child between short waits.
    int timeout = pidfd_ >= 0 ? -1 : 10;
    if (limit) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
      if (left <= 0) return WaitResult::TimedOut;
      const int capped = static_cast<int>(std::min<long long>(left, 60'000));
      timeout = timeout < 0 ? capped : std::min(timeout, capped);
    }
    const int ready = poll(watched, pidfd_ >= 0 ? 2 : 1, timeout);
    if (ready < 0 && errno != EINTR) return WaitResult::Exited;
    if ((watched[0].revents & POLLIN) && event.TryConsume()) return WaitResult::EventSignalled;
    if (pidfd_ >= 0) {
      if (watched[1].revents != 0) return WaitResult::Exited;
    } else {
      siginfo_t info{};
      if (waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid_) {
        return WaitResult::Exited;
      }
    }
  }
}

ChildProcess::ExitStatus ChildProcess::Reap() {
  ExitStatus status;
  if (reaped_) return status;
  int raw = 0;
  pid_t result;
  do {
    result = waitpid(pid_, &raw, 0);
  } while (result < 0 && errno == EINTR);
  reaped_ = true;
  if (result == pid_ && WIFSIGNALED(raw)) {
    status.signalled = true;
    status.code = WTERMSIG(raw);
  } else if (result == pid_) {
    status.code = WEXITSTATUS(raw);
  } else {
    status.code = -1;
  }
  return status;
}

}  // namespace brevora
