// SPDX-License-Identifier: GPL-3.0-or-later
// The real speech engine, through the converter's SpeakFile: the markup the
// articles carry is obeyed, and text that only looks like markup is spoken.
#include <gtest/gtest.h>

#include "fakes/audio.h"
#include "fakes/temp_folder.h"
#include "audio/audio_converter.h"
#include "speech/espeak_engine.h"

namespace brevora {
namespace {

using testing::ReadWav;
using testing::TempFolder;
using testing::WavContent;

class EspeakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = EspeakEngine::Create();
    ASSERT_NE(engine, nullptr) << "espeak-ng and its data must be installed";
    converter = std::make_unique<CAudioConverter>(folder.path() + "Brevora.log");
    converter->speechVoice = engine.get();
  }

  // Speaks the text from a file and returns the WAV file's content.
  WavContent Speak(const std::string& text, const std::string& name = "a") {
    const std::string path = folder.Write(name + ".txt", text);
    EXPECT_EQ(converter->SpeakFile(path), 0);
    return ReadWav(folder.Read(name + ".wav"));
  }

  double Seconds(const std::string& text) {
    return static_cast<double>(Speak(text).samples.size()) / kWavSampleRate;
  }

  TempFolder folder;
  std::unique_ptr<EspeakEngine> engine;
  std::unique_ptr<CAudioConverter> converter;
};

const char kNews[] =
    "The council met on Monday. Prices rose by two percent. The vote was close. "
    "Rain is expected tomorrow.";

TEST_F(EspeakTest, WritesSixteenKilohertzMonoWav) {
  const WavContent wav = Speak(kNews);
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.sampleRate, 16000);
  EXPECT_EQ(wav.channels, 1);
  EXPECT_EQ(wav.bits, 16);
  EXPECT_GT(wav.samples.size(), 16000u * 3);
  EXPECT_GT(testing::Loudness(wav.samples), 300);
  EXPECT_EQ(folder.Read("Brevora.log"), "");
}

// "&", "<" and ">" in plain news are spoken: every sentence is there.
TEST_F(EspeakTest, MarkupCharactersInPlainTextAreSpoken) {
  const double plain = Seconds(
      "Shares of AT and T rose. Analysts say a b holds. The index c d fell. Trading ended "
      "early. Markets close at five.");
  for (const char* text :
       {"Shares of AT&T rose. Analysts say a<b holds. The index c>d fell. Trading ended early. "
        "Markets close at five.",
        "Shares of AT&T rose. Analysts say a<b holds. The index c d fell. Trading ended early. "
        "Markets close at five. <"}) {
    const double withCharacters = Seconds(text);
    EXPECT_GT(withCharacters, plain * 0.85) << text;
    EXPECT_LT(withCharacters, plain * 1.5) << text;
  }
}

TEST_F(EspeakTest, WindowsSpeechTagsAreObeyed) {
  const double plain = Seconds(kNews);
  EXPECT_LT(Seconds(std::string("<rate speed=\"10\">") + kNews + "</rate>"), plain * 0.7);
  EXPECT_GT(Seconds(std::string("<rate absspeed=\"-5\">") + kNews + "</rate>"), plain * 1.3);
  EXPECT_GT(Seconds(std::string(kNews) + "<silence msec=\"2000\"/>Done."), plain + 1.8);
  EXPECT_GT(Seconds("<spell>Rain tomorrow</spell>"), Seconds("Rain tomorrow") * 1.5);
  const double loud = testing::Loudness(Speak(kNews, "loud").samples);
  const double quiet = testing::Loudness(
      Speak(std::string("<volume level=\"10\">") + kNews + "</volume>", "quiet").samples);
  EXPECT_LT(quiet, loud * 0.6);
  // Emphasis slows the speech a little; the tags themselves are not read aloud.
  EXPECT_LT(Seconds(std::string("<emph>") + kNews + "</emph>"), plain * 1.4);
}

TEST_F(EspeakTest, SsmlIsObeyed) {
  const double plain = Seconds(kNews);
  EXPECT_LT(Seconds(std::string("<speak><prosody rate=\"200%\">") + kNews + "</prosody></speak>"),
            plain * 0.7);
  EXPECT_GT(Seconds(std::string(kNews) + "<break time=\"1500ms\"/>Done."), plain + 1.3);
}

TEST_F(EspeakTest, VoicesAndTheirSelection) {
  const auto voices = engine->Voices();
  ASSERT_FALSE(voices.empty());
  for (const auto& voice : voices) {
    EXPECT_FALSE(voice.description.empty());
    EXPECT_EQ(voice.description.find('_'), std::string::npos);
  }
  EXPECT_TRUE(engine->SelectVoice(""));
  EXPECT_TRUE(engine->SelectVoice(voices.back().token));
  EXPECT_FALSE(engine->SelectVoice("no/such-voice"));
  // Only one engine at a time: the library keeps one state per process.
  EXPECT_EQ(EspeakEngine::Create(), nullptr);
}

// A voice that cannot be selected is a speak error; the next file is fine.
// A page asking for a pause of 1000 s gets a few seconds.
TEST_F(EspeakTest, PausesFromPagesAreBounded) {
  EXPECT_LT(Seconds("Hello there.<break time=\"1000s\"/> Goodbye."), 6.0);
}

TEST_F(EspeakTest, UnknownVoiceIsASpeakError) {
  converter->voiceToken = "no/such-voice";
  EXPECT_EQ(converter->SpeakFile(folder.Write("a.txt", kNews)), -1);
  EXPECT_FALSE(folder.Exists("a.wav"));
  EXPECT_NE(folder.Read("Brevora.log").find("ERROR - Speak error: " + folder.path() + "a\r\r\n"),
            std::string::npos);
  converter->voiceToken.clear();
  EXPECT_TRUE(Speak(kNews, "b").valid);
}

// Without its data the engine does not start, and the program goes on
// (text-only mode) instead of being ended by the library. The library starts
// once a process, so this runs in a process of its own.
TEST(EspeakEngine, NoDataNoEngine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempFolder empty;
  EXPECT_EXIT(
      {
        setenv("ESPEAK_DATA_PATH", empty.path().c_str(), 1);
        std::exit(EspeakEngine::Create() == nullptr ? 7 : 0);
      },
      ::testing::ExitedWithCode(7), "");
}

// Engines one after another in a process end at once (the library's own end
// waits forever on its second start) and keep the library's default voice.
TEST(EspeakEngine, OneAfterAnother) {
  for (int i = 0; i < 3; ++i) {
    auto engine = EspeakEngine::Create();
    ASSERT_NE(engine, nullptr);
    EXPECT_FALSE(engine->Voices().empty());
    EXPECT_TRUE(engine->SelectVoice(i == 0 ? "de" : ""));
  }
}

}  // namespace
}  // namespace brevora
