// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "platform/cancel_event.h"
#include "run/run_progress.h"
#include "run/run_worker.h"

namespace brevora {

class CAudioConverter;
class SpeechEngine;

// The values a run reads, taken from the window's controls just before the
// run starts; the locked controls keep them unchanged while it lasts.
struct RunValues {
  std::string programFolder;  // the data folder
  std::string installFolder;
  std::string workingFolder;
  std::string executingFolder;
  std::string outputFormat;
  std::string voiceToken;
  std::string voiceLanguage;
  std::string podcastAddress;
};

// The main window's side of a run, read by the worker's thread: the values
// (copied under a lock held only for the copy), the stop flag and event, and
// the progress, which reaches the window as queued calls on its thread.
class MainWindowRun : public RunParameters, public RunProgress {
 public:
  // `window` receives the queued calls, on its thread: `onProgress` gets
  // status texts, `onEnded` the summary with the articles converted and
  // listed (-1 and 0 without a conversion), `onFinished` the worker's end.
  MainWindowRun(QObject* window, CAudioConverter& converter, SpeechEngine* speechVoice,
                std::function<void(const RunSummary&, int, int)> onEnded,
                std::function<void(std::string)> onProgress, std::function<void()> onFinished);

  void SetValues(RunValues values);
  void SetSpeechVoice(SpeechEngine* voice) { speechVoice_ = voice; }
  std::atomic<int> cancelRequested{0};
  CancelEvent cancelEvent;

  // RunParameters
  std::string ProgramFolder() const override;
  std::string InstallFolder() const override { return Values().installFolder; }
  std::string WorkingFolder() const override;
  std::string ExecutingFolder() const override;
  std::string OutputFormat() const override;
  std::string SelectedVoiceToken() const override;
  std::string VoiceLanguage() const override { return Values().voiceLanguage; }
  std::string PodcastAddress() const override { return Values().podcastAddress; }
  std::string OwnerEmail() const override { return ReadOwnerEmail(Values().programFolder); }
  LanguageSettings Languages() const override {
    return ReadLanguageSettings(Values().programFolder);
  }
  std::string UserLanguage() const override;
  SpeechEngine* SpeechVoice() override { return speechVoice_; }
  Converter& TheConverter() override;
  bool CancelRequested() const override { return cancelRequested.load() != 0; }
  CancelEvent& TheCancelEvent() override { return cancelEvent; }
  RunLog& Log() override;
  void RunFinished() override;
  RunProgress& Progress() override { return *this; }

  // RunProgress
  void PhaseStarted(RunPhase phase) override;
  void FileStarted(int number, int total, const std::string& path) override;
  void ConversionEnded(int converted, int total) override;
  void RunEnded(const RunSummary& summary) override;
  // Forgets the last run's counts; called before a run starts.
  void ResetCounts();

 private:
  RunValues Values() const;
  void Post(std::function<void()> call);

  QPointer<QObject> window_;
  CAudioConverter& converter_;
  SpeechEngine* speechVoice_;
  std::function<void(const RunSummary&, int, int)> onEnded_;
  std::atomic<int> converted_{-1};
  std::atomic<int> total_{0};
  std::function<void(std::string)> onProgress_;
  std::function<void()> onFinished_;
  mutable std::mutex mutex_;
  RunValues values_;
};

}  // namespace brevora
