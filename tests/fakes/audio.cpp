// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/audio.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace brevora::testing {

namespace {

void Put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t Get(const std::string& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

std::string MakeWav(const std::vector<int16_t>& samples, int sampleRate, uint32_t formatSize) {
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  std::string out = "RIFF";
  Put(out, 4 + 8 + formatSize + 8 + data, 4);
  out += "WAVEfmt ";
  Put(out, formatSize, 4);
  Put(out, 1, 2);
  Put(out, 1, 2);
  Put(out, sampleRate, 4);
  Put(out, sampleRate * 2, 4);
  Put(out, 2, 2);
  Put(out, 16, 2);
  out.append(formatSize - 16, '\0');
  out += "data";
  Put(out, data, 4);
  for (int16_t sample : samples) Put(out, static_cast<uint16_t>(sample), 2);
  return out;
}

std::vector<int16_t> Tone(size_t count) {
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) {
    samples[i] =
        static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * static_cast<double>(i) / 16000));
  }
  return samples;
}

WavContent ReadWav(const std::string& bytes) {
  WavContent wav;
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 ||
      bytes.compare(8, 8, "WAVEfmt ") != 0 || Get(bytes, 16, 4) != 16 ||
      bytes.compare(36, 4, "data") != 0) {
    return wav;
  }
  wav.channels = static_cast<int>(Get(bytes, 22, 2));
  wav.sampleRate = static_cast<int>(Get(bytes, 24, 4));
  wav.bits = static_cast<int>(Get(bytes, 34, 2));
  const uint32_t data = Get(bytes, 40, 4);
  if (44 + data != bytes.size() || Get(bytes, 4, 4) != 36 + data) return wav;
  wav.samples.resize(data / 2);
  if (data > 0) std::memcpy(wav.samples.data(), bytes.data() + 44, data);
  wav.valid = true;
  return wav;
}

std::vector<Mp3Frame> ParseMp3Frames(std::string_view bytes, bool* complete) {
  static const int kBitratesV2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                      64, 80, 96, 112, 128, 144, 160, 0};
  static const int kBitratesV1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                      112, 128, 160, 192, 224, 256, 320, 0};
  static const int kRates[3][3] = {
      {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
  std::vector<Mp3Frame> frames;
  size_t at = 0;
  while (at + 4 <= bytes.size()) {
    const auto* h = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) break;
    Mp3Frame frame;
    const int versionBits = (h[1] >> 3) & 3;
    frame.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : versionBits == 0 ? 25 : 0;
    frame.layer = 4 - ((h[1] >> 1) & 3);
    const int bitrateIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
    if (frame.version == 0 || rateIndex == 3) break;
    frame.bitrate = frame.version == 1 ? kBitratesV1[bitrateIndex] : kBitratesV2[bitrateIndex];
    frame.sampleRate = kRates[frame.version == 1 ? 0 : frame.version == 2 ? 1 : 2][rateIndex];
    frame.channelMode = h[3] >> 6;
    frame.original = (h[3] >> 2) & 1;
    frame.offset = at;
    frame.length =
        (frame.version == 1 ? 144 : 72) * frame.bitrate * 1000 / frame.sampleRate + padding;
    if (frame.length == 0) break;
    frames.push_back(frame);
    at += frame.length;
  }
  if (complete != nullptr) *complete = at == bytes.size();
  return frames;
}

std::string MakeMp3(int seconds) {
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, 16000);
  lame_set_num_channels(lame, 1);
  lame_set_mode(lame, MONO);
  lame_set_brate(lame, 32);
  lame_set_write_id3tag_automatic(lame, 0);
  lame_init_params(lame);
  const std::vector<int16_t> tone = Tone(static_cast<size_t>(seconds) * 16000);
  std::vector<unsigned char> buffer(tone.size() * 5 / 4 + 7200 + 4096);
  std::string out;
  const int made = lame_encode_buffer(lame, tone.data(), tone.data(), static_cast<int>(tone.size()),
                                      buffer.data(), static_cast<int>(buffer.size()));
  out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(std::max(made, 0)));
  const int flushed = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  out.append(reinterpret_cast<const char*>(buffer.data()),
             static_cast<size_t>(std::max(flushed, 0)));
  // The Info frame takes the place of the first frame, as the program's encoder writes it.
  std::vector<unsigned char> info(4096);
  const size_t infoSize = lame_get_lametag_frame(lame, info.data(), info.size());
  if (infoSize > 0 && infoSize <= out.size()) {
    out.replace(0, infoSize, reinterpret_cast<const char*>(info.data()), infoSize);
  }
  lame_close(lame);
  return out;
}

long DecodeMp3Samples(const std::string& file) {
  // The audio after an ID3v2 tag: its 10-byte header, then its size as four
  // 7-bit bytes.
  size_t tag = 0;
  if (file.size() >= 10 && file.compare(0, 3, "ID3") == 0) {
    for (int i = 6; i < 10; ++i) tag = (tag << 7) | (static_cast<unsigned char>(file[i]) & 0x7F);
    tag += 10;
  }
  const std::string bytes = file.substr(std::min(tag, file.size()));
  hip_t decoder = hip_decode_init();
  if (decoder == nullptr) return -1;
  std::vector<short> left(4608), right(4608);
  long total = 0;
  bool complete = false;
  // One frame at a time, so that the output never outgrows the buffers.
  for (const Mp3Frame& frame : ParseMp3Frames(bytes, &complete)) {
    std::vector<unsigned char> input(bytes.begin() + frame.offset,
                                     bytes.begin() + frame.offset + frame.length);
    int made = hip_decode1(decoder, input.data(), input.size(), left.data(), right.data());
    while (made > 0) {
      total += made;
      made = hip_decode1(decoder, input.data(), 0, left.data(), right.data());
    }
    if (made < 0) total = -1;
    if (total < 0) break;
  }
  hip_decode_exit(decoder);
  return complete ? total : -1;
}

double Loudness(const std::vector<int16_t>& samples) {
  if (samples.empty()) return 0;
  double sum = 0;
  for (int16_t s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

bool FakeSpeechEngine::Speak(std::string_view markup, SampleSink& sink) {
  spoken.emplace_back(markup);
  if (onSpeak) onSpeak();
  if (failSpeak) return false;
  const std::vector<int16_t> tone = Tone(markup.size() * static_cast<size_t>(samplesPerByte));
  // Delivered in pieces, as an engine does.
  for (size_t at = 0; at < tone.size(); at += 1000) {
    if (failAfterSamples >= 0 && at >= static_cast<size_t>(failAfterSamples)) return false;
    if (beforePiece) beforePiece();
    if (!sink.Samples(tone.data() + at, std::min<size_t>(1000, tone.size() - at))) return false;
  }
  return true;
}

}  // namespace brevora::testing
