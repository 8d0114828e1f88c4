// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "speech/speech_engine.h"

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

// How far a file being written has come, for a reader on another thread
// that reads it as it grows. The writer says when the file exists, how many
// bytes of data are on disk, and at last whether it ended whole; a file that
// does not end whole ends broken (the writer's side deletes it).
class GrowingFile {
 public:
  enum class State { kNotYet, kGrowing, kWhole, kBroken };
  struct Seen {
    State state;
    uint64_t bytes;  // data bytes on disk
  };

  void Grew(uint64_t bytes);  // the file exists and holds `bytes` bytes of data
  void End(bool whole);       // the last call of the writer's side

  // Waits until the file holds at least `bytes` bytes of data or has ended.
  Seen WaitFor(uint64_t bytes);
  // Waits for the end; true when the file ended whole.
  bool WaitEnd();
  // Whether the file has ended whole already (no waiting).
  bool EndedWhole();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  Seen seen_{State::kNotYet, 0};
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
  // Tells `growing` as the file grows, a second of sound at a time, and its
  // size once it is finished; the caller ends it.
  void Follow(GrowingFile* growing) { growing_ = growing; }

  // Where the data begins: a reader that follows the file starts there.
  static constexpr uint64_t kHeaderBytes = 44;

 private:
  int sampleRate_;
  StageClock* clock_;
  GrowingFile* growing_ = nullptr;
  uint64_t told_ = 0;  // data bytes `growing_` knows of
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
