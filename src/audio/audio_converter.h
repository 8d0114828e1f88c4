// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_sinks.h"
#include "audio/converter.h"
#include "audio/mp3_encoder.h"
#include "base/run_log.h"

namespace brevora {

class SpeechEngine;

// The rate, in samples per second, of every WAV file a run writes.
inline constexpr int kWavSampleRate = 16000;

// Speaks text files into WAV files, encodes WAV files into MP3 files and
// walks the working folder's Top doing both. One per main window; it owns the
// run log and the encoder library for the window's life.
class CAudioConverter : public Converter {
 public:
  // Opens the run log at `logPath`, then loads the encoder from the first of
  // `encoderNames` that loads ("Error loading the MP3 encoder (libmp3lame.so.0)" when none does).
  CAudioConverter(const std::string& logPath,
                  const std::vector<std::string>& encoderNames = LameEncoder::DefaultNames());
  ~CAudioConverter() override;

  // Converter: the run's format, and the pass over workingFolder/Top with the
  // voice and token. Returns 0 when a file was converted, 1 (logged) when none.
  void SetOutputFormat(const std::string& format) override { outputFormat = format; }
  void SetProgress(ConversionProgress* progress) override { progress_ = progress; }
  void SetArticleVoices(std::map<std::string, std::string> voices) override {
    articleVoices_ = std::move(voices);
  }
  void SetArticleLanguages(std::map<std::string, std::string> languages) override {
    articleLanguages_ = std::move(languages);
  }
  int ConvertAll(SpeechEngine* voice, const std::string& voiceToken,
                 const std::string& workingFolder) override;

  // The files of the folder that match the pattern, then every sub-folder;
  // returns how many text files were converted.
  int ConvertFolder(const std::string& folder, const std::string& pattern);

  // How many threads encode MP3 files while the pass speaks: 0 (the
  // default) takes one per core; 1 encodes in the pass itself, one file
  // after the other. The files, the count, the WAV and MP3 files and the
  // log entries of each file are the same either way.
  void SetEncoderThreads(unsigned count) { encoderThreads_ = count; }
  unsigned EncoderThreads() const;

  // One text file into the WAV file beside it (its name less the last four
  // characters, plus ".wav"). 0 when the WAV file was written whole; -1 when
  // the input cannot be used, the engine or the write failed (logged), or a
  // cancel stopped the speaking (not logged). A WAV file that is not whole is
  // deleted.
  // With `growing`, the WAV file is written so that another thread can
  // encode it as it grows, and `growing` learns how it ended.
  int SpeakFile(const std::string& textPath, GrowingFile* growing = nullptr);

  // The WAV file of a text file into its MP3 file. 0 on success, -1 (logged)
  // on failure or when a cancel stopped it between chunks (not logged); every
  // file and the stream are closed before it returns, and an MP3 file that is
  // not whole is deleted.
  // With `growing`, the WAV file is read as the speaker writes it, and a
  // failure is only logged when the file was spoken whole.
  int EncodeFile(const std::string& textPath, GrowingFile* growing = nullptr);
  // Puts an Info frame (see Mp3InfoFrame) before the finished stream in
  // `mp3`, unless it begins with one; false when the file could not be
  // rewritten.
  bool PutInfoFrame(std::FILE* mp3, EncoderStream stream);

  // What became of a file handed to the encoder and of its WAV file.
  enum class FileEnd;

  RunLog& Log() { return log_; }

  // Replaces the encoder's entry points (tests make them fail on purpose).
  void SetEntryPointsForTesting(EncoderEntryPoints entryPoints) {
    encoder_ = std::move(entryPoints);
  }
  // Replaces how an encoded file's WAV file is deleted (tests make it fail);
  // called on the encoding threads, it returns 0 or -1 as unlink does.
  void SetWavRemoverForTesting(std::function<int(const char*)> remover) {
    removeWav_ = std::move(remover);
  }
  // The configuration EncodeFile opens its streams with.
  EncoderConfig encoderConfig = BrevoraEncoderConfig();

  // Set by the window's cancel, cleared when a run starts; read between files.
  std::atomic<int> abortRequested{0};
  std::string outputFormat = "mp3";
  SpeechEngine* speechVoice = nullptr;  // borrowed during a pass
  std::string voiceToken;

  // Seconds spent in each stage since construction (for the benchmark).
  struct StageTimes {
    StageClock synthesis, resampling, wavWriting, encoding;
  } times;

 private:
  // A folder's text files and sub-folders, in the order of their names, listed
  // once before the pass.
  struct TextFolder {
    std::string path;
    std::vector<std::string> files;
    std::vector<TextFolder> folders;
  };
  static TextFolder ListTextFolder(const std::string& folder, const std::string& pattern);
  static int CountFiles(const TextFolder& folder);
  int ConvertListed(const TextFolder& tree, unsigned threads);
  // Encodes a spoken file and deletes its WAV file unless a cancel stopped it.
  FileEnd EncodeAndTidy(const std::string& textPath, GrowingFile* growing);
  ConversionProgress& progress() { return progress_ != nullptr ? *progress_ : noProgress_; }

  ConversionProgress* progress_ = nullptr;
  ConversionProgress noProgress_;
  std::map<std::string, std::string> articleVoices_;
  std::map<std::string, std::string> articleLanguages_;
  std::string top_;  // the Top folder of the pass; articles are named below it
  int filesTotal_ = 0;
  int filesStarted_ = 0;
  unsigned encoderThreads_ = 0;
  enum class Spoken { kWhole, kFailed, kCancelled, kTooLarge };
  Spoken SpeakInto(const std::u16string& text, const std::string& wavName, GrowingFile* growing,
                   const std::string& token, const std::string& language);
  // The voice of a text file: its own, else the pass's; its language, if known.
  const std::string& VoiceOf(const std::string& textPath) const;
  std::string LanguageOf(const std::string& textPath) const;

  RunLog log_;
  std::unique_ptr<LameEncoder> lame_;
  EncoderEntryPoints encoder_;
  std::function<int(const char*)> removeWav_;  // none: unlink
};

}  // namespace brevora
