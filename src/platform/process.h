// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace brevora {

class CancelEvent;

// A child process started hidden: its standard input, output and error are
// /dev/null, so nothing it prints reaches the program's own streams. Owns the
// child: a ChildProcess that goes away while the child still runs kills and
// reaps it, so no zombie is ever left.
class ChildProcess {
 public:
  // Starts argv[0], found through the search path when it names no folder,
  // with the program's environment and the "NAME=value" entries of
  // `environment` set over it. With `outputPath` (`errorPath`), the child's
  // standard output (error) goes to that file, made anew and readable by its
  // owner only. Nothing when the program cannot be started.
  static std::optional<ChildProcess> Spawn(const std::vector<std::string>& argv,
                                           const std::vector<std::string>& environment = {},
                                           const std::string& outputPath = {},
                                           const std::string& errorPath = {});

  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&&) = delete;
  ChildProcess(const ChildProcess&) = delete;
  ~ChildProcess();

  int Id() const { return pid_; }

  enum class WaitResult { Exited, EventSignalled, TimedOut };
  // Blocks until the child ends or the event is signalled, or for at most
  // `limit` when one is given. When the child ended and the event is
  // signalled, the event wins; a signalled event is consumed.
  WaitResult WaitForExitOr(CancelEvent& event,
                           std::optional<std::chrono::seconds> limit = std::nullopt);

  struct ExitStatus {
    bool signalled = false;  // ended by a signal
    int code = 0;            // exit code, or the signal's number
  };
  // Waits for the end and reaps the child.
  ExitStatus Reap();

 private:
  ChildProcess(int pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
  int pid_;
  int pidfd_;  // -1 where the system has no process descriptors
  bool reaped_ = false;
};

}  // namespace brevora
