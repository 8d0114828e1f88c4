// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/audio_sinks.h"

#include <soxr.h>

#include <cstring>
#include <optional>

namespace brevora {

namespace {

void PutLittleEndian(unsigned char* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

void GrowingFile::Grew(uint64_t bytes) {
  {
    std::lock_guard lock(mutex_);
    seen_ = {State::kGrowing, bytes};
  }
  changed_.notify_all();
}

void GrowingFile::End(bool whole) {
  {
    std::lock_guard lock(mutex_);
    seen_.state = whole ? State::kWhole : State::kBroken;
  }
  changed_.notify_all();
}

GrowingFile::Seen GrowingFile::WaitFor(uint64_t bytes) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] {
    return seen_.state == State::kWhole || seen_.state == State::kBroken ||
           (seen_.state == State::kGrowing && seen_.bytes >= bytes);
  });
  return seen_;
}

bool GrowingFile::EndedWhole() {
  std::lock_guard lock(mutex_);
  return seen_.state == State::kWhole;
}

bool GrowingFile::WaitEnd() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock,
                [&] { return seen_.state == State::kWhole || seen_.state == State::kBroken; });
  return seen_.state == State::kWhole;
}

WavWriter::~WavWriter() {
  if (file_ != nullptr) Finish();
}

bool WavWriter::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wbe");
  if (file_ == nullptr) return false;
  unsigned char header[kHeaderBytes] = {};
  std::fwrite(header, 1, sizeof header, file_);  // sizes follow in Finish
  if (std::ferror(file_)) return false;
  if (growing_ != nullptr) growing_->Grew(0);
  return true;
}

bool WavWriter::Samples(const int16_t* samples, size_t count) {
  std::optional<StageClock::Scope> timing;
  if (clock_ != nullptr) timing.emplace(*clock_);
  if (file_ == nullptr || failed_) return false;
  if (dataBytes_ + count * sizeof(int16_t) > UINT32_MAX - 36) {
    tooLarge_ = failed_ = true;  // the sizes in the header could not say it
    return false;
  }
  // WAV samples are little-endian, as this platform's are.
  if (std::fwrite(samples, sizeof(int16_t), count, file_) != count) failed_ = true;
  dataBytes_ += count * sizeof(int16_t);
  if (growing_ != nullptr && !failed_ && dataBytes_ - told_ >= 2u * sampleRate_) {
    if (std::fflush(file_) != 0) {
      failed_ = true;
      return false;
    }
    told_ = dataBytes_;
    growing_->Grew(told_);
  }
  return !failed_;
}

bool WavWriter::Finish() {
  if (file_ == nullptr) return false;
  const uint32_t data =
      dataBytes_ > UINT32_MAX - 36 ? UINT32_MAX - 36 : static_cast<uint32_t>(dataBytes_);
  unsigned char header[kHeaderBytes];
  std::memcpy(header, "RIFF", 4);
  PutLittleEndian(header + 4, 36 + data, 4);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  PutLittleEndian(header + 16, 16, 4);  // format chunk size
  PutLittleEndian(header + 20, 1, 2);   // PCM
  PutLittleEndian(header + 22, 1, 2);   // mono
  PutLittleEndian(header + 24, sampleRate_, 4);
  PutLittleEndian(header + 28, sampleRate_ * 2, 4);  // bytes per second
  PutLittleEndian(header + 32, 2, 2);                // block alignment
  PutLittleEndian(header + 34, 16, 2);               // bits per sample
  std::memcpy(header + 36, "data", 4);
  PutLittleEndian(header + 40, data, 4);
  bool ok = !failed_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
            std::fwrite(header, 1, sizeof header, file_) == sizeof header;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok && growing_ != nullptr) growing_->Grew(dataBytes_);
  return ok;
}

struct SoxrState {
  soxr_t soxr;
};

ResamplingSink::ResamplingSink(int inputRate, int outputRate, SampleSink& next, StageClock* clock)
    : state_(nullptr), next_(next), clock_(clock) {
  soxr_error_t error = nullptr;
  soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
  // No dither: its noise has a seed of the library's own, and the same
  // article must give the same bytes every time.
  io.flags |= SOXR_NO_DITHER;
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_t soxr = soxr_create(inputRate, outputRate, 1, &error, &io, &quality, nullptr);
  if (error == nullptr && soxr != nullptr) state_ = new SoxrState{soxr};
  output_.resize(8192);
}

ResamplingSink::~ResamplingSink() {
  if (state_ != nullptr) soxr_delete(state_->soxr);
  delete state_;
}

bool ResamplingSink::Samples(const int16_t* samples, size_t count) {
  if (state_ == nullptr) return false;
  return Drain(samples, count);
}

bool ResamplingSink::Finish() {
  if (state_ == nullptr) return false;
  return Drain(nullptr, 0);
}

// Feeds the input (nothing: the end) and hands every output chunk on.
bool ResamplingSink::Drain(const int16_t* samples, size_t count) {
  for (;;) {
    size_t used = 0, made = 0;
    {
      std::optional<StageClock::Scope> timing;
      if (clock_ != nullptr) timing.emplace(*clock_);
      if (soxr_process(state_->soxr, samples, count, &used, output_.data(), output_.size(),
                       &made) != nullptr) {
        return false;
      }
    }
    if (made > 0 && !next_.Samples(output_.data(), made)) return false;
    if (samples != nullptr) {
      samples += used;
      count -= used;
      if (count == 0 && made < output_.size()) return true;
    } else if (made == 0) {
      return true;  // flushed
    }
  }
}

}  // namespace brevora
