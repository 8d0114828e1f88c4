#include "run/run_worker.h"

#include <cstdlib>
#include <ctime>
#include <optional>

#include "base/run_log.h"
#include "base/text.h"
#include "platform/file_lock.h"
#include "publishing/podcast.h"
#include "run/command_line.h"
#include "run/command_runner.h"
#include "run/run_progress.h"

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

// Steps 1 to 7; returns true when every step ran, false when the run ended early.
bool RunSteps(RunParameters& run) {
  if (!FoldersAreSet(run)) return false;
  RunProgress& progress = run.Progress();
  const CommandSyntax syntax = SyntaxOf(CurrentPlatformFamily(), run.InstallFolder());
  progress.PhaseStarted(RunPhase::Clearing);
  if (!RunAll(run, {ClearWorkCommand(syntax, run.WorkingFolder())})) return false;
  progress.PhaseStarted(RunPhase::Crawling);
  const CommandOptions crawler{
      kCrawlerTimeLimit,
      CrawlerEnvironment(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"))};
  if (RunCommand(CrawlerCommand(syntax, run.InstallFolder(), JavaHome(), run.ProgramFolder()),
                 run.TheCancelEvent(), run.Log(), crawler) == 1) {
    return false;
  }

  const std::string format = run.OutputFormat();
  if (!EqualsIgnoringCase(format, "text")) {
    progress.PhaseStarted(RunPhase::Converting);
    Converter& converter = run.TheConverter();
    converter.SetOutputFormat(format);
    converter.SetProgress(&progress);
    const int result =
        converter.ConvertAll(run.SpeechVoice(), run.SelectedVoiceToken(), run.WorkingFolder());
    converter.SetProgress(nullptr);
    if (run.CancelRequested() || result == 1) return false;
    // Tags, durations and feeds; a failure is logged and the copy goes on.
    PodcastOptions podcast;
    podcast.workingFolder = run.WorkingFolder();
    podcast.programFolder = run.InstallFolder();
    podcast.format = EqualsIgnoringCase(format, "wav") ? "wav" : "mp3";
    podcast.language = run.VoiceLanguage();
    podcast.address = run.PodcastAddress();
    podcast.runTime = std::time(nullptr);
    PublishPodcast(podcast, run.Log());
  }

  // Held while Top and icons are replaced; a folder where the lock cannot be
  // made is published all the same.
  const std::optional<FileLock> publishing =
      FileLock::Lock(run.ExecutingFolder() + "/" + kPublishLockName);
  progress.PhaseStarted(RunPhase::Publishing);
  if (!RunAll(run, PublishCommands(syntax, run.WorkingFolder(), run.ExecutingFolder()))) {
    return false;
  }
  return RunAll(run, IconCommands(syntax, run.ExecutingFolder(), run.InstallFolder()));
}

}  // namespace

RunProgress& RunParameters::Progress() {
  static RunProgress silent;
  return silent;
}

void RunWorker(RunParameters& parameters) {
  const int entriesBefore = parameters.Log().EntryCount();
  RunSummary summary;
  summary.completed = RunSteps(parameters);
  summary.cancelled = parameters.CancelRequested();
  summary.failures = parameters.Log().EntryCount() - entriesBefore;
  parameters.Progress().RunEnded(summary);
  parameters.RunFinished();
}

}  // namespace brevora
