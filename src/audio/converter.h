// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

namespace brevora {

class SpeechEngine;

// What the conversion pass tells while it goes on. The calls come from the
// pass's thread, must be cheap and must never block it; this base class does
// nothing.
class ConversionProgress {
 public:
  virtual ~ConversionProgress() = default;
  // The pass begins file `number` (from 1) of `total`.
  virtual void FileStarted(int /*number*/, int /*total*/, const std::string& /*path*/) {}
  // The pass converted `converted` of `total` text files.
  virtual void ConversionEnded(int /*converted*/, int /*total*/) {}
};

// The conversion step of a run: speaks the text files below the working
// folder's Top and, unless the format is "wav", encodes them to MP3.
class Converter {
 public:
  virtual ~Converter() = default;
  // The run's format ("wav", "mp3", ...), set before each pass.
  virtual void SetOutputFormat(const std::string& format) = 0;
  // Where the pass reports the file it is at; nothing: reported nowhere.
  virtual void SetProgress(ConversionProgress*) {}
  // The voice token of each article (its text file relative to Top, "World/
  // News/01 A.txt") for the next passes; an article not named, or all of
  // them when empty, is read with the pass's own voice.
  virtual void SetArticleVoices(std::map<std::string, std::string> /*voices*/) {}
  // The language each article is read in, named the same way, for the words
  // the reading rules use ("link", "dot"); not named: English words.
  virtual void SetArticleLanguages(std::map<std::string, std::string> /*languages*/) {}
  // Returns 0 when at least one file was converted, 1 otherwise (logged).
  // `voiceToken` empty speaks with the default voice.
  virtual int ConvertAll(SpeechEngine* voice, const std::string& voiceToken,
                         const std::string& workingFolder) = 0;
};

}  // namespace brevora
