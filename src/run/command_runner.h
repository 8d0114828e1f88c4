// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brevora {

class CancelEvent;
class RunLog;

struct CommandOptions {
  // How long the child may run; past it, it is ended with what it started.
  std::optional<std::chrono::seconds> timeLimit;
  // "NAME=value" entries set over the program's environment for the child.
  std::vector<std::string> environment;
  // Where the child's error stream goes; empty: nowhere.
  std::string errorPath;
  // Set: called instead of the usual entry when the child ends with a
  // non-zero exit code or by a signal (`signalled`, `code` its number).
  std::function<void(bool signalled, int code)> onFailure;
};

// Runs one command line of a run as a hidden child and waits for its end or
// for the cancel event, the event taking precedence.
//  - 0: the child ran to its end; a non-zero exit code, or an end by a signal
//    that a cancel did not send, is one entry in the log naming the whole
//    command line, and the run goes on. A child still running at the end of
//    its time limit is ended with its process group, one entry names the
//    limit and the command line, and the run goes on.
//  - 1: stop the run: the child could not be started (nothing is logged), or
//    the event was signalled and the child has been terminated and reaped.
// The command line is split into arguments by SplitCommandLine; the first
// names the program, found through the search path when it names no folder.
int RunCommand(const std::string& commandLine, CancelEvent& cancelEvent, RunLog& log,
               const CommandOptions& options = {});

}  // namespace brevora
