// SPDX-License-Identifier: GPL-3.0-or-later
// MP3 encoding through the converter's EncodeFile and LAME loaded at run time.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "audio/audio_converter.h"
#include "fakes/audio.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::MakeWav;
using testing::Mp3Frame;
using testing::ParseMp3Frames;
using testing::TempFolder;
using testing::Tone;

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

struct Encoding {
  TempFolder folder;
  CAudioConverter converter{folder.path() + "Brevora.log"};
  std::string Log() const { return folder.Read("Brevora.log"); }
  // Writes news.wav and encodes it as the text file news.txt's audio.
  int Encode(const std::string& wav, const std::string& name = "news") {
    folder.Write(name + ".wav", wav);
    return converter.EncodeFile(folder.path() + name + ".txt");
  }
};

std::uint32_t Big(const std::string& bytes, size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint16_t Crc16(const std::string& bytes) {
  std::uint16_t crc = 0;
  for (const char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

// The file starts with an Info frame that tells a player the exact length
// (frames, bytes, the encoder's delay and padding) and a seek table, its tag's
// CRC right; every frame after it is MPEG-2 layer III, 16 kHz, mono, 24
// kbit/s, byte for byte what the encoder made; the file decodes.
TEST(EncodeFile, MakesMpeg2LayerThreeAt24KbpsAfterAnInfoFrame) {
  Encoding encoding;
  encoding.folder.Write("news.mp3", std::string(5000, 'x'));  // replaced
  const auto samples = Tone(16000 * 3 + 123);
  ASSERT_EQ(encoding.Encode(MakeWav(samples, 16000)), 0);
  const std::string mp3 = encoding.folder.Read("news.mp3");
  bool complete = false;
  const std::vector<Mp3Frame> frames = ParseMp3Frames(mp3, &complete);
  EXPECT_TRUE(complete);
  ASSERT_GT(frames.size(), 80u);
  for (size_t i = 1; i < frames.size(); ++i) {
    const Mp3Frame& frame = frames[i];
    ASSERT_EQ(frame.version, 2);
    ASSERT_EQ(frame.layer, 3);
    ASSERT_EQ(frame.sampleRate, 16000);
    ASSERT_EQ(frame.channelMode, 3);
    ASSERT_EQ(frame.bitrate, 24);
    ASSERT_TRUE(frame.original);
  }
  const std::string info = mp3.substr(0, frames[0].length);
  EXPECT_EQ(frames[0].sampleRate, 16000);
  EXPECT_EQ(frames[0].channelMode, 3);
  ASSERT_EQ(info.substr(13, 4), "Info");  // after the header and MPEG-2 mono side info
  EXPECT_EQ(Big(info, 17, 4), 0x0Fu);
  EXPECT_EQ(Big(info, 21, 4), frames.size() - 1);
  EXPECT_EQ(Big(info, 25, 4), mp3.size());
  EXPECT_EQ(static_cast<unsigned char>(info[29 + 50]), 128);  // half way: half the bytes
  ASSERT_EQ(info.substr(133, 4), "LAME");
  const std::uint32_t gaps = Big(info, 133 + 21, 3);
  const long delay = gaps >> 12, padding = gaps & 0xFFF;
  EXPECT_GT(delay, 0);
  EXPECT_EQ(static_cast<long>(samples.size()) + delay + padding,
            static_cast<long>(frames.size() - 1) * 576);
  EXPECT_EQ(Big(info, 133 + 34, 2), Crc16(info.substr(0, 133 + 34)));
  EXPECT_EQ(Big(info, 133 + 32, 2), Crc16(mp3.substr(info.size())));

  // The audio is what the encoder made without the frame.
  auto lame = LameEncoder::Load(LameEncoder::DefaultNames());
  EncoderEntryPoints plain = lame->EntryPoints();
  plain.beDelayAndPadding = nullptr;
  encoding.converter.SetEntryPointsForTesting(plain);
  ASSERT_EQ(encoding.Encode(MakeWav(samples, 16000), "plain"), 0);
  EXPECT_EQ(encoding.folder.Read("plain.mp3"), mp3.substr(info.size()));
  const long decoded = testing::DecodeMp3Samples(mp3);
  EXPECT_GE(decoded, static_cast<long>(samples.size()));
  EXPECT_LT(decoded, static_cast<long>(samples.size()) + 4 * 576);
  EXPECT_EQ(encoding.Log(), "");
}

// An 18-byte format chunk skips its two extra bytes: the same MP3 comes out.
TEST(EncodeFile, EighteenByteFormatChunk) {
  Encoding encoding;
  const auto samples = Tone(7000);
  ASSERT_EQ(encoding.Encode(MakeWav(samples, 16000), "plain"), 0);
  ASSERT_EQ(encoding.Encode(MakeWav(samples, 16000, 18), "extended"), 0);
  EXPECT_EQ(encoding.folder.Read("plain.mp3"), encoding.folder.Read("extended.mp3"));
}

// N full chunks and one more: a data size that is an exact multiple of the
// chunk ends with a chunk of 0 samples; a data size that claims more than
// the file holds ends with the file.
TEST(EncodeFile, ChunksAndTheLastChunk) {
  Encoding encoding;
  std::vector<uint32_t> chunks;
  auto lame = LameEncoder::Load(LameEncoder::DefaultNames());
  EncoderEntryPoints entry = lame->EntryPoints();
  auto real = entry.beEncodeChunk;
  entry.beEncodeChunk = [&](EncoderStream s, uint32_t n, const int16_t* p, unsigned char* o,
                            uint32_t* b) {
    chunks.push_back(n);
    return real(s, n, p, o, b);
  };
  encoding.converter.SetEntryPointsForTesting(entry);
  uint32_t chunk = 0;
  EncoderStream stream = nullptr;
  uint32_t bufferBytes = 0;
  ASSERT_EQ(entry.beInitStream(BrevoraEncoderConfig(), &chunk, &bufferBytes, &stream), 0u);
  entry.beCloseStream(stream);
  EXPECT_EQ(chunk % 576, 0u);  // whole MPEG-2 frames
  ASSERT_EQ(encoding.Encode(MakeWav(Tone(chunk * 3), 16000)), 0);
  EXPECT_EQ(chunks, (std::vector<uint32_t>{chunk, chunk, chunk, 0}));

  chunks.clear();
  std::string wav = MakeWav(Tone(chunk + 100), 16000);
  wav[40] = '\xff', wav[41] = '\xff', wav[42] = '\xff', wav[43] = '\x7f';  // a huge size
  ASSERT_EQ(encoding.Encode(wav), 0);
  EXPECT_EQ(chunks, (std::vector<uint32_t>{chunk, 100}));
}

// At a bit rate whose frames could hold LAME's own, and in a file smaller than
// the stream's buffer (written only once flushed), the file starts with one
// Info frame.
TEST(EncodeFile, InfoFrameAtEveryBitRate) {
  for (const auto& [bitrate, samples] : {std::pair{64u, 16000}, std::pair{24u, 3000}}) {
    Encoding encoding;
    encoding.converter.encoderConfig.dwBitrate = bitrate;
    ASSERT_EQ(encoding.Encode(MakeWav(Tone(samples), 16000)), 0);
    const std::string mp3 = encoding.folder.Read("news.mp3");
    if (samples < 16000) {
      ASSERT_LT(mp3.size(), 4096u);  // below the stream buffer of the C library
    }
    bool complete = false;
    const auto frames = ParseMp3Frames(mp3, &complete);
    ASSERT_GT(frames.size(), 1u);
    const std::string first = mp3.substr(0, frames[0].length);
    EXPECT_NE(first.find("Info"), std::string::npos) << bitrate;
    EXPECT_NE(first.find("LAME"), std::string::npos) << bitrate;
    EXPECT_EQ(mp3.find("Info", first.size()), std::string::npos) << bitrate;
    EXPECT_EQ(frames[1].bitrate, static_cast<int>(bitrate));
  }
}

TEST(EncodeFile, MissingLibrary) {
  TempFolder folder;
  CAudioConverter converter(folder.path() + "Brevora.log", {"libno-such-encoder.so.0"});
  EXPECT_NE(folder.Read("Brevora.log")
                .find("] ERROR - Error loading the MP3 encoder (libmp3lame.so.0)\r\r\n"),
            std::string::npos);
  folder.Write("a.wav", MakeWav(Tone(100), 16000));
  EXPECT_EQ(converter.EncodeFile(folder.path() + "a.txt"), -1);
  EXPECT_NE(folder.Read("Brevora.log").find("] ERROR - Unable to get LAME interfaces.\r\r\n"),
            std::string::npos);
  EXPECT_FALSE(folder.Exists("a.mp3"));
}

// A library that lacks a required function is as good as none.
TEST(EncodeFile, LibraryWithoutARequiredFunction) {
  Encoding encoding;
  auto lame = LameEncoder::Load(LameEncoder::DefaultNames());
  EncoderEntryPoints entry = lame->EntryPoints();
  entry.beVersion = nullptr;
  encoding.converter.SetEntryPointsForTesting(entry);
  EXPECT_EQ(encoding.Encode(MakeWav(Tone(100), 16000)), -1);
  EXPECT_NE(encoding.Log().find("Unable to get LAME interfaces."), std::string::npos);
}

TEST(EncodeFile, InputsThatCannotBeUsed) {
  Encoding encoding;
  EXPECT_EQ(encoding.converter.EncodeFile("x.tx"), -1);
  EXPECT_EQ(encoding.converter.EncodeFile(encoding.folder.path() + "none.txt"), -1);
  encoding.folder.Write("dir.mp3/x", "");
  EXPECT_EQ(encoding.Encode(MakeWav(Tone(100), 16000), "dir"), -1);
  const std::string log = encoding.Log();
  EXPECT_NE(log.find("] ERROR - No file extension!\r\r\n"), std::string::npos);
  EXPECT_NE(log.find("] ERROR - Error opening " + encoding.folder.path() + "none.wav \r\r\n"),
            std::string::npos);
  EXPECT_NE(log.find("] ERROR - Error creating file " + encoding.folder.path() + "dir.mp3 \r\r\n"),
            std::string::npos);
}

// Encoder failures are logged with their codes, and everything opened is
// closed before EncodeFile returns.
TEST(EncodeFile, EncoderFailuresCloseEverything) {
  struct Case {
    const char* failing;
    const char* message;
  };
  for (const Case& c :
       {Case{"init", "Error opening encoding stream (5)"},
        Case{"chunk", "beEncodeChunk() failed (7)"}, Case{"flush", "beExitStream failed (3)"}}) {
    Encoding encoding;
    auto lame = LameEncoder::Load(LameEncoder::DefaultNames());
    EncoderEntryPoints entry = lame->EntryPoints();
    int opened = 0, closed = 0;
    auto init = entry.beInitStream;
    entry.beInitStream = [&](const EncoderConfig& config, uint32_t* s, uint32_t* b,
                             EncoderStream* st) {
      if (std::string(c.failing) == "init") return 5u;
      ++opened;
      return init(config, s, b, st);
    };
    auto close = entry.beCloseStream;
    entry.beCloseStream = [&](EncoderStream s) {
      ++closed;
      return close(s);
    };
    if (std::string(c.failing) == "chunk") {
      entry.beEncodeChunk = [](EncoderStream, uint32_t, const int16_t*, unsigned char*, uint32_t*) {
        return 7u;
      };
    }
    if (std::string(c.failing) == "flush") {
      entry.beDeinitStream = [](EncoderStream, unsigned char*, uint32_t*) { return 3u; };
    }
    encoding.converter.SetEntryPointsForTesting(entry);
    const int descriptors = OpenDescriptors();
    EXPECT_EQ(encoding.Encode(MakeWav(Tone(5000), 16000)), -1) << c.failing;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.failing;
    EXPECT_EQ(opened, closed) << c.failing;
    EXPECT_NE(encoding.Log().find(std::string("] ERROR - ") + c.message + "\r\r\n"),
              std::string::npos)
        << c.failing;
  }
}

}  // namespace
}  // namespace brevora
