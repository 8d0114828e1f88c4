// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/headless_run.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "audio/audio_converter.h"
#include "base/run_log.h"
#include "base/text.h"
#include "base/user_prompt.h"
#include "config/configuration.h"
#include "config/configuration_commands.h"
#include "config/memory_configuration_window.h"
#include "config/program_folders.h"
#include "config/program_settings.h"
#include "platform/cancel_event.h"
#include "platform/file_lock.h"
#include "platform/program_folder.h"
#include "run/run_progress.h"
#include "run/run_worker.h"
#include "run/schedule.h"
#include "service/settings_command.h"
#include "sharing/share_session.h"
#include "speech/espeak_engine.h"
#include "speech/voice_list.h"

namespace brevora {

namespace {

std::string FormatLocalTime(std::time_t time) {
  std::tm parts{};
  localtime_r(&time, &parts);
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  char text[32];
  std::snprintf(text, sizeof text, "%s %02d:%02d", days[parts.tm_wday], parts.tm_hour,
                parts.tm_min);
  return text;
}

// Messages of the configuration reader as lines; no question is asked.
class LinePrompt : public UserPrompt {
 public:
  explicit LinePrompt(std::ostream& out) : out_(out) {}
  void Notify(const std::string& text) override { out_ << text << '\n'; }
  Answer AskYesNo(const std::string&) override { return Answer::No; }
  Answer AskYesNoCancel(const std::string&) override { return Answer::Cancel; }

 private:
  std::ostream& out_;
};

class HeadlessRun : public RunParameters, public RunProgress {
 public:
  HeadlessRun(const ProgramFolders& folders, const Configuration& settings, SpeechEngine* engine,
              std::string voiceToken, std::string language, std::ostream& out,
              HeadlessControl& control)
      : folders_(folders),
        settings_(settings),
        engine_(engine),
        voiceToken_(std::move(voiceToken)),
        language_(std::move(language)),
        out_(out),
        control_(control),
        converter_(folders.data + "Brevora.log") {
    control_.converterAbort = &converter_.abortRequested;
    if (control_.stopped) converter_.abortRequested = 1;
  }
  ~HeadlessRun() override { control_.converterAbort = nullptr; }

  std::string ProgramFolder() const override { return folders_.data; }
  std::string InstallFolder() const override { return folders_.install; }
  std::string WorkingFolder() const override { return settings_.workingFolder; }
  std::string ExecutingFolder() const override { return settings_.executingFolder; }
  std::string OutputFormat() const override { return settings_.outputFormat; }
  std::string SelectedVoiceToken() const override { return voiceToken_; }
  std::string VoiceLanguage() const override { return language_; }
  std::string PodcastAddress() const override { return ReadPodcastAddress(folders_.data); }
  std::string OwnerEmail() const override { return ReadOwnerEmail(folders_.data); }
  LanguageSettings Languages() const override { return ReadLanguageSettings(folders_.data); }
  std::string UserLanguage() const override {
    return brevora::UserLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                 std::getenv("LANG"));
  }
  SpeechEngine* SpeechVoice() override { return engine_; }
  Converter& TheConverter() override { return converter_; }
  bool CancelRequested() const override { return control_.stopped != 0; }
  CancelEvent& TheCancelEvent() override { return control_.runCancel; }
  RunLog& Log() override { return converter_.Log(); }
  RunProgress& Progress() override { return *this; }
  void RunFinished() override {}

  void PhaseStarted(RunPhase phase) override {
    const char* text = phase == RunPhase::Clearing     ? "Clearing the working folder..."
                       : phase == RunPhase::Crawling   ? "Crawling the channels..."
                       : phase == RunPhase::Converting ? "Looking for articles to speak..."
                                                       : "Publishing into the executing folder...";
    out_ << text << '\n';
  }
  void FileStarted(int number, int total, const std::string& path) override {
    out_ << "Speaking article " << number << " of " << total << ": "
         << path.substr(path.rfind('/') + 1) << '\n';
  }
  void ConversionEnded(int converted, int total) override {
    converted_ = converted;
    total_ = total;
  }
  void RunEnded(const RunSummary& summary) override { summary_ = summary; }

  RunSummary summary_;
  int converted_ = -1;
  int total_ = 0;

 private:
  const ProgramFolders& folders_;
  const Configuration& settings_;
  SpeechEngine* engine_;
  std::string voiceToken_;
  std::string language_;
  std::ostream& out_;
  HeadlessControl& control_;
  CAudioConverter converter_;
};

// The settings of a run without a window, read from DATA/Brevora.cfg.
struct Settings {
  std::unique_ptr<SpeechEngine> engine;
  MemoryConfigurationWindow window;
  std::string token, language;
};

// A prompt that says nothing.
class SilentPrompt : public UserPrompt {
 public:
  void Notify(const std::string&) override {}
  Answer AskYesNo(const std::string&) override { return Answer::No; }
  Answer AskYesNoCancel(const std::string&) override { return Answer::Cancel; }
};

// Reads the settings; false (with one line saying why) when they cannot be run.
// The speech engine is started only for a format that speaks.
bool ReadSettings(const ProgramFolders& folders, std::ostream& out, Settings& settings) {
  const std::string path = folders.data + "Brevora.cfg";
  MemoryConfigurationWindow& window = settings.window;
  SilentPrompt silent;
  if (!LoadConfigurationFrom(window, path, silent)) {
    out << "Brevora.cfg not found in " << folders.data << ": " << kHowToMakeConfiguration << '\n';
    return false;
  }
  VoiceBoxItems voices;
  if (!EqualsIgnoringCase(window.record.outputFormat, "text")) {
    settings.engine = EspeakEngine::Create();
    voices = SortVoicesForBox(
        settings.engine ? settings.engine->Voices() : std::vector<VoiceInfo>{},
        UserLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
  }
  // Again, with the voices, saying what it finds wrong.
  window = MemoryConfigurationWindow();
  for (const VoiceInfo& voice : voices.items) window.voices.push_back(voice.description);
  window.defaultVoice = voices.selected;
  LinePrompt prompt(out);
  LoadConfigurationFrom(window, path, prompt);
  const Configuration& record = window.record;
  if (record.workingFolder.empty() || record.executingFolder.empty()) {
    out << "Brevora.cfg sets no " << (record.workingFolder.empty() ? "working" : "executing")
        << " folder\n";
    return false;
  }
  if (!EqualsIgnoringCase(record.outputFormat, "text") && settings.engine == nullptr) {
    out << "The format " << record.outputFormat << " needs the speech engine, which is not "
        << "installed\n";
    return false;
  }
  if (window.voiceSelection >= 0) {
    settings.token = voices.items[window.voiceSelection].token;
    settings.language = voices.items[window.voiceSelection].language;
  }
  return true;
}

// Whether runs can write the data folder (their lock, the log); false with
// a line saying so.
bool DataFolderWritable(const ProgramFolders& folders, std::ostream& out) {
  if (IsWritableFolder(folders.data)) return true;
  out << "The data folder " << folders.data << " cannot be written: " << std::strerror(EACCES)
      << '\n';
  return false;
}

// One run; the exit code of --run-now.
int RunOnce(const ProgramFolders& folders, std::ostream& out, HeadlessControl& control,
            Settings& settings) {
  if (!DataFolderWritable(folders, out)) return 2;
  // One run of a data folder at a time, whatever starts it.
  const std::optional<FileLock> lock = FileLock::TryLock(folders.data + kRunLockName);
  if (!lock) {
    out << "A run of the data folder " << folders.data << " is going already\n";
    return 2;
  }
  const Configuration& record = settings.window.record;
  HeadlessRun run(folders, record, settings.engine.get(), settings.token, settings.language, out,
                  control);
  RunWorker(run);
  const bool text = EqualsIgnoringCase(record.outputFormat, "text");
  const bool published = run.summary_.completed && (text || run.converted_ > 0);
  if (run.summary_.cancelled) {
    out << "The run was stopped.";
  } else if (run.summary_.articles == 0) {
    out << "The crawler found no articles; nothing was published.";
  } else if (text) {
    out << (published ? "Published the text." : "The run ended early.");
  } else {
    out << run.converted_ << " of " << run.total_ << " articles converted.";
  }
  if (run.summary_.failures > 0) {
    out << " " << run.summary_.failures << (run.summary_.failures == 1 ? " problem" : " problems")
        << " written to Brevora.log.";
  }
  out << '\n';
  return published ? 0 : 1;
}

// Starts sharing on `port` (none for 0); false, with the reason, when it cannot.
bool Share(ShareServer& server, const ProgramFolders& folders, const Settings& settings, int port,
           std::ostream& out) {
  if (port == 0) return true;
  ShareSettings share = ReadShareSettings(folders.data);
  share.port = port;
  const std::string problem =
      StartSharing(server, folders.data, settings.window.record.executingFolder, share);
  if (!problem.empty()) {
    out << problem << '\n';
    return false;
  }
  for (const std::string& address : SharedFeedAddresses(share, server.Port())) {
    out << "Sharing at " << address << '\n';
  }
  out.flush();
  return true;
}

}  // namespace

int RunHeadless(const ProgramFolders& folders, std::ostream& out, HeadlessControl& control,
                int sharePort) {
  Settings settings;
  if (!ReadSettings(folders, out, settings)) return 2;
  ShareServer server;
  if (!Share(server, folders, settings, sharePort, out)) return 2;
  return RunOnce(folders, out, control, settings);
}

int RunScheduled(const ProgramFolders& folders, std::ostream& out, HeadlessControl& control,
                 int sharePort) {
  if (!DataFolderWritable(folders, out)) return 2;
  // One schedule per data folder: two would run, and publish, at the same
  // minute.
  const std::optional<FileLock> scheduling = FileLock::TryLock(folders.data + kScheduleLockName);
  if (!scheduling) {
    out << "Brevora runs on the schedule of the data folder " << folders.data
        << " already; this one was not started\n";
    return 2;
  }
  Settings settings;
  if (!ReadSettings(folders, out, settings)) return 2;
  ShareServer server;
  if (!Share(server, folders, settings, sharePort, out)) return 2;
  const Configuration& record = settings.window.record;
  const ScheduleSettings schedule{record.startDays, record.firstStartTime, record.secondStartTime};
  ScheduleState state;
  bool told = false;
  while (!control.stopped) {
    std::time_t now = control.now();
    if (ScheduleTick(now, schedule, false, state) != DueStart::None) {
      RunOnce(folders, out, control, settings);
      told = false;
      if (!control.stopped) now = control.now();  // the next start is told from the run's end
    }
    if (control.stopped) break;
    if (!told) {
      const std::optional<std::time_t> next = NextScheduledStart(now, schedule, state);
      out << (next ? "Waiting for " + FormatLocalTime(*next) + "." : "No start day is ticked.")
          << '\n';
      told = true;
    }
    control.pause();
  }
  return 0;
}

}  // namespace brevora
