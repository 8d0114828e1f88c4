#include "pipeline/command_runner.h"

#include "pipeline/command_line.h"
#include "pipeline/run_log.h"
#include "platform/cancel_event.h"
#include "platform/process.h"
#include "platform/terminate.h"

namespace brevora {

int RunCommand(const std::string& commandLine, CancelEvent& cancelEvent, RunLog& log) {
  auto child = ChildProcess::Spawn(SplitCommandLine(commandLine));
  if (!child) return 1;
  if (child->WaitForExitOr(cancelEvent) == ChildProcess::WaitResult::EventSignalled) {
    TerminateById(child->Id());
    child->Reap();
    return 1;
  }
  const ChildProcess::ExitStatus status = child->Reap();
  if (status.signalled || status.code != 0) log.LogError(kLogCommandFailed, commandLine.c_str());
  return 0;
}

}  // namespace brevora
