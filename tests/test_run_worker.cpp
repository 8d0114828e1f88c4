// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "audio/audio_converter.h"
#include "base/run_log.h"
#include "fakes/audio.h"
#include "fakes/fifo.h"
#include "fakes/temp_folder.h"
#include "platform/cancel_event.h"
#include "platform/file_lock.h"
#include "run/command_line.h"
#include "run/run_progress.h"
#include "run/run_worker.h"
#include "speech/espeak_engine.h"

namespace brevora {
namespace {

using testing::Fifo;
using testing::TempFolder;

// The stand-in crawler: records its arguments, finds the working folder in
// Brevora.cfg and writes a small Top tree. "crawler.mode" in the program
// folder makes it hang instead, or fail after writing the tree.
const char kCrawlerScript[] = R"SCRIPT(#!/bin/sh
for P; do :; done
printf '%s\n' "$@" > "${P}crawler.args"
MODE=$(cat "${P}crawler.mode" 2>/dev/null)
if [ "$MODE" = hang ]; then exec "$TEST_CHILD" hang "${P}crawler.started"; fi
W=$(sed -n 's/^WorkingFolder=//p' "${P}Brevora.cfg" | tr -d '\r')
T="$W/Top"
if [ -e "${P}articles.from" ]; then mkdir -p "$T"; cp -R "$(cat "${P}articles.from")/." "$T/"; exit 0; fi
mkdir -p "$T/world/deep" "$T/sports"
printf 'World news.' > "$T/world/w1.txt"
printf 'Deep news.' > "$T/world/deep/d1.txt"
printf 'Sports news.' > "$T/sports/s1.txt"
printf '<news/>' > "$T/NewsXML.xml"
printf '#EXTM3U' > "$T/world/world.m3u"
printf '<asx/>' > "$T/sports/sports.asx"
printf '<html/>' > "$T/index.html"
printf '<html/>' > "$T/world/deep/page.html"
case "$MODE" in
  fail) printf 'Exception in thread "main" java.lang.OutOfMemoryError: Java\001 heap space\n\tat org.tidewire.News.add(News.java:40)\n\t... 3 more\n' >&2; exit 3 ;;
  logged) printf '[12/09/26 09:00:00 AM] ERROR - The crawler cannot read Channels.txt: gone\r\r\n' >> "${P}Brevora.log"; exit 2 ;;
esac
)SCRIPT";

// The conversion step, scripted: records its calls, runs an action, returns
// the result it was given.
class ScriptedConverter : public Converter {
 public:
  void SetOutputFormat(const std::string& value) override { format = value; }
  void SetArticleVoices(std::map<std::string, std::string> voices) override {
    if (!voices.empty()) articleVoices = std::move(voices);
  }
  int ConvertAll(SpeechEngine*, const std::string& voiceToken,
                 const std::string& workingFolder) override {
    ++calls;
    token = voiceToken;
    folder = workingFolder;
    if (action) action();
    return result;
  }
  std::string format, token, folder;
  std::map<std::string, std::string> articleVoices;
  int calls = 0;
  int result = 0;
  std::function<void()> action;
};

// A run's program, working and executing folders, all with blanks and quotes
// in their names, and the window's side of the run.
class FakeRun : public RunParameters {
 public:
  FakeRun() {
    programFolder = root.path() + "my \"program\" folder/";
    workingFolder = root.path() + "work \"W\" folder";
    executingFolder = root.path() + "exec \"E\" folder";
    root.Write("my \"program\" folder/icons/brevora.ico", "icon");
    root.Write("my \"program\" folder/icons/sub/run.png", "png");
    root.Write("work \"W\" folder/Top/stale.txt", "from the last run");
    root.Write("exec \"E\" folder/Top/previous.mp3", "previous");
    root.Write("exec \"E\" folder/icons/old.ico", "old");
    symlink(BREVORA_CMD_PATH, (programFolder + "brevora-cmd").c_str());
    const std::string java = root.Write("java home/bin/java", kCrawlerScript);
    chmod(java.c_str(), 0755);
    setenv("JAVA_HOME", (root.path() + "java home").c_str(), 1);
    setenv("TEST_CHILD", TEST_CHILD_PATH, 1);
    std::ofstream(programFolder + "Brevora.cfg") << "WorkingFolder=" << workingFolder << "\r\n";
    log.Open(programFolder + "Brevora.log");
  }

  std::string ProgramFolder() const override { return programFolder; }
  std::string WorkingFolder() const override { return workingFolder; }
  std::string ExecutingFolder() const override { return executingFolder; }
  std::string OutputFormat() const override {
    if (onOutputFormat) onOutputFormat();
    return outputFormat;
  }
  std::string SelectedVoiceToken() const override { return voiceToken; }
  SpeechEngine* SpeechVoice() override { return speechVoice; }
  Converter& TheConverter() override { return activeConverter ? *activeConverter : converter; }
  bool CancelRequested() const override { return cancelRequested; }
  CancelEvent& TheCancelEvent() override { return cancelEvent; }
  RunLog& Log() override { return activeLog ? *activeLog : log; }
  void RunFinished() override { ++finished; }
  RunProgress& Progress() override { return progress ? *progress : RunParameters::Progress(); }
  LanguageSettings Languages() const override { return languages; }
  std::string UserLanguage() const override { return "en-gb"; }

  // What the window's cancel does.
  void Cancel() {
    cancelRequested = true;
    cancelEvent.Set();
  }
  void CrawlerMode(const std::string& mode) {
    std::ofstream(programFolder + "crawler.mode") << mode;
  }
  std::string LogText() const { return root.Read("my \"program\" folder/Brevora.log"); }
  int LogEntries() const {
    const std::string text = LogText();
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
  std::vector<std::string> Published(const std::string& relative = "") const {
    return root.List("exec \"E\" folder/" + relative);
  }
  bool Exists(const std::string& relative) const { return root.Exists(relative); }

  TempFolder root;
  std::string programFolder, workingFolder, executingFolder, outputFormat = "text";
  std::string voiceToken = "voice-token";
  ScriptedConverter converter;
  std::atomic<bool> cancelRequested{false};
  CancelEvent cancelEvent;
  RunLog log;
  std::atomic<int> finished{0};
  std::function<void()> onOutputFormat;
  // A whole run uses the real converter and its log instead.
  Converter* activeConverter = nullptr;
  RunLog* activeLog = nullptr;
  SpeechEngine* speechVoice = nullptr;
  RunProgress* progress = nullptr;
  LanguageSettings languages{false, {}, {}};
};

using Names = std::vector<std::string>;

// A whole "text" run: the crawler gets the program folder as its one
// argument, the pages, playlists and index are published with their folders,
// no text file is, and the icons are copied.
TEST(RunWorker, TextRunPublishesTheResults) {
  FakeRun run;
  RunWorker(run);
  EXPECT_EQ(run.finished, 1);
  EXPECT_EQ(run.root.Read("my \"program\" folder/crawler.args"),
            "-classpath\n" + run.programFolder + "htmlparser.jar:" + run.programFolder +
                "item.jar:" + run.programFolder + "Brevora.jar:" + run.programFolder +
                "jCookies.jar:" + run.programFolder + "jakarta-oro-2.0.4.jar:" + run.programFolder +
                "log4j-1.2.6.jar\norg.tidewire.WebCrawler\n" + run.programFolder + "\n");
  EXPECT_FALSE(run.Exists("work \"W\" folder/Top/stale.txt"));
  EXPECT_EQ(run.Published("Top"), (Names{"NewsXML.xml", "index.html", "sports", "world"}));
  EXPECT_EQ(run.Published("Top/world"), (Names{"deep", "world.m3u"}));
  EXPECT_EQ(run.Published("Top/world/deep"), (Names{"page.html"}));
  EXPECT_EQ(run.Published("Top/sports"), (Names{"sports.asx"}));
  EXPECT_EQ(run.Published("icons"), (Names{"brevora.ico", "sub"}));
  EXPECT_EQ(run.converter.calls, 0);
  // No MP3 file to publish in a text run is nothing to fail at.
  EXPECT_EQ(run.LogText(), "");
}

// The first run into an executing folder that does not exist yet publishes
// under the lock the sharing server waits on, as every later run does.
TEST(RunWorker, FirstRunPublishesUnderTheLock) {
  FakeRun run;
  std::filesystem::remove_all(run.executingFolder);
  RunWorker(run);
  EXPECT_EQ(run.Published("Top"), (Names{"NewsXML.xml", "index.html", "sports", "world"}));
  EXPECT_TRUE(run.Exists("exec \"E\" folder/.Brevora.publish.lock"));
}

TEST(RunWorker, FormatInCapitalsIsText) {
  FakeRun run;
  run.outputFormat = "TEXT";
  RunWorker(run);
  EXPECT_EQ(run.converter.calls, 0);
  EXPECT_EQ(run.Published("Top").size(), 4u);
}

// An "mp3" run converts with the selected voice and publishes the MP3 files.
TEST(RunWorker, Mp3RunPublishesConvertedFiles) {
  FakeRun run;
  run.outputFormat = "mp3";
  run.converter.action = [&run] {
    run.root.Write("work \"W\" folder/Top/world/w1.mp3", "mp3");
    run.root.Write("work \"W\" folder/Top/sports/s1.mp3", "mp3");
  };
  RunWorker(run);
  EXPECT_EQ(run.converter.format, "mp3");
  EXPECT_EQ(run.converter.token, "voice-token");
  EXPECT_EQ(run.converter.folder, run.workingFolder);
  EXPECT_EQ(run.Published("Top/world"), (Names{"deep", "podcast.xml", "w1.mp3", "world.m3u"}));
  EXPECT_EQ(run.Published("Top/sports"), (Names{"podcast.xml", "s1.mp3", "sports.asx"}));
  EXPECT_EQ(run.LogEntries(), 0);
  EXPECT_EQ(run.finished, 1);
}

// A conversion that converted nothing, or a cancel during it: nothing is
// published and the last run's results stay.
TEST(RunWorker, FailedOrCancelledConversionPublishesNothing) {
  for (bool cancel : {false, true}) {
    FakeRun run;
    run.outputFormat = "wav";
    if (cancel) {
      run.converter.action = [&run] { run.Cancel(); };
    } else {
      run.converter.result = 1;
    }
    RunWorker(run);
    EXPECT_EQ(run.converter.calls, 1);
    EXPECT_EQ(run.Published("Top"), Names{"previous.mp3"});
    EXPECT_EQ(run.Published("icons"), Names{"old.ico"});
    EXPECT_EQ(run.finished, 1);
  }
}

// A cancel that the conversion saw after converting some files (the flag
// alone, before the window's event) starts no publishing command at all: the
// executing folder keeps the previous run's results and nothing is logged.
TEST(RunWorker, CancelAfterSomeFilesStartsNoPublishing) {
  struct Phases : RunProgress {
    void PhaseStarted(RunPhase phase) override { started.push_back(phase); }
    std::vector<RunPhase> started;
  } phases;
  FakeRun run;
  run.outputFormat = "mp3";
  run.progress = &phases;
  run.converter.result = 0;  // some files were converted
  run.converter.action = [&run] { run.cancelRequested = true; };
  RunWorker(run);
  EXPECT_EQ(run.Published("Top"), Names{"previous.mp3"});
  EXPECT_EQ(run.Published("icons"), Names{"old.ico"});
  EXPECT_EQ(std::count(phases.started.begin(), phases.started.end(), RunPhase::Publishing), 0);
  EXPECT_EQ(run.LogText(), "");
  EXPECT_EQ(run.finished, 1);
}

// A cancel while the crawler hangs ends the run at once: the crawler is
// terminated, nothing is converted or published, nothing is logged.
TEST(RunWorker, CancelWhileCrawlerHangs) {
  FakeRun run;
  run.outputFormat = "mp3";
  run.CrawlerMode("hang");
  Fifo started(run.programFolder + "crawler.started");
  std::thread worker([&run] { RunWorker(run); });
  started.WaitForWriter();
  run.Cancel();
  worker.join();
  EXPECT_EQ(run.finished, 1);
  EXPECT_EQ(run.converter.calls, 0);
  EXPECT_EQ(run.Published("Top"), Names{"previous.mp3"});
  EXPECT_EQ(run.LogText(), "");
}

// A cancel between two commands stops the next command as soon as it has
// been created: here the first of the publishing commands.
TEST(RunWorker, CancelBetweenCommands) {
  FakeRun run;
  run.onOutputFormat = [&run] { run.Cancel(); };
  RunWorker(run);
  EXPECT_EQ(run.finished, 1);
  EXPECT_TRUE(run.Exists("work \"W\" folder/Top/NewsXML.xml"));  // the crawl happened
  EXPECT_FALSE(run.Exists("exec \"E\" folder/Top/NewsXML.xml"));
  EXPECT_EQ(run.Published("icons"), Names{"old.ico"});
  EXPECT_EQ(run.LogText(), "");
}

// A failed crawler is one entry that says why, and the run goes on: its own
// entry where it wrote one, else one with its exit status and the last line
// of its error stream. The run's count of problems is the entries written.
TEST(RunWorker, FailingCrawlerIsOneEntryAndRunGoesOn) {
  struct Counter : RunProgress {
    void RunEnded(const RunSummary& summary) override { failures = summary.failures; }
    int failures = -1;
  };
  for (const char* mode : {"fail", "logged"}) {
    FakeRun run;
    run.CrawlerMode(mode);
    Counter counter;
    run.progress = &counter;
    RunWorker(run);
    const std::string log = run.LogText();
    EXPECT_EQ(run.LogEntries(), 1) << log;
    EXPECT_EQ(counter.failures, 1) << log;
    const std::string why =
        std::string(mode) == "fail"
            ? "] ERROR - The crawler ended with exit status 3: Exception in thread \"main\" "
              "java.lang.OutOfMemoryError: Java heap space \r\r\n"
            : "] ERROR - The crawler cannot read Channels.txt: gone\r\r\n";
    EXPECT_NE(log.find(why), std::string::npos) << log;
    EXPECT_EQ(run.Published("icons"), (Names{"brevora.ico", "sub"}));
    EXPECT_EQ(run.finished, 1);
  }
}

// Every article in its own language's voice: French and German texts get
// their voices, a short text its channel's most common language, a declared
// region its voice; Arabic, which no voice here speaks, is read by the chosen
// voice and noted once, which counts as no failure. Switched off, the pass
// gets no voices at all.
TEST(RunWorker, ArticlesInTheirOwnLanguagesVoices) {
  class FourVoices : public SpeechEngine {
   public:
    std::vector<VoiceInfo> Voices() override {
      return {{"English", "en", "en-gb"},
              {"French", "fr", "fr-fr"},
              {"German", "de", "de"},
              {"German (Austria)", "de-at", "de-at"}};
    }
    int SampleRate() const override { return 16000; }
    bool SelectVoice(const std::string&) override { return true; }
    bool Speak(std::string_view, SampleSink&) override { return true; }
  } engine;
  struct Failures : RunProgress {
    void RunEnded(const RunSummary& summary) override { failures = summary.failures; }
    int failures = -1;
  };
  for (const bool on : {true, false}) {
    FakeRun run;
    run.outputFormat = "mp3";
    run.speechVoice = &engine;
    run.languages = {on, {}, {}};
    Failures failures;
    run.progress = &failures;
    // The articles, as a crawler leaves them: the stand-in copies them into Top.
    const std::string fr =
        "Le conseil municipal s'est réuni mardi soir et a adopté un nouveau budget pour les "
        "écoles, qui recevront davantage d'argent pour les enseignants et les travaux.";
    const std::string de =
        "Der Stadtrat hat am Dienstagabend getagt und einen neuen Haushalt für die Schulen "
        "beschlossen, die in den nächsten zwei Jahren mehr Geld für Lehrer erhalten.";
    const std::string ar =
        "اجتمع مجلس المدينة مساء الثلاثاء ووافق على ميزانية جديدة للمدارس التي ستحصل على "
        "مزيد من المال للمعلمين والإصلاحات خلال العامين المقبلين.";
    run.root.Write("articles/mixed/a/1 fr.txt", "Titre\n\n" + fr);
    run.root.Write("articles/mixed/a/2 fr.txt", "Titre\n\n" + fr);
    run.root.Write("articles/mixed/a/3 short.txt", "Oui");
    run.root.Write("articles/mixed/b/4 de.txt", "Titel\n\n" + de);
    run.root.Write("articles/mixed/b/5 ar.txt", "\n\n" + ar);
    run.root.Write("articles/NewsXML.xml",
                   "<news><channel name=\"mixed\"><category name=\"b\"><article>"
                   "<text>mixed/b/4 de.txt</text><language>de-AT</language></article>"
                   "</category></channel></news>");
    run.root.Write("my \"program\" folder/articles.from", run.root.path() + "articles");
    RunWorker(run);
    if (on) {
      EXPECT_EQ(run.converter.articleVoices,
                (std::map<std::string, std::string>{{"mixed/a/1 fr.txt", "fr"},
                                                    {"mixed/a/2 fr.txt", "fr"},
                                                    {"mixed/a/3 short.txt", "fr"},
                                                    {"mixed/b/4 de.txt", "de-at"},
                                                    {"mixed/b/5 ar.txt", "voice-token"}}));
      EXPECT_NE(run.LogText().find("] NOTE - No voice speaks ar; the chosen voice read those "
                                   "articles \r\r\n"),
                std::string::npos)
          << run.LogText();
      EXPECT_EQ(run.LogEntries(), 1);
    } else {
      EXPECT_TRUE(run.converter.articleVoices.empty());
      EXPECT_EQ(run.LogEntries(), 0);
    }
    EXPECT_EQ(failures.failures, 0) << run.LogText();
  }
}

// A crawler that cannot be started ends the run with nothing logged.
TEST(RunWorker, CrawlerThatCannotStartEndsTheRun) {
  FakeRun run;
  setenv("JAVA_HOME", (run.root.path() + "no java here").c_str(), 1);
  RunWorker(run);
  EXPECT_EQ(run.finished, 1);
  EXPECT_EQ(run.LogText(), "");
  EXPECT_EQ(run.Published("Top"), Names{"previous.mp3"});
}

// A folder that is not set ends the run before any command.
TEST(RunWorker, FolderNotSet) {
  FakeRun run;
  run.executingFolder.clear();
  RunWorker(run);
  EXPECT_EQ(run.finished, 1);
  EXPECT_TRUE(run.Exists("work \"W\" folder/Top/stale.txt"));
  EXPECT_FALSE(run.Exists("my \"program\" folder/crawler.args"));
  EXPECT_EQ(run.LogEntries(), 1);
  EXPECT_NE(run.LogText().find("] ERROR - The executing folder is not set!\r\r\n"),
            std::string::npos);
}

// Whole runs with the real speech engine and encoder: "mp3" publishes MP3
// files that decode and leaves no WAV file; "wav" leaves WAV files beside
// their texts and publishes none.
TEST(RunWorker, WholeRunsWithSpeechAndEncoding) {
  auto engine = EspeakEngine::Create();
  ASSERT_NE(engine, nullptr);
  for (const std::string format : {"mp3", "wav"}) {
    FakeRun run;
    run.outputFormat = format;
    CAudioConverter converter(run.programFolder + "/Brevora.log");
    run.activeConverter = &converter;
    run.activeLog = &converter.Log();
    run.speechVoice = engine.get();
    run.voiceToken = "";  // the default voice
    RunWorker(run);
    EXPECT_EQ(run.finished, 1);
    const std::string work = "work \"W\" folder/Top/";
    for (const char* article : {"world/w1", "world/deep/d1", "sports/s1"}) {
      EXPECT_EQ(run.Exists(work + article + ".wav"), format == "wav") << article;
      EXPECT_EQ(run.Exists(work + article + ".mp3"), format == "mp3") << article;
      const std::string published = "exec \"E\" folder/Top/" + std::string(article);
      EXPECT_EQ(run.Exists(published + ".wav"), format == "wav") << article;
      EXPECT_EQ(run.Exists(published + ".mp3"), format == "mp3") << article;
      if (format == "mp3") {
        EXPECT_GT(testing::DecodeMp3Samples(run.root.Read(published + ".mp3")), 8000) << article;
      }
    }
    // A "wav" run has no MP3 files to copy, and that is no failure either.
    EXPECT_EQ(run.LogText(), "");
  }
}

// Progress of a whole run: the phases in order, every article counted
// against the total listed before the pass, and how the run ended.
TEST(RunWorker, ReportsProgress) {
  struct Recorder : RunProgress {
    void PhaseStarted(RunPhase phase) override {
      // A server of the executing folder must see the run replacing it.
      bool busy = false;
      FileLock::TryLockShared(lockPath, busy);
      events.push_back("phase " + std::to_string(int(phase)) + (busy ? " locked" : ""));
    }
    void FileStarted(int number, int total, const std::string& path) override {
      events.push_back(std::to_string(number) + " of " + std::to_string(total) + " " +
                       path.substr(path.rfind('/') + 1));
    }
    void ConversionEnded(int converted, int total) override {
      events.push_back("converted " + std::to_string(converted) + "/" + std::to_string(total));
    }
    void RunEnded(const RunSummary& summary) override {
      events.push_back("ended " + std::to_string(summary.completed) +
                       std::to_string(summary.cancelled) + std::to_string(summary.failures));
    }
    std::vector<std::string> events;
    std::string lockPath;
  } recorder;
  testing::FakeSpeechEngine engine;
  FakeRun run;
  recorder.lockPath = run.executingFolder + "/.Brevora.publish.lock";
  run.outputFormat = "mp3";
  CAudioConverter converter(run.programFolder + "/Brevora.log");
  run.activeConverter = &converter;
  run.activeLog = &converter.Log();
  run.speechVoice = &engine;
  run.progress = &recorder;
  RunWorker(run);
  ASSERT_EQ(recorder.events.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(recorder.events.begin(), recorder.events.begin() + 3),
            (Names{"phase 0", "phase 1", "phase 2"}));
  for (int i = 3; i < 6; ++i)
    EXPECT_EQ(recorder.events[i].substr(0, 6), std::to_string(i - 2) + " of 3");
  EXPECT_EQ(recorder.events[6], "converted 3/3");
  EXPECT_EQ(recorder.events[7], "phase 3 locked");
  EXPECT_EQ(recorder.events[8], "ended 100");
}

}  // namespace
}  // namespace brevora
