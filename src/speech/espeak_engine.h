// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "speech/speech_engine.h"

namespace brevora {

// The espeak-ng library in synchronous mode. The library keeps one state per
// process, so at most one engine exists at a time.
class EspeakEngine : public SpeechEngine {
 public:
  // Nothing when the engine cannot start (no voice data, already in use).
  static std::unique_ptr<EspeakEngine> Create();
  ~EspeakEngine() override;

  std::vector<VoiceInfo> Voices() override;
  int SampleRate() const override { return sampleRate_; }
  bool SelectVoice(const std::string& token) override;
  bool Speak(std::string_view markup, SampleSink& sink) override;

 private:
  explicit EspeakEngine(int sampleRate, std::string defaultVoice)
      : sampleRate_(sampleRate), defaultVoice_(std::move(defaultVoice)) {}
  int sampleRate_;
  std::string defaultVoice_;
};

}  // namespace brevora
