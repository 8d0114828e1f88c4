#include "pipeline/run_worker.h"

#include <cstdlib>
#include <optional>

#include "config/text.h"
#include "pipeline/command_line.h"
#include "pipeline/command_runner.h"
#include "pipeline/run_log.h"

namespace brevora {

namespace {

std::optional<std::string> JavaHome() {
  const char* value = std::getenv("JAVA_HOME");
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// Both folders must be set: an empty one would aim the removals at "/Top".
bool FoldersAreSet(RunParameters& run) {
  const char* missing = run.WorkingFolder().empty()     ? "working"
                        : run.ExecutingFolder().empty() ? "executing"
                                                        : nullptr;
  if (missing == nullptr) return true;
  run.Log().LogError(kLogFolderNotSet, missing);
  return false;
}

// Runs the commands in order; false when one of them stops the run.
bool RunAll(RunParameters& run, const std::vector<std::string>& commands) {
  for (const auto& command : commands) {
    if (RunCommand(command, run.TheCancelEvent(), run.Log()) == 1) return false;
  }
  return true;
}

// Steps 1 to 7; returns when the run ends, early or complete.
void RunSteps(RunParameters& run) {
  if (!FoldersAreSet(run)) return;
  const CommandSyntax syntax = SyntaxOf(CurrentPlatformFamily(), run.ProgramFolder());
  if (!RunAll(run, {ClearWorkCommand(syntax, run.WorkingFolder())})) return;
  if (!RunAll(run, {CrawlerCommand(syntax, run.ProgramFolder(), JavaHome())})) return;

  const std::string format = run.OutputFormat();
  if (!EqualsIgnoringCase(format, "text")) {
    Converter& converter = run.TheConverter();
    converter.SetOutputFormat(format);
    const int result =
        converter.ConvertAll(run.SpeechVoice(), run.SelectedVoiceToken(), run.WorkingFolder());
    if (run.CancelRequested() || result == 1) return;
  }

  if (!RunAll(run, PublishCommands(syntax, run.WorkingFolder(), run.ExecutingFolder()))) return;
  RunAll(run, IconCommands(syntax, run.ExecutingFolder(), run.ProgramFolder()));
}

}  // namespace

void RunWorker(RunParameters& parameters) {
  RunSteps(parameters);
  parameters.RunFinished();
}

}  // namespace brevora
