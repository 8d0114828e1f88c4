// Speaking files and the conversion pass, with a scripted speech engine and
// the real encoder.
#include "pipeline/audio_converter.h"

#include <gtest/gtest.h>

#include "fakes/audio.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::FakeSpeechEngine;
using testing::ReadWav;
using testing::TempFolder;

struct Converting {
  TempFolder folder;
  CAudioConverter converter{folder.path() + "Brevora.log"};
  FakeSpeechEngine engine;
  Converting() { converter.speechVoice = &engine; }
  std::string Log() const { return folder.Read("Brevora.log"); }
  int LogEntries() const {
    const std::string text = Log();
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
};

TEST(SpeakFile, WritesTheWavBesideTheText) {
  Converting c;
  c.folder.Write("news.wav", std::string(100000, 'x'));  // replaced
  c.converter.voiceToken = "bert";
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("news.txt", "AT&T")), 0);
  EXPECT_EQ(c.engine.tokens, std::vector<std::string>{"bert"});
  EXPECT_EQ(c.engine.spoken, std::vector<std::string>{"AT&amp;T"});
  const auto wav = ReadWav(c.folder.Read("news.wav"));
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.sampleRate, 16000);
  EXPECT_EQ(wav.samples.size(), 80u);
  EXPECT_EQ(c.Log(), "");
}

// An engine at another rate is resampled to 16 kHz while it speaks.
TEST(SpeakFile, ResamplesTheEnginesRate) {
  Converting c;
  FakeSpeechEngine engine(22050);
  engine.samplesPerByte = 22050;  // one second per byte
  c.converter.speechVoice = &engine;
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("a.txt", "xyz")), 0);
  const auto wav = ReadWav(c.folder.Read("a.wav"));
  ASSERT_TRUE(wav.valid);
  EXPECT_NEAR(static_cast<double>(wav.samples.size()), 3 * 16000, 10);
  EXPECT_GT(testing::Loudness(wav.samples), 4000);
}

TEST(SpeakFile, PathsAndInputs) {
  Converting c;
  EXPECT_EQ(c.converter.SpeakFile(""), -1);
  EXPECT_EQ(c.converter.SpeakFile("x.tx"), -1);
  const std::string missing = c.folder.path() + "missing.txt";
  EXPECT_EQ(c.converter.SpeakFile(missing), -1);
  // Five characters are enough; a name without extension loses four all the same.
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("abcd", "hello")), 0);
  EXPECT_TRUE(c.folder.Exists(".wav"));
  const std::string log = c.Log();
  EXPECT_NE(log.find("] ERROR - File name is not specified!\r\r\n"), std::string::npos);
  EXPECT_NE(log.find("] ERROR - No file extension!\r\r\n"), std::string::npos);
  EXPECT_NE(log.find("] ERROR - Error openning the file " + missing + " \r\r\n"), std::string::npos);
  EXPECT_EQ(c.LogEntries(), 3);
  EXPECT_FALSE(c.folder.Exists("missing.wav"));
}

TEST(SpeakFile, EngineFailuresAreSpeakErrors) {
  Converting c;
  c.engine.failSpeak = true;
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("a.txt", "x")), 0);
  c.engine.failSpeak = false;
  c.engine.failSelect = true;
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("b.txt", "x")), 0);
  c.converter.speechVoice = nullptr;
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("c.txt", "x")), 0);
  const std::string log = c.Log();
  for (const char* base : {"a", "b", "c"}) {
    EXPECT_NE(log.find("] ERROR - Speak error: " + c.folder.path() + base + "\r\r\n"),
              std::string::npos);
  }
  EXPECT_EQ(c.LogEntries(), 3);
}

// Top/a.txt and Top/world/b.txt with "mp3": MP3 files beside them, no WAV left.
TEST(ConvertAll, Mp3AndWavFormats) {
  for (const std::string format : {"mp3", "MP3", "anything", "wav", "WAV"}) {
    Converting c;
    c.folder.Write("Top/a.txt", "first article");
    c.folder.Write("Top/world/b.txt", "second article");
    c.folder.Write("Top/world/notes.TXT", "not spoken: the pattern is case-sensitive");
    c.converter.outputFormat = format;
    EXPECT_EQ(c.converter.ConvertAll(&c.engine, "anna", c.folder.path()), 0);
    const bool wav = format == "wav" || format == "WAV";
    EXPECT_EQ(c.folder.Exists("Top/a.wav"), wav) << format;
    EXPECT_EQ(c.folder.Exists("Top/world/b.wav"), wav) << format;
    EXPECT_EQ(c.folder.Exists("Top/a.mp3"), !wav) << format;
    EXPECT_EQ(c.folder.Exists("Top/world/b.mp3"), !wav) << format;
    EXPECT_FALSE(c.folder.Exists("Top/world/notes.wav"));
    EXPECT_EQ(c.engine.tokens, (std::vector<std::string>{"anna", "anna"}));
    EXPECT_EQ(c.Log(), "");
    EXPECT_EQ(c.converter.speechVoice, nullptr);  // held only during the pass
  }
}

// A folder named x.txt is not spoken but walked into; text files of a folder
// come before its sub-folders.
TEST(ConvertAll, FolderNamedLikeATextFile) {
  Converting c;
  c.folder.Write("Top/x.txt/inner.txt", "inside");
  c.folder.Write("Top/z.txt", "top");
  c.converter.outputFormat = "wav";
  EXPECT_EQ(c.converter.ConvertFolder(c.folder.path() + "Top", "*.txt"), 2);
  EXPECT_EQ(c.engine.spoken, (std::vector<std::string>{"top", "inside"}));
  EXPECT_TRUE(c.folder.Exists("Top/x.txt/inner.wav"));
}

TEST(ConvertAll, NothingToConvert) {
  Converting c;
  EXPECT_EQ(c.converter.ConvertAll(&c.engine, "", c.folder.path()), 1);  // no Top at all
  c.folder.Write("Top/sub/readme.html", "");
  EXPECT_EQ(c.converter.ConvertAll(&c.engine, "", c.folder.path()), 1);
  EXPECT_EQ(c.LogEntries(), 2);
  EXPECT_NE(c.Log().find("] ERROR - No .wav files found.\r\r\n"), std::string::npos);
}

// A cancel during the first file: it keeps its WAV file, the count is 0, and
// "No .wav files found." is logged as well.
TEST(ConvertAll, CancelDuringTheFirstFile) {
  Converting c;
  c.folder.Write("Top/a.txt", "first");
  c.folder.Write("Top/sub/b.txt", "second");
  c.engine.onSpeak = [&c] { c.converter.abortRequested = 1; };
  EXPECT_EQ(c.converter.ConvertAll(&c.engine, "", c.folder.path()), 1);
  EXPECT_EQ(c.engine.spoken.size(), 1u);
  EXPECT_TRUE(c.folder.Exists("Top/a.wav"));
  EXPECT_FALSE(c.folder.Exists("Top/a.mp3"));
  EXPECT_EQ(c.LogEntries(), 1);
  EXPECT_NE(c.Log().find("No .wav files found."), std::string::npos);
}

// A WAV file that cannot be deleted ends its folder uncounted; the parent
// goes on with its next sub-folder.
TEST(ConvertAll, WavThatCannotBeDeleted) {
  Converting c;
  c.folder.Write("Top/a/one.txt", "one");
  c.folder.Write("Top/b/two.txt", "two");
  c.folder.Write("Top/b/three.txt", "three");
  c.folder.Write("Top/b/two.wav/keep", "");  // a folder: no WAV file can replace it
  c.folder.Write("Top/b/three.wav/keep", "");
  EXPECT_EQ(c.converter.ConvertAll(&c.engine, "", c.folder.path()), 0);
  EXPECT_TRUE(c.folder.Exists("Top/a/one.mp3"));
  EXPECT_EQ(c.engine.spoken, std::vector<std::string>{"one"});
  const std::string log = c.Log();
  // Folder b stops at its first file: one speak error, one deletion failure.
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
  EXPECT_NE(log.find("No .wav files found."), std::string::npos);
  EXPECT_EQ(c.converter.ConvertFolder(c.folder.path() + "Top/b", "*.txt"), 0);
}

}  // namespace
}  // namespace brevora
