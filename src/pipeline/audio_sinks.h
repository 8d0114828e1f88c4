#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "pipeline/speech_engine.h"

namespace brevora {

// Time spent in one stage of the audio chain, for the benchmark; summed over
// every thread that works in the stage.
class StageClock {
 public:
  class Scope {
   public:
    explicit Scope(StageClock& clock) : clock_(clock), start_(std::chrono::steady_clock::now()) {}
    ~Scope() {
      clock_.seconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

   private:
    StageClock& clock_;
    std::chrono::steady_clock::time_point start_;
  };
  std::atomic<double> seconds{0};
};

// Writes a 16-bit mono PCM WAV file as the samples come: the RIFF header,
// the 16-byte format chunk and the data chunk right after it, whose sizes are
// set when the file is finished (at the latest when the writer goes away).
class WavWriter : public SampleSink {
 public:
  WavWriter(int sampleRate, StageClock* clock = nullptr) : sampleRate_(sampleRate), clock_(clock) {}
  ~WavWriter() override;
  // Creates the file, replacing one of that name.
  bool Open(const std::string& path);
  bool Samples(const int16_t* samples, size_t count) override;
  // Sets the sizes and closes the file; false when anything failed to write.
  bool Finish();
  // Whether the samples would have passed the 4 GiB a WAV file can describe;
  // the writer then took no more and Finish reports a failure.
  bool TooLarge() const { return tooLarge_; }

 private:
  int sampleRate_;
  StageClock* clock_;
  std::FILE* file_ = nullptr;
  uint64_t dataBytes_ = 0;
  bool failed_ = false;
  bool tooLarge_ = false;
};

struct SoxrState;

// Resamples 16-bit mono audio from the engine's rate to another rate while
// streaming (libsoxr, high quality), handing the result on in chunks.
class ResamplingSink : public SampleSink {
 public:
  ResamplingSink(int inputRate, int outputRate, SampleSink& next, StageClock* clock = nullptr);
  ~ResamplingSink() override;
  bool ok() const { return state_ != nullptr; }
  bool Samples(const int16_t* samples, size_t count) override;
  // Delivers what the resampler still holds; call once at the end.
  bool Finish();

 private:
  bool Drain(const int16_t* samples, size_t count);
  SoxrState* state_;
  SampleSink& next_;
  StageClock* clock_;
  std::vector<int16_t> output_;
};

}  // namespace brevora
