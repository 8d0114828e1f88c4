// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevora {

class DynamicLibrary;

// The encoder's configuration record, in its LAME form; every field not set
// is 0.
struct EncoderConfig {
  uint32_t dwConfig = 0;
  uint32_t dwStructVersion = 0;
  uint32_t dwStructSize = 0;
  uint32_t dwSampleRate = 0;
  uint32_t dwReSampleRate = 0;
  int32_t nMode = 0;
  uint32_t dwBitrate = 0;
  uint32_t dwMaxBitrate = 0;
  int32_t nPreset = 0;
  uint32_t dwMpegVersion = 0;
  uint32_t dwPsyModel = 0;
  uint32_t dwEmphasis = 0;
  int32_t bPrivate = 0;
  int32_t bCRC = 0;
  int32_t bCopyright = 0;
  int32_t bOriginal = 0;
  int32_t bWriteVBRHeader = 0;
  int32_t bEnableVBR = 0;
  int32_t nVBRQuality = 0;
  uint32_t dwVbrAbr_bps = 0;
  int32_t nVbrMethod = 0;
  int32_t bNoRes = 0;
  int32_t bStrictIso = 0;
  uint16_t nQuality = 0;
};

inline constexpr int32_t kModeMono = 3;
inline constexpr int32_t kPresetHighQuality = 2;

// The configuration of Brevora's MP3 files: 16 kHz mono in, MPEG-2 layer III
// at 24 kbit/s constant bit rate, high quality, no bit reservoir.
EncoderConfig BrevoraEncoderConfig();

using EncoderStream = void*;

// The encoder's seven entry points, each empty when the library lacks what it
// needs. Every one that returns a code returns 0 on success.
struct EncoderEntryPoints {
  // Opens a stream: the samples per chunk and the size of the MP3 buffer.
  std::function<uint32_t(const EncoderConfig&, uint32_t* samples, uint32_t* bufferBytes,
                         EncoderStream* stream)>
      beInitStream;
  std::function<uint32_t(EncoderStream, uint32_t sampleCount, const int16_t* samples,
                         unsigned char* out, uint32_t* outBytes)>
      beEncodeChunk;
  // Flushes the encoder; may give final bytes.
  std::function<uint32_t(EncoderStream, unsigned char* out, uint32_t* outBytes)> beDeinitStream;
  std::function<uint32_t(EncoderStream)> beCloseStream;
  std::function<std::string()> beVersion;
  // Write the header frame of the last flushed stream, or of the given one,
  // over the first frame of the finished file, when the encoder makes one.
  std::function<uint32_t(const std::string& mp3Name)> beWriteVBRHeader;
  std::function<uint32_t(EncoderStream, const std::string& mp3Name)> beWriteInfoTag;
  // The samples the encoder put before the audio and after it, once flushed.
  std::function<bool(EncoderStream, int* delay, int* padding)> beDelayAndPadding;

  // The six that encoding cannot do without (beWriteInfoTag is optional).
  bool HasRequired() const {
    return beInitStream && beEncodeChunk && beDeinitStream && beCloseStream && beVersion &&
           beWriteVBRHeader;
  }
};

// LAME loaded at run time, with our entry points over its own interface.
class LameEncoder {
 public:
  // Tries the names in order; nothing when none loads.
  static std::unique_ptr<LameEncoder> Load(const std::vector<std::string>& names);
  // The names the program tries: the system's search, then beside the
  // current folder's parent.
  static std::vector<std::string> DefaultNames() {
    return {"libmp3lame.so.0", "../libmp3lame.so.0"};
  }

  ~LameEncoder();
  EncoderEntryPoints EntryPoints();

  struct Functions;

 private:
  explicit LameEncoder(std::unique_ptr<DynamicLibrary> library);
  std::unique_ptr<DynamicLibrary> library_;
  std::unique_ptr<Functions> functions_;
  // Streams are encoded on several threads at once.
  std::atomic<EncoderStream> lastFlushed_{nullptr};
};

}  // namespace brevora
