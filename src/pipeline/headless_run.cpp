#include "pipeline/headless_run.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/text.h"
#include "base/user_prompt.h"
#include "config/configuration.h"
#include "config/memory_configuration_window.h"
#include "config/program_folders.h"
#include "config/program_settings.h"
#include "pipeline/audio_converter.h"
#include "pipeline/espeak_engine.h"
#include "pipeline/run_log.h"
#include "pipeline/run_progress.h"
#include "pipeline/run_worker.h"
#include "pipeline/voice_list.h"
#include "platform/cancel_event.h"

namespace brevora {

namespace {

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
              std::string voiceToken, std::string language, std::ostream& out)
      : folders_(folders),
        settings_(settings),
        engine_(engine),
        voiceToken_(std::move(voiceToken)),
        language_(std::move(language)),
        out_(out),
        converter_(folders.data + "Brevora.log") {}

  std::string ProgramFolder() const override { return folders_.data; }
  std::string InstallFolder() const override { return folders_.install; }
  std::string WorkingFolder() const override { return settings_.workingFolder; }
  std::string ExecutingFolder() const override { return settings_.executingFolder; }
  std::string OutputFormat() const override { return settings_.outputFormat; }
  std::string SelectedVoiceToken() const override { return voiceToken_; }
  std::string VoiceLanguage() const override { return language_; }
  std::string PodcastAddress() const override { return ReadPodcastAddress(folders_.data); }
  SpeechEngine* SpeechVoice() override { return engine_; }
  Converter& TheConverter() override { return converter_; }
  bool CancelRequested() const override { return false; }
  CancelEvent& TheCancelEvent() override { return cancel_; }
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
  CAudioConverter converter_;
  CancelEvent cancel_;
};

}  // namespace

int RunHeadless(const ProgramFolders& folders, std::ostream& out) {
  const std::string path = folders.data + "Brevora.cfg";
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (file == nullptr) {
    out << "Brevora.cfg not found in " << folders.data << '\n';
    return 2;
  }
  std::unique_ptr<SpeechEngine> engine = EspeakEngine::Create();
  MemoryConfigurationWindow window;
  const VoiceBoxItems voices = SortVoicesForBox(
      engine ? engine->Voices() : std::vector<VoiceInfo>{},
      UserLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
  for (const VoiceInfo& voice : voices.items) window.voices.push_back(voice.description);
  window.defaultVoice = voices.selected;
  LinePrompt prompt(out);
  ReadConfiguration(file, window, prompt);
  std::fclose(file);
  Configuration& settings = window.record;
  if (settings.workingFolder.empty() || settings.executingFolder.empty()) {
    out << "Brevora.cfg sets no " << (settings.workingFolder.empty() ? "working" : "executing")
        << " folder\n";
    return 2;
  }
  if (!EqualsIgnoringCase(settings.outputFormat, "text") && engine == nullptr) {
    out << "The format " << settings.outputFormat << " needs the speech engine, which is not "
        << "installed\n";
    return 2;
  }
  std::string token, language;
  if (window.voiceSelection >= 0) {
    token = voices.items[window.voiceSelection].token;
    language = voices.items[window.voiceSelection].language;
  }
  HeadlessRun run(folders, settings, engine.get(), token, language, out);
  RunWorker(run);
  const bool text = EqualsIgnoringCase(settings.outputFormat, "text");
  const bool published = run.summary_.completed && (text || run.converted_ > 0);
  if (text) {
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

}  // namespace brevora
