// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "speech/speech_engine.h"

namespace brevora::testing {

// The bytes of a 16-bit mono PCM WAV file; a format chunk longer than 16
// bytes carries zero bytes after the usual fields.
std::string MakeWav(const std::vector<int16_t>& samples, int sampleRate, uint32_t formatSize = 16);

// A tone of `count` samples.
std::vector<int16_t> Tone(size_t count);

// The samples of a WAV file written by the program (data right after the
// 16-byte format chunk), and its rate.
struct WavContent {
  int sampleRate = 0;
  int channels = 0;
  int bits = 0;
  std::vector<int16_t> samples;
  bool valid = false;
};
WavContent ReadWav(const std::string& bytes);

// One MPEG audio frame header.
struct Mp3Frame {
  int version = 0;  // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
  int layer = 0;
  int bitrate = 0;  // kbit/s
  int sampleRate = 0;
  int channelMode = 0;  // 3 mono
  bool original = false;
  size_t offset = 0, length = 0;
};
// The frames of an MP3 file from its first byte; `complete` tells whether
// they cover the whole file.
std::vector<Mp3Frame> ParseMp3Frames(std::string_view bytes, bool* complete);

// An MP3 file of a tone of `seconds`, 16 kHz mono, with its Info frame.
std::string MakeMp3(int seconds);

// Decodes an MP3 file (after its ID3v2 tag, if it has one) with LAME's
// decoder; the number of samples, -1 on error.
long DecodeMp3Samples(const std::string& bytes);

// Root mean square of samples.
double Loudness(const std::vector<int16_t>& samples);

// A speech engine that speaks a tone: `samplesPerByte` samples for every byte
// of markup, at the rate it was given. Records what it was asked.
class FakeSpeechEngine : public SpeechEngine {
 public:
  explicit FakeSpeechEngine(int rate = 16000) : rate_(rate) {}
  std::vector<VoiceInfo> Voices() override { return {{"Anna", "anna"}, {"Bert", "bert"}}; }
  int SampleRate() const override { return rate_; }
  bool SelectVoice(const std::string& token) override {
    tokens.push_back(token);
    return !failSelect;
  }
  bool Speak(std::string_view markup, SampleSink& sink) override;

  std::vector<std::string> tokens;
  std::vector<std::string> spoken;
  bool failSelect = false;
  bool failSpeak = false;
  long failAfterSamples = -1;  // when not negative: fails once it delivered that many
  int samplesPerByte = 10;
  std::function<void()> onSpeak;
  std::function<void()> beforePiece;  // before each piece of a thousand samples

 private:
  int rate_;
};

}  // namespace brevora::testing
