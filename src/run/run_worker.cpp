// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/run_worker.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>

#include "base/file_io.h"
#include "base/run_log.h"
#include "base/text.h"
#include "platform/file_lock.h"
#include "publishing/news_index.h"
#include "publishing/podcast.h"
#include "run/command_line.h"
#include "run/command_runner.h"
#include "run/run_progress.h"
#include "speech/article_language.h"
#include "speech/article_text.h"
#include "speech/speech_engine.h"

namespace brevora {

namespace {

std::optional<std::string> JavaHome() {
  const char* value = std::getenv("JAVA_HOME");
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// The last line of an error stream that says what went wrong: the last one
// that is not a stack frame ("\tat ...", "... 3 more"), without control
// characters, at most 300 characters; only the file's last 16 KB are read.
std::string LastErrorLine(const std::string& path) {
  std::string text;
  if (path.empty() || ReadFileTail(path, 16 << 10, text) != 0) return {};
  std::string last;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = TrimBlanks(std::string_view(text).substr(start, end - start));
    const bool frame = end > start && (text[start] == '\t' || text[start] == ' ');
    if (!line.empty() && !frame && !line.starts_with("...")) last = std::string(line);
    start = end + 1;
  }
  std::string clean;
  for (const char c : last) {
    if (!IsControlCharacter(c)) clean += c;
  }
  if (clean.size() > 300) {
    size_t cut = 300;
    while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80) --cut;
    clean = clean.substr(0, cut) + "...";
  }
  return clean;
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

// The article texts below the working folder's Top ("*.txt", at any depth).
int CountArticles(const std::string& workingFolder) {
  namespace fs = std::filesystem;
  std::error_code error;
  int count = 0;
  for (fs::recursive_directory_iterator it(fs::path(workingFolder) / "Top", error), end;
       !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error) && it->path().extension() == ".txt") ++count;
  }
  return count;
}

// The voice of every article below WORKING/Top when each is read in its own
// language (by its text and the language NewsXML.xml declares for it);
// empty, every article in the chosen voice, when that is off. Languages no
// voice speaks are one note in the log.
VoicePlan PlanVoices(RunParameters& run) {
  namespace fs = std::filesystem;
  const LanguageSettings settings = run.Languages();
  SpeechEngine* engine = run.SpeechVoice();
  if (!settings.perArticle || engine == nullptr) return {};
  const fs::path top = fs::path(run.WorkingFolder()) / "Top";
  std::string index;
  ReadWholeFile((top / "NewsXML.xml").string(), index);
  std::map<std::string, std::string> declared;
  for (const PodcastArticle& article : ReadNewsIndex(index)) {
    declared[article.textPath] = article.language;
  }
  std::vector<ArticleToSpeak> articles;
  std::error_code error;
  for (fs::recursive_directory_iterator it(top, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file(error) || it->path().extension() != ".txt") continue;
    const std::string path = it->path().lexically_relative(top).generic_string();
    const auto text = ReadArticleText(it->path().string());
    const auto found = declared.find(path);
    articles.push_back({path, text ? EncodeUtf8(*text) : std::string(),
                        found == declared.end() ? std::string() : found->second});
  }
  std::sort(articles.begin(), articles.end(), [](const ArticleToSpeak& a, const ArticleToSpeak& b) {
    return a.textPath < b.textPath;
  });
  const VoiceChoice choice{run.SelectedVoiceToken(), run.VoiceLanguage(), run.UserLanguage(),
                           settings.voices};
  VoicePlan plan = PlanArticleVoices(articles, engine->Voices(), choice);
  std::vector<std::string> met;
  for (const auto& [path, language] : plan.languages) met.push_back(language);
  RememberLanguages(run.ProgramFolder(), met);
  if (!plan.unspoken.empty()) {
    std::string names;
    for (const std::string& language : plan.unspoken)
      names += (names.empty() ? "" : ", ") + language;
    run.Log().LogError(kLogLanguagesWithoutVoice, names.c_str());
  }
  return plan;
}

// Steps 1 to 7; returns true when every step ran, false when the run ended early.
bool RunSteps(RunParameters& run, RunSummary& summary) {
  if (!FoldersAreSet(run)) return false;
  RunProgress& progress = run.Progress();
  const CommandSyntax syntax = SyntaxOf(CurrentPlatformFamily(), run.InstallFolder());
  progress.PhaseStarted(RunPhase::Clearing);
  if (!RunAll(run, {ClearWorkCommand(syntax, run.WorkingFolder())})) return false;
  progress.PhaseStarted(RunPhase::Crawling);
  CommandOptions crawler;
  crawler.timeLimit = kCrawlerTimeLimit;
  crawler.environment =
      CrawlerEnvironment(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
  // A crawler that fails says why in its own entries; one that wrote none
  // (it could not start its work, or died) gets one entry with how it ended
  // and the last line of its error stream.
  const long long logBefore = run.Log().FileSize();
  const TemporaryFile errors("brevora-crawler-errors");
  crawler.errorPath = errors.path();
  crawler.onFailure = [&](bool signalled, int code) {
    if (run.Log().EntriesSince(logBefore) > 0) return;
    const std::string how = signalled ? "was ended by signal " + std::to_string(code)
                                      : "ended with exit status " + std::to_string(code);
    const std::string last = LastErrorLine(errors.path());
    run.Log().LogError(kLogCrawlerFailed, how.c_str(),
                       last.empty() ? "it printed no error" : last.c_str());
  };
  if (RunCommand(CrawlerCommand(syntax, run.InstallFolder(), JavaHome(), run.ProgramFolder()),
                 run.TheCancelEvent(), run.Log(), crawler) == 1) {
    return false;
  }
  // Nothing crawled: what was published stays, in every format.
  summary.articles = CountArticles(run.WorkingFolder());
  if (summary.articles == 0) {
    run.Log().LogError(kLogNoArticles);
    return false;
  }

  const std::string format = run.OutputFormat();
  if (!EqualsIgnoringCase(format, "text")) {
    progress.PhaseStarted(RunPhase::Converting);
    Converter& converter = run.TheConverter();
    converter.SetOutputFormat(format);
    converter.SetProgress(&progress);
    VoicePlan plan = PlanVoices(run);
    converter.SetArticleVoices(plan.voices);
    converter.SetArticleLanguages(plan.languages);
    const int result =
        converter.ConvertAll(run.SpeechVoice(), run.SelectedVoiceToken(), run.WorkingFolder());
    converter.SetProgress(nullptr);
    converter.SetArticleVoices({});
    converter.SetArticleLanguages({});
    if (run.CancelRequested() || result == 1) return false;
    // Tags, durations and feeds; a failure is logged and the copy goes on.
    PodcastOptions podcast;
    podcast.workingFolder = run.WorkingFolder();
    podcast.programFolder = run.InstallFolder();
    podcast.format = EqualsIgnoringCase(format, "wav") ? "wav" : "mp3";
    podcast.language = run.VoiceLanguage();
    podcast.address = run.PodcastAddress();
    podcast.ownerEmail = run.OwnerEmail();
    podcast.runTime = std::time(nullptr);
    podcast.articleLanguages = std::move(plan.languages);
    PublishPodcast(podcast, run.Log());
  }

  // Held while Top and icons are replaced, on the first run into a folder
  // that does not exist yet too (it is made for the lock); a folder where the
  // lock cannot be made is published all the same.
  std::error_code ignored;
  std::filesystem::create_directories(run.ExecutingFolder(), ignored);
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
  // Every entry the run adds counts, the crawler's own included.
  const int entriesBefore = parameters.Log().EntryCount();
  const long long logBefore = parameters.Log().FileSize();
  RunSummary summary;
  summary.completed = RunSteps(parameters, summary);
  summary.cancelled = parameters.CancelRequested();
  summary.failures = logBefore >= 0 ? parameters.Log().EntriesSince(logBefore)
                                    : parameters.Log().EntryCount() - entriesBefore;
  parameters.Progress().RunEnded(summary);
  parameters.RunFinished();
}

}  // namespace brevora
