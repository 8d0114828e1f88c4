// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brevora {

// Where spoken audio goes: 16-bit mono samples, as they come.
class SampleSink {
 public:
  virtual ~SampleSink() = default;
  // Returns false to stop (the samples could not be taken).
  virtual bool Samples(const int16_t* samples, size_t count) = 0;
};

// An installed voice: the text the "Voice" box shows and Brevora.cfg stores,
// the token that selects it, and the language it speaks, lower case with
// "-" ("en-gb"; empty when the engine does not say).
struct VoiceInfo {
  std::string description;
  std::string token;
  std::string language = {};
};

// The text-to-speech engine.
class SpeechEngine {
 public:
  virtual ~SpeechEngine() = default;
  virtual std::vector<VoiceInfo> Voices() = 0;
  // The rate of the samples that Speak delivers.
  virtual int SampleRate() const = 0;
  // Selects the voice of a token; an empty token selects the default voice.
  virtual bool SelectVoice(const std::string& token) = 0;
  // Speaks SSML markup (UTF-8) synchronously, delivering the samples to the
  // sink as the engine makes them. False when the engine failed.
  virtual bool Speak(std::string_view markup, SampleSink& sink) = 0;
};

}  // namespace brevora
