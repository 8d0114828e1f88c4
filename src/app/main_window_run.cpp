// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window_run.h"

#include <QMetaObject>
#include <cstdlib>

#include "audio/audio_converter.h"
#include "base/text.h"
#include "speech/voice_list.h"

namespace brevora {

MainWindowRun::MainWindowRun(QObject* window, CAudioConverter& converter, SpeechEngine* speechVoice,
                             std::function<void(const RunSummary&, int, int)> onEnded,
                             std::function<void(std::string)> onProgress,
                             std::function<void()> onFinished)
    : window_(window),
      converter_(converter),
      speechVoice_(speechVoice),
      onEnded_(std::move(onEnded)),
      onProgress_(std::move(onProgress)),
      onFinished_(std::move(onFinished)) {}

void MainWindowRun::SetValues(RunValues values) {
  std::lock_guard lock(mutex_);
  values_ = std::move(values);
}

RunValues MainWindowRun::Values() const {
  std::lock_guard lock(mutex_);
  return values_;
}

std::string MainWindowRun::ProgramFolder() const {
  return Values().programFolder;
}
std::string MainWindowRun::WorkingFolder() const {
  return Values().workingFolder;
}
std::string MainWindowRun::ExecutingFolder() const {
  return Values().executingFolder;
}
std::string MainWindowRun::OutputFormat() const {
  return Values().outputFormat;
}
std::string MainWindowRun::SelectedVoiceToken() const {
  return Values().voiceToken;
}
Converter& MainWindowRun::TheConverter() {
  return converter_;
}
RunLog& MainWindowRun::Log() {
  return converter_.Log();
}

// Queued on the window's thread; dropped when the window is gone.
void MainWindowRun::Post(std::function<void()> call) {
  if (window_) QMetaObject::invokeMethod(window_, std::move(call), Qt::QueuedConnection);
}

void MainWindowRun::RunFinished() {
  Post(onFinished_);
}

void MainWindowRun::PhaseStarted(RunPhase phase) {
  const char* text = "";
  switch (phase) {
    case RunPhase::Clearing:
      text = "Clearing the working folder...";
      break;
    case RunPhase::Crawling:
      text = "Crawling the channels...";
      break;
    case RunPhase::Converting:
      text = "Looking for articles to speak...";
      break;
    case RunPhase::Publishing:
      text = "Publishing into the executing folder...";
      break;
  }
  Post([this, status = std::string(text)] { onProgress_(status); });
}

void MainWindowRun::FileStarted(int number, int total, const std::string& path) {
  const bool encoding = !EqualsIgnoringCase(OutputFormat(), "wav");
  std::string status = std::string(encoding ? "Speaking and encoding" : "Speaking") + " article " +
                       std::to_string(number) + " of " + std::to_string(total) + ": " +
                       path.substr(path.rfind('/') + 1);
  Post([this, status = std::move(status)] { onProgress_(status); });
}

void MainWindowRun::ConversionEnded(int converted, int total) {
  converted_ = converted;
  total_ = total;
}

void MainWindowRun::ResetCounts() {
  converted_ = -1;
  total_ = 0;
}

void MainWindowRun::RunEnded(const RunSummary& summary) {
  Post([this, summary, converted = converted_.load(), total = total_.load()] {
    onEnded_(summary, converted, total);
  });
}

std::string MainWindowRun::UserLanguage() const {
  return brevora::UserLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                               std::getenv("LANG"));
}

}  // namespace brevora
