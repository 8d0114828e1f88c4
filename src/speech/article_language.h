// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "speech/speech_engine.h"

namespace brevora {

// A language a page or feed declares, as a BCP 47 tag ("pt-BR"): a primary
// language of two or three letters and up to four subtags; empty for
// anything else ("x", "../../", a megabyte of letters), which is ignored.
std::string CleanLanguageTag(std::string_view declared);

// What the text of an article says of its language (CLD2): the code
// ("fr", "zh"), whether the detector is sure, and how much of the text it
// found in that language, in percent. An empty code: it cannot tell.
struct DetectedLanguage {
  std::string code;
  bool reliable = false;
  int percent = 0;
};
DetectedLanguage DetectLanguage(std::string_view utf8Text, std::string_view declaredHint = {});

// The language an article is read in: the declared one, unless the text
// plainly says another (reliable and over 90% sure); the detected one where
// nothing is declared and the detector is sure; else empty (undecided: the
// channel's most common language, then the user's, decide).
std::string ChooseArticleLanguage(const DetectedLanguage& detected, std::string_view declared);

// What a run needs to read each article in its language's voice.
struct VoiceChoice {
  std::string chosenToken;     // the voice chosen in the window; empty: the default
  std::string chosenLanguage;  // its language ("en-gb")
  std::string userLanguage;    // the user's ("pt-br"), for the region
  // Voices the user set for languages ("fr" to a voice's description).
  std::map<std::string, std::string> languageVoices;
};

// The voice for a language: the chosen voice for its own language; else the
// user's voice for it; else the engine's voice for the language in the
// user's region, else its main voice ("fr", else "fr-fr", before "fr-be");
// empty when no voice speaks it.
std::string VoiceForLanguage(std::string_view language, const std::vector<VoiceInfo>& voices,
                             const VoiceChoice& choice);

// An article to be spoken: its text file relative to Top ("World/News/01
// A.txt"), its text and the language its page or feed declared.
struct ArticleToSpeak {
  std::string textPath;
  std::string text;
  std::string declared;
};

// The language and voice of every article; articles whose language is
// undecided take their channel's (the first folder's) most common language,
// then the user's. Languages that no voice speaks are read by the chosen
// voice and listed in `unspoken`.
struct VoicePlan {
  std::map<std::string, std::string> languages;  // by text path
  std::map<std::string, std::string> voices;     // voice token by text path
  std::vector<std::string> unspoken;
};
VoicePlan PlanArticleVoices(const std::vector<ArticleToSpeak>& articles,
                            const std::vector<VoiceInfo>& voices, const VoiceChoice& choice);

}  // namespace brevora
