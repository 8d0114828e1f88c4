// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/brevora_dlg.h"
#include "base/file_dialogs.h"
#include "base/user_prompt.h"
#include "speech/speech_engine.h"

namespace brevora::testing {

// Records the texts shown and gives the answers queued; a question without a
// queued answer is recorded in `unexpected` and answered No.
class GuiPrompt : public UserPrompt {
 public:
  void Notify(const std::string& text) override { shown.push_back(text); }
  Answer AskYesNo(const std::string& text) override { return Next(text, false); }
  Answer AskYesNoCancel(const std::string& text) override { return Next(text, true); }

  std::vector<std::string> shown;
  std::deque<Answer> answers;
  std::vector<std::string> unexpected;
  std::vector<bool> cancelOffered;  // per question: whether Cancel was a button

 private:
  Answer Next(const std::string& text, bool withCancel) {
    shown.push_back(text);
    cancelOffered.push_back(withCancel);
    if (answers.empty()) {
      unexpected.push_back(text);
      return Answer::No;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// File dialogs that return the paths queued (nothing: cancelled) and record
// what they were opened with.
class ScriptedFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> OpenFileName(const FileDialogRequest& request) override {
    requests.push_back(request);
    return Next();
  }
  std::optional<std::string> SaveFileName(const FileDialogRequest& request) override {
    requests.push_back(request);
    return Next();
  }
  std::optional<std::string> FolderName(const std::string& title,
                                        const std::string& startFolder) override {
    requests.push_back({title, startFolder, {}, {}, {}});
    return Next();
  }

  std::deque<std::optional<std::string>> paths;
  std::vector<FileDialogRequest> requests;

 private:
  std::optional<std::string> Next() {
    if (paths.empty()) return std::nullopt;
    auto path = paths.front();
    paths.pop_front();
    return path;
  }
};

// A speech engine that lists the voices it is given and speaks silence.
class ListedVoicesEngine : public SpeechEngine {
 public:
  explicit ListedVoicesEngine(std::vector<VoiceInfo> voices) : voices_(std::move(voices)) {}
  std::vector<VoiceInfo> Voices() override { return voices_; }
  int SampleRate() const override { return 16000; }
  bool SelectVoice(const std::string&) override { return true; }
  bool Speak(std::string_view markup, SampleSink& sink) override {
    const std::vector<int16_t> silence(markup.size() * 10, 0);
    return sink.Samples(silence.data(), silence.size());
  }

 private:
  std::vector<VoiceInfo> voices_;
};

// Modal runs answered by queued steps: each step acts on the dialog it is
// given (which may run further dialogs) and returns the dialog's result. A
// run without a queued step is recorded and rejected.
struct ScriptedModalRuns {
  std::deque<std::function<int(QDialog&)>> steps;
  std::vector<std::string> unexpected;  // object names of dialogs without a step

  int Run(QDialog& dialog) {
    if (steps.empty()) {
      unexpected.push_back(dialog.objectName().toStdString());
      return QDialog::Rejected;
    }
    const auto step = std::move(steps.front());
    steps.pop_front();
    return step(dialog);
  }
  ModalRun AsModalRun() {
    return [this](QDialog& dialog) { return Run(dialog); };
  }
};

// A speech engine that speaks each text until its sink takes no more (a
// stop), about as fast as a real one. It tells whether it was released while
// it spoke.
class EndlessEngine : public SpeechEngine {
 public:
  static inline std::atomic<int> speaking{0};
  static inline std::atomic<bool> releasedWhileSpeaking{false};
  ~EndlessEngine() override {
    if (speaking > 0) releasedWhileSpeaking = true;
  }
  std::vector<VoiceInfo> Voices() override { return {{"English", "en", "en-gb"}}; }
  int SampleRate() const override { return 16000; }
  bool SelectVoice(const std::string&) override { return true; }
  bool Speak(std::string_view, SampleSink& sink) override {
    ++speaking;
    const std::vector<int16_t> piece(160, 0);
    while (sink.Samples(piece.data(), piece.size())) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    --speaking;
    return false;
  }
};

// A main window over a program folder, with scripted prompts, dialogs and
// modal runs, and a speech engine listing `voices` (none at all: no engine,
// text-only mode), or the one `createEngine` makes when it is set.
struct WindowHarness {
  GuiPrompt prompt;
  ScriptedFileDialogs dialogs;
  ScriptedModalRuns modal;
  std::unique_ptr<CBrevoraDlg> window;
  std::function<std::unique_ptr<SpeechEngine>()> createEngine;
  FeedSearcher* feedSearcher = nullptr;
  std::function<bool()> trayAvailable;  // not set: as the platform says
  std::string dataFolderOption;         // --data-folder

  void Create(const std::string& programFolder, std::optional<std::vector<VoiceInfo>> voices,
              std::function<std::time_t()> clock = {}) {
    MainWindowServices services;
    services.programFolder = programFolder;
    services.prompt = &prompt;
    services.fileDialogs = &dialogs;
    services.createSpeechVoice = [voices, make = createEngine]() -> std::unique_ptr<SpeechEngine> {
      if (make) return make();
      if (!voices) return nullptr;
      return std::make_unique<ListedVoicesEngine>(*voices);
    };
    services.clock = std::move(clock);
    services.autostartPath = programFolder + "autostart/brevora.desktop";
    services.runModal = modal.AsModalRun();
    services.feedSearcher = feedSearcher;
    services.trayAvailable = trayAvailable;
    services.dataFolderOption = dataFolderOption;
    window = std::make_unique<CBrevoraDlg>(std::move(services));
  }
};

}  // namespace brevora::testing
