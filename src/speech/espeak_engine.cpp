// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/espeak_engine.h"

#include <espeak-ng/speak_lib.h>

#include <atomic>
#include <string>

namespace brevora {

namespace {

std::atomic<bool> engineExists{false};

struct SynthesisState {
  SampleSink* sink;
  bool stopped;
};

int DeliverSamples(short* samples, int count, espeak_EVENT* events) {
  auto* state = static_cast<SynthesisState*>(events != nullptr ? events->user_data : nullptr);
  if (state == nullptr || samples == nullptr || count <= 0) return 0;
  if (!state->sink->Samples(reinterpret_cast<const int16_t*>(samples),
                            static_cast<size_t>(count))) {
    state->stopped = true;
    return 1;
  }
  return 0;
}

}  // namespace

std::unique_ptr<EspeakEngine> EspeakEngine::Create() {
  if (engineExists.exchange(true)) return nullptr;
  // The library is started once and runs until the process ends: its
  // espeak_Terminate can wait forever on its own queue thread when nothing was
  // spoken since it started (a run that found nothing to speak, a stop).
  // Without espeakINITIALIZE_DONT_EXIT the library ends the process when its
  // data is missing.
  static const int rate =
      espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
  if (rate <= 0) {
    engineExists = false;
    return nullptr;
  }
  // Its default voice, as it was before any engine chose one.
  static const std::string defaultVoice = [] {
    const espeak_VOICE* current = espeak_GetCurrentVoice();
    return current != nullptr && current->identifier != nullptr ? std::string(current->identifier)
                                                                : std::string("en");
  }();
  espeak_SetSynthCallback(DeliverSamples);
  return std::unique_ptr<EspeakEngine>(new EspeakEngine(rate, defaultVoice));
}

EspeakEngine::~EspeakEngine() {
  engineExists = false;
}

std::vector<VoiceInfo> EspeakEngine::Voices() {
  std::vector<VoiceInfo> voices;
  const espeak_VOICE** list = espeak_ListVoices(nullptr);
  for (; list != nullptr && *list != nullptr; ++list) {
    const espeak_VOICE* voice = *list;
    if (voice->name == nullptr || voice->identifier == nullptr) continue;
    std::string description = voice->name;
    for (char& c : description) {
      if (c == '_') c = ' ';
    }
    // Its languages: a priority byte, then a name, for each; the first counts.
    std::string language;
    if (voice->languages != nullptr && voice->languages[0] != '\0') language = voice->languages + 1;
    voices.push_back({description, voice->identifier, language});
  }
  return voices;
}

bool EspeakEngine::SelectVoice(const std::string& token) {
  return espeak_SetVoiceByName(token.empty() ? defaultVoice_.c_str() : token.c_str()) == EE_OK;
}

bool EspeakEngine::Speak(std::string_view markup, SampleSink& sink) {
  const std::string text(markup);
  SynthesisState state{&sink, false};
  const espeak_ERROR result = espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                                           espeakCHARS_UTF8 | espeakSSML, nullptr, &state);
  return result == EE_OK && !state.stopped;
}

}  // namespace brevora
