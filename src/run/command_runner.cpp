// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/command_runner.h"

#include "base/run_log.h"
#include "platform/cancel_event.h"
#include "platform/process.h"
#include "platform/terminate.h"
#include "run/command_line.h"

namespace brevora {

namespace {

// "33 minutes", "1 minute", "5 seconds".
std::string DurationWords(std::chrono::seconds duration) {
  const long long seconds = duration.count();
  if (seconds >= 60 && seconds % 60 == 0) {
    return std::to_string(seconds / 60) + (seconds == 60 ? " minute" : " minutes");
  }
  return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

int RunCommand(const std::string& commandLine, CancelEvent& cancelEvent, RunLog& log,
               const CommandOptions& options) {
  auto child = ChildProcess::Spawn(SplitCommandLine(commandLine), options.environment, {},
                                   options.errorPath);
  if (!child) return 1;
  const auto waited = child->WaitForExitOr(cancelEvent, options.timeLimit);
  if (waited != ChildProcess::WaitResult::Exited) {
    TerminateById(child->Id());
    child->Reap();
    if (waited == ChildProcess::WaitResult::EventSignalled) return 1;
    log.LogError(kLogCommandTimedOut, DurationWords(*options.timeLimit).c_str(),
                 commandLine.c_str());
    return 0;
  }
  const ChildProcess::ExitStatus status = child->Reap();
  if (status.signalled || status.code != 0) {
    if (options.onFailure) {
      options.onFailure(status.signalled, status.code);
    } else {
      log.LogError(kLogCommandFailed, commandLine.c_str());
    }
  }
  return 0;
}

}  // namespace brevora
