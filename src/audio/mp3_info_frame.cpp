// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mp3_info_frame.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace brevora {

namespace {

// Bit rates of layer III in kbit/s by index, for MPEG-1 and for MPEG-2 and 2.5.
constexpr int kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
constexpr int kSampleRates[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
constexpr std::size_t kLameTagBytes = 36;

struct Header {
  int version = 0;  // the header's two version bits: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  int bitrateIndex = 0;
  int sampleRate = 0;
  bool mono = false;
  std::size_t length = 0;
};

// A layer III frame header at the start of `bytes`.
std::optional<Header> ReadHeader(std::string_view bytes) {
  if (bytes.size() < 4) return std::nullopt;
  const auto b = [&](size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[i]));
  };
  if (b(0) != 0xFF || (b(1) & 0xE0) != 0xE0 || ((b(1) >> 1) & 3) != 1) return std::nullopt;
  Header header;
  header.version = (b(1) >> 3) & 3;
  header.bitrateIndex = (b(2) >> 4) & 15;
  const int rateIndex = (b(2) >> 2) & 3;
  if (header.version == 1 || rateIndex == 3 || header.bitrateIndex == 0 ||
      header.bitrateIndex == 15) {
    return std::nullopt;
  }
  header.sampleRate = kSampleRates[header.version][rateIndex];
  header.mono = ((b(3) >> 6) & 3) == 3;
  const bool mpeg1 = header.version == 3;
  const int kbps = kBitrates[mpeg1 ? 0 : 1][header.bitrateIndex];
  const int padding = (b(2) >> 1) & 1;
  header.length =
      static_cast<size_t>((mpeg1 ? 144000 : 72000) * kbps / header.sampleRate + padding);
  return header;
}

// CRC-16 as LAME computes its tag's (polynomial 0x8005, bits taken low first).
std::uint16_t Crc16(std::string_view bytes, std::uint16_t crc = 0) {
  for (const char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

void PutBig(std::string& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out[at + i] = static_cast<char>((value >> (8 * (bytes - 1 - i))) & 0xFF);
  }
}

}  // namespace

std::string Mp3InfoFrame(std::string_view audio, std::string_view encoder, int delay, int padding) {
  const std::optional<Header> first = ReadHeader(audio);
  if (!first) return {};
  // The stream's frames: counted up to the first bytes that are no frame.
  std::uint32_t frames = 0;
  std::size_t at = 0;
  while (const std::optional<Header> frame = ReadHeader(audio.substr(at))) {
    if (at + frame->length > audio.size()) break;
    at += frame->length;
    ++frames;
  }
  const bool mpeg1 = first->version == 3;
  const std::size_t sideInfo = mpeg1 ? (first->mono ? 17 : 32) : (first->mono ? 9 : 17);
  const std::size_t tagAt = 4 + sideInfo;
  const std::size_t lameAt = tagAt + 120;
  const std::size_t needed = lameAt + kLameTagBytes;
  // The lowest bit rate whose frame holds the tag (without the padding byte).
  int index = 1;
  std::size_t length = 0;
  for (; index < 15; ++index) {
    length = static_cast<size_t>((mpeg1 ? 144000 : 72000) * kBitrates[mpeg1 ? 0 : 1][index] /
                                 first->sampleRate);
    if (length >= needed) break;
  }
  if (index == 15) return {};
  std::string frame(length, '\0');
  frame[0] = '\xFF';
  frame[1] = audio[1] | 0x01;  // no CRC of its own
  frame[2] = static_cast<char>((index << 4) | (static_cast<unsigned char>(audio[2]) & 0x0C));
  frame[3] = audio[3];
  frame.replace(tagAt, 4, "Info");
  PutBig(frame, tagAt + 4, 0x0F, 4);  // frames, bytes, seek table, quality
  PutBig(frame, tagAt + 8, frames, 4);
  const std::uint64_t bytes = length + at;
  PutBig(frame, tagAt + 12, static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, UINT32_MAX)),
         4);
  for (int i = 0; i < 100; ++i) frame[tagAt + 16 + i] = static_cast<char>(i * 256 / 100);
  PutBig(frame, tagAt + 116, 0, 4);  // quality: none given
  std::string version = "LAME" + std::string(encoder.substr(0, 5));
  version.resize(9, ' ');
  frame.replace(lameAt, 9, version);
  frame[lameAt + 9] = 0x01;  // tag revision 0, constant bit rate
  const int kbps = kBitrates[mpeg1 ? 0 : 1][first->bitrateIndex];
  frame[lameAt + 20] = static_cast<char>(std::min(kbps, 255));
  const std::uint32_t gaps = (static_cast<std::uint32_t>(std::clamp(delay, 0, 4095)) << 12) |
                             static_cast<std::uint32_t>(std::clamp(padding, 0, 4095));
  PutBig(frame, lameAt + 21, gaps, 3);
  PutBig(frame, lameAt + 28, static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, UINT32_MAX)),
         4);
  PutBig(frame, lameAt + 32, Crc16(audio.substr(0, at)), 2);
  PutBig(frame, lameAt + 34, Crc16(std::string_view(frame).substr(0, lameAt + 34)), 2);
  return frame;
}

}  // namespace brevora
