// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mp3_encoder.h"

#include <lame/lame.h>

#include <cstdio>

#include "platform/dynamic_library.h"

namespace brevora {

EncoderConfig BrevoraEncoderConfig() {
  EncoderConfig config;
  config.dwConfig = 256;
  config.dwStructVersion = 1;
  config.dwStructSize = 331;
  config.dwSampleRate = 16000;
  config.dwReSampleRate = 0;
  config.nMode = kModeMono;
  config.dwBitrate = 24;
  config.nPreset = kPresetHighQuality;
  config.dwMpegVersion = 0;
  config.bOriginal = 1;
  config.bWriteVBRHeader = 0;  // the Info frame is ours: LAME's does not fit 24 kbit/s frames
  config.bEnableVBR = 0;
  config.nVbrMethod = -1;
  config.bNoRes = 1;
  return config;
}

// The LAME functions our entry points use, looked up by name.
struct LameEncoder::Functions {
  decltype(&lame_init) init = nullptr;
  decltype(&lame_set_in_samplerate) setInSampleRate = nullptr;
  decltype(&lame_set_out_samplerate) setOutSampleRate = nullptr;
  decltype(&lame_set_num_channels) setChannels = nullptr;
  decltype(&lame_set_mode) setMode = nullptr;
  decltype(&lame_set_brate) setBitrate = nullptr;
  decltype(&lame_set_VBR) setVbr = nullptr;
  decltype(&lame_set_quality) setQuality = nullptr;
  decltype(&lame_set_original) setOriginal = nullptr;
  decltype(&lame_set_copyright) setCopyright = nullptr;
  decltype(&lame_set_error_protection) setCrc = nullptr;
  decltype(&lame_set_emphasis) setEmphasis = nullptr;
  decltype(&lame_set_bWriteVbrTag) setWriteVbrTag = nullptr;
  decltype(&lame_set_disable_reservoir) setDisableReservoir = nullptr;
  decltype(&lame_set_strict_ISO) setStrictIso = nullptr;
  decltype(&lame_init_params) initParams = nullptr;
  decltype(&lame_get_framesize) frameSize = nullptr;
  decltype(&lame_encode_buffer) encodeBuffer = nullptr;
  decltype(&lame_encode_flush) encodeFlush = nullptr;
  decltype(&lame_close) close = nullptr;
  decltype(&get_lame_version) version = nullptr;
  decltype(&lame_get_lametag_frame) lametagFrame = nullptr;
  decltype(&lame_get_encoder_delay) encoderDelay = nullptr;
  decltype(&lame_get_encoder_padding) encoderPadding = nullptr;

  bool CanInit() const {
    return init && setInSampleRate && setOutSampleRate && setChannels && setMode && setBitrate &&
           setVbr && setQuality && setOriginal && setCopyright && setCrc && setEmphasis &&
           setWriteVbrTag && setDisableReservoir && setStrictIso && initParams && frameSize;
  }
};

namespace {

template <typename Function>
void Find(const DynamicLibrary& library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(library.Symbol(name));
}

constexpr uint32_t kEncoderError = 2;
constexpr uint32_t kFramesPerChunk = 16;  // the Blade interface's "not supported / failed"

uint32_t WorstCaseBytes(uint32_t samples) {
  return samples + samples / 4 + 7200;
}

}  // namespace

std::unique_ptr<LameEncoder> LameEncoder::Load(const std::vector<std::string>& names) {
  for (const auto& name : names) {
    if (auto library = DynamicLibrary::Open(name)) {
      return std::unique_ptr<LameEncoder>(new LameEncoder(std::move(library)));
    }
  }
  return nullptr;
}

LameEncoder::LameEncoder(std::unique_ptr<DynamicLibrary> library)
    : library_(std::move(library)), functions_(std::make_unique<Functions>()) {
  Functions& f = *functions_;
  const DynamicLibrary& l = *library_;
  Find(l, "lame_init", f.init);
  Find(l, "lame_set_in_samplerate", f.setInSampleRate);
  Find(l, "lame_set_out_samplerate", f.setOutSampleRate);
  Find(l, "lame_set_num_channels", f.setChannels);
  Find(l, "lame_set_mode", f.setMode);
  Find(l, "lame_set_brate", f.setBitrate);
  Find(l, "lame_set_VBR", f.setVbr);
  Find(l, "lame_set_quality", f.setQuality);
  Find(l, "lame_set_original", f.setOriginal);
  Find(l, "lame_set_copyright", f.setCopyright);
  Find(l, "lame_set_error_protection", f.setCrc);
  Find(l, "lame_set_emphasis", f.setEmphasis);
  Find(l, "lame_set_bWriteVbrTag", f.setWriteVbrTag);
  Find(l, "lame_set_disable_reservoir", f.setDisableReservoir);
  Find(l, "lame_set_strict_ISO", f.setStrictIso);
  Find(l, "lame_init_params", f.initParams);
  Find(l, "lame_get_framesize", f.frameSize);
  Find(l, "lame_encode_buffer", f.encodeBuffer);
  Find(l, "lame_encode_flush", f.encodeFlush);
  Find(l, "lame_close", f.close);
  Find(l, "get_lame_version", f.version);
  Find(l, "lame_get_lametag_frame", f.lametagFrame);
  Find(l, "lame_get_encoder_delay", f.encoderDelay);
  Find(l, "lame_get_encoder_padding", f.encoderPadding);
}

LameEncoder::~LameEncoder() = default;

EncoderEntryPoints LameEncoder::EntryPoints() {
  const Functions* f = functions_.get();
  EncoderEntryPoints entry;
  if (f->CanInit()) {
    entry.beInitStream = [f](const EncoderConfig& config, uint32_t* samples, uint32_t* bufferBytes,
                             EncoderStream* stream) -> uint32_t {
      lame_global_flags* gfp = f->init();
      if (gfp == nullptr) return kEncoderError;
      f->setInSampleRate(gfp, static_cast<int>(config.dwSampleRate));
      f->setOutSampleRate(gfp, static_cast<int>(config.dwReSampleRate));
      f->setChannels(gfp, config.nMode == kModeMono ? 1 : 2);
      f->setMode(gfp, config.nMode == kModeMono ? MONO : JOINT_STEREO);
      f->setBitrate(gfp, static_cast<int>(config.dwBitrate));
      f->setVbr(gfp, config.bEnableVBR ? vbr_default : vbr_off);
      f->setQuality(gfp, config.nPreset == kPresetHighQuality ? 2 : 5);
      f->setOriginal(gfp, config.bOriginal);
      f->setCopyright(gfp, config.bCopyright);
      f->setCrc(gfp, config.bCRC);
      f->setEmphasis(gfp, static_cast<int>(config.dwEmphasis));
      f->setWriteVbrTag(gfp, config.bWriteVBRHeader);
      f->setDisableReservoir(gfp, config.bNoRes);
      f->setStrictIso(gfp, config.bStrictIso);
      if (f->initParams(gfp) < 0) {
        if (f->close) f->close(gfp);
        return kEncoderError;
      }
      // Sixteen frames a chunk: fewer calls into the encoder than one frame
      // at a time, for the same output.
      *samples = static_cast<uint32_t>(f->frameSize(gfp)) * kFramesPerChunk;
      *bufferBytes = WorstCaseBytes(*samples);
      *stream = gfp;
      return 0;
    };
  }
  if (f->encodeBuffer) {
    entry.beEncodeChunk = [f](EncoderStream stream, uint32_t count, const int16_t* samples,
                              unsigned char* out, uint32_t* outBytes) -> uint32_t {
      const int made =
          f->encodeBuffer(static_cast<lame_global_flags*>(stream), samples, samples,
                          static_cast<int>(count), out, static_cast<int>(WorstCaseBytes(count)));
      if (made < 0) return static_cast<uint32_t>(-made);
      *outBytes = static_cast<uint32_t>(made);
      return 0;
    };
  }
  if (f->encodeFlush) {
    entry.beDeinitStream = [this, f](EncoderStream stream, unsigned char* out,
                                     uint32_t* outBytes) -> uint32_t {
      const int made = f->encodeFlush(static_cast<lame_global_flags*>(stream), out, 7200);
      if (made < 0) return static_cast<uint32_t>(-made);
      *outBytes = static_cast<uint32_t>(made);
      lastFlushed_ = stream;
      return 0;
    };
  }
  if (f->close) {
    entry.beCloseStream = [this, f](EncoderStream stream) -> uint32_t {
      EncoderStream flushed = stream;
      lastFlushed_.compare_exchange_strong(flushed, nullptr);
      return f->close(static_cast<lame_global_flags*>(stream)) == 0 ? 0 : kEncoderError;
    };
  }
  if (f->version) {
    entry.beVersion = [f] { return std::string(f->version()); };
  }
  if (f->encoderDelay && f->encoderPadding) {
    entry.beDelayAndPadding = [f](EncoderStream stream, int* delay, int* padding) {
      *delay = f->encoderDelay(static_cast<lame_global_flags*>(stream));
      *padding = f->encoderPadding(static_cast<lame_global_flags*>(stream));
      return *delay >= 0 && *padding >= 0;
    };
  }
  if (f->lametagFrame) {
    // LAME's Info frame goes over the first frame, which LAME reserved for it.
    // Frames too small to hold it get none, and the file stays as it is.
    auto writeTag = [f](EncoderStream stream, const std::string& mp3Name) -> uint32_t {
      if (stream == nullptr) return kEncoderError;
      unsigned char frame[8192];
      const size_t size =
          f->lametagFrame(static_cast<lame_global_flags*>(stream), frame, sizeof frame);
      if (size == 0) return 0;
      if (size > sizeof frame) return kEncoderError;
      std::FILE* file = std::fopen(mp3Name.c_str(), "r+be");
      if (file == nullptr) return kEncoderError;
      const bool written = std::fwrite(frame, 1, size, file) == size;
      return (std::fclose(file) == 0 && written) ? 0 : kEncoderError;
    };
    entry.beWriteInfoTag = writeTag;
    entry.beWriteVBRHeader = [this, writeTag](const std::string& mp3Name) {
      return writeTag(lastFlushed_, mp3Name);
    };
  }
  return entry;
}

}  // namespace brevora
