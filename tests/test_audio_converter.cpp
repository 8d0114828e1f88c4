// SPDX-License-Identifier: GPL-3.0-or-later
// Speaking files and the conversion pass, with a scripted speech engine and
// the real encoder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <thread>
#include <tuple>

#include "audio/audio_converter.h"
#include "fakes/audio.h"
#include "fakes/fifo.h"
#include "fakes/temp_folder.h"
#include "speech/article_text.h"

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
  // The real encoder, with `beforeChunk` run ahead of every chunk it encodes
  // (on the encoding thread).
  void BeforeEachChunk(std::function<void()> beforeChunk) {
    lame = LameEncoder::Load(LameEncoder::DefaultNames());
    EncoderEntryPoints entry = lame->EntryPoints();
    entry.beEncodeChunk = [encode = entry.beEncodeChunk, beforeChunk](
                              EncoderStream s, uint32_t n, const int16_t* in, unsigned char* out,
                              uint32_t* made) {
      beforeChunk();
      return encode(s, n, in, out, made);
    };
    converter.SetEntryPointsForTesting(entry);
  }
  std::unique_ptr<LameEncoder> lame;
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
  // The resampler adds no dither: the same samples give the same bytes.
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("b.txt", "xyz")), 0);
  EXPECT_EQ(c.folder.Read("a.wav"), c.folder.Read("b.wav"));
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
  EXPECT_NE(log.find("] ERROR - Error opening the file " + missing + " \r\r\n"), std::string::npos);
  EXPECT_EQ(c.LogEntries(), 3);
  EXPECT_FALSE(c.folder.Exists("missing.wav"));
}

// An engine that fails leaves no WAV file that could pass for a whole one.
TEST(SpeakFile, EngineFailuresAreSpeakErrors) {
  Converting c;
  c.engine.failSpeak = true;
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("a.txt", "x")), -1);
  c.engine.failSpeak = false;
  c.engine.failSelect = true;
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("b.txt", "x")), -1);
  c.converter.speechVoice = nullptr;
  EXPECT_EQ(c.converter.SpeakFile(c.folder.Write("c.txt", "x")), -1);
  const std::string log = c.Log();
  for (const char* base : {"a", "b", "c"}) {
    EXPECT_NE(log.find("] ERROR - Speak error: " + c.folder.path() + base + "\r\r\n"),
              std::string::npos);
    EXPECT_FALSE(c.folder.Exists(std::string(base) + ".wav")) << base;
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

// Each article in the voice the run chose for it, on every number of
// encoder threads; the others, and every article of a later pass, in the
// pass's voice.
TEST(ConvertAll, ArticlesInTheirOwnVoices) {
  for (const unsigned threads : {1u, 3u}) {
    Converting c;
    c.converter.SetEncoderThreads(threads);
    c.folder.Write("Top/a.txt", "first article");
    c.folder.Write("Top/world/b.txt", "deuxième article");
    c.folder.Write("Top/world/c.txt", "third article");
    c.converter.SetArticleVoices({{"world/b.txt", "bert"}, {"elsewhere/c.txt", "bert"}});
    EXPECT_EQ(c.converter.ConvertAll(&c.engine, "anna", c.folder.path()), 0);
    EXPECT_EQ(c.engine.tokens, (std::vector<std::string>{"anna", "bert", "anna"}));
    c.converter.SetArticleVoices({});
    c.engine.tokens.clear();
    EXPECT_EQ(c.converter.ConvertAll(&c.engine, "anna", c.folder.path()), 0);
    EXPECT_EQ(c.engine.tokens, (std::vector<std::string>{"anna", "anna", "anna"}));
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

// A cancel inside one sub-folder starts nothing in the folders beside it.
TEST(ConvertAll, CancelInsideASubFolder) {
  Converting c;
  for (const char* path : {"Top/a/x.txt", "Top/b/y.txt", "Top/c/z.txt"})
    c.folder.Write(path, "text");
  c.engine.onSpeak = [&c] { c.converter.abortRequested = 1; };
  EXPECT_EQ(c.converter.ConvertFolder(c.folder.path() + "Top", "*.txt"), 0);
  EXPECT_EQ(c.engine.spoken.size(), 1u);
  for (const char* name : {"x", "y", "z"}) {
    for (const char* folder : {"a", "b", "c"}) {
      const std::string base = std::string("Top/") + folder + "/" + name;
      EXPECT_FALSE(c.folder.Exists(base + ".wav") || c.folder.Exists(base + ".mp3")) << base;
    }
  }
}

// A cancel while the first file is spoken stops the engine inside it and
// deletes its partial WAV file; a file that was spoken whole before the
// cancel was seen keeps its WAV file. Nothing after it is started, and a
// cancelled pass reports no missing files.
TEST(ConvertAll, CancelDuringTheFirstFile) {
  for (const bool whole : {false, true}) {
    Converting c;
    c.folder.Write("Top/a.txt", whole ? "" : "first");  // no text: spoken whole at once
    c.folder.Write("Top/sub/b.txt", "second");
    c.engine.onSpeak = [&c] { c.converter.abortRequested = 1; };
    EXPECT_EQ(c.converter.ConvertAll(&c.engine, "", c.folder.path()), 1);
    EXPECT_EQ(c.engine.spoken.size(), 1u);
    EXPECT_EQ(c.folder.Exists("Top/a.wav"), whole);
    EXPECT_FALSE(c.folder.Exists("Top/a.mp3"));
    EXPECT_EQ(c.Log(), "");
  }
}

// A cancel while a file is encoded stops the encoder between chunks: the
// partial MP3 file goes, the WAV file spoken whole stays, nothing else starts.
TEST(ConvertAll, CancelDuringEncoding) {
  Converting c;
  c.converter.SetEncoderThreads(1);
  c.engine.samplesPerByte = 16000;  // seconds of audio, many chunks
  c.folder.Write("Top/a.txt", "first");
  c.folder.Write("Top/b.txt", "second");
  int chunks = 0;
  c.BeforeEachChunk([&] {
    if (++chunks == 3) c.converter.abortRequested = 1;
  });
  EXPECT_EQ(c.converter.ConvertFolder(c.folder.path() + "Top", "*.txt"), 0);
  EXPECT_EQ(chunks, 3);
  EXPECT_EQ(c.engine.spoken.size(), 1u);
  const std::string first = c.engine.spoken[0] == "first" ? "a" : "b";
  EXPECT_TRUE(c.folder.Exists("Top/" + first + ".wav"));
  EXPECT_FALSE(c.folder.Exists("Top/" + first + ".mp3"));
  EXPECT_EQ(c.Log(), "");
}

// Articles are untrusted: a FIFO, a link to an endless device and a file
// above the size limit are logged and skipped without blocking; a file that
// cannot be spoken is skipped too; the folder's other files and its
// sub-folders are still converted and counted.
TEST(ConvertAll, BadArticlesDoNotLoseTheOthers) {
  Converting c;
  c.folder.Write("Top/good.txt", "good");
  c.folder.Write("Top/sub/deep.txt", "deep");
  testing::Fifo fifo(c.folder.path() + "Top/fifo.txt");
  ASSERT_EQ(symlink("/dev/zero", (c.folder.path() + "Top/zero.txt").c_str()), 0);
  c.folder.Write("Top/huge.txt", std::string(kMaxArticleBytes + 1, 'a'));
  c.folder.Write("Top/unwritable.txt", "x");
  c.folder.Write("Top/unwritable.wav/keep", "");  // no WAV file can be made here
  EXPECT_EQ(c.converter.ConvertFolder(c.folder.path() + "Top", "*.txt"), 2);
  EXPECT_TRUE(c.folder.Exists("Top/good.mp3"));
  EXPECT_TRUE(c.folder.Exists("Top/sub/deep.mp3"));
  const std::string log = c.Log();
  const std::string top = c.folder.path() + "Top/";
  EXPECT_NE(log.find("Error opening the file " + top + "fifo.txt"), std::string::npos) << log;
  EXPECT_NE(log.find("Error opening the file " + top + "zero.txt"), std::string::npos) << log;
  EXPECT_NE(log.find("The file " + top + "huge.txt is larger than 1048576 bytes"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Speak error: " + top + "unwritable"), std::string::npos) << log;
  EXPECT_EQ(c.LogEntries(), 4);
}

// A WAV file that exists and cannot be deleted ends its folder uncounted; the
// parent goes on with its next sub-folder.
TEST(ConvertAll, WavThatCannotBeDeleted) {
  Converting c;
  c.converter.SetEncoderThreads(1);
  c.folder.Write("Top/a/one.txt", "one");
  c.folder.Write("Top/b/two.txt", "two");
  c.folder.Write("Top/b/three.txt", "three");
  // While "two" is encoded, a folder takes the place of its WAV file.
  c.BeforeEachChunk([&] {
    if (c.engine.spoken.back() == "two" && !c.folder.Exists("Top/b/two.wav/keep")) {
      unlink((c.folder.path() + "Top/b/two.wav").c_str());
      c.folder.Write("Top/b/two.wav/keep", "");
    }
  });
  EXPECT_EQ(c.converter.ConvertAll(&c.engine, "", c.folder.path()), 0);
  EXPECT_TRUE(c.folder.Exists("Top/a/one.mp3"));
  // Folder b ends at "two" ("three" may come before it in the listing).
  EXPECT_NE(std::find(c.engine.spoken.begin(), c.engine.spoken.end(), "two"),
            c.engine.spoken.end());
  EXPECT_EQ(c.LogEntries(), 1);
  EXPECT_NE(c.Log().find("No .wav files found."), std::string::npos);
}

// With several encoders too, a WAV file that cannot be deleted ends its
// folder: nothing of it is counted, and no file after the stuck one (in the
// order of their names, sub-folders last) keeps an MP3 or WAV file; files
// before it and other folders keep theirs.
TEST(ParallelPass, WavThatCannotBeDeletedEndsItsFolder) {
  Converting c;
  c.converter.SetEncoderThreads(3);
  c.folder.Write("Top/a/one.txt", "one");
  for (const char* name : {"1", "2", "3", "4"})
    c.folder.Write("Top/b/" + std::string(name) + ".txt", name);
  c.folder.Write("Top/b/c/deeper.txt", "deeper");
  const std::string stuck = c.folder.path() + "Top/b/2.wav";
  c.converter.SetWavRemoverForTesting([stuck](const char* path) {
    if (path == stuck) {
      errno = EACCES;
      return -1;
    }
    return unlink(path);
  });
  EXPECT_EQ(c.converter.ConvertFolder(c.folder.path() + "Top", "*.txt"), 1);
  EXPECT_TRUE(c.folder.Exists("Top/a/one.mp3"));
  EXPECT_TRUE(c.folder.Exists("Top/b/1.mp3"));
  for (const char* after : {"Top/b/3", "Top/b/4", "Top/b/c/deeper"}) {
    EXPECT_FALSE(c.folder.Exists(after + std::string(".mp3"))) << after;
    EXPECT_FALSE(c.folder.Exists(after + std::string(".wav"))) << after;
  }
  EXPECT_EQ(c.Log().substr(c.Log().find(" ERROR - ")), " ERROR - No .wav files found.\r\r\n");
}

// Writes that fail (here past a file-size limit, as on a full disk) are
// logged, and the file that failed is deleted instead of being left empty or
// short: the WAV file while speaking, the MP3 file when its last bytes are
// flushed.
TEST(ConvertAll, FailedWritesAreLoggedAndLeaveNoFile) {
  Converting c;
  c.folder.Write("big.txt", std::string(200, 'x'));  // 2000 samples a byte: far past the limit
  // One second: about 3000 bytes of MP3, which stay in the stream's buffer
  // until it is flushed.
  c.folder.Write("small.wav", testing::MakeWav(testing::Tone(16000), 16000));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    c.engine.samplesPerByte = 2000;
    const bool ok = c.converter.SpeakFile(c.folder.path() + "big.txt") == -1 &&
                    c.converter.EncodeFile(c.folder.path() + "small.txt") == -1;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(c.folder.Exists("big.wav"));
  EXPECT_FALSE(c.folder.Exists("small.mp3"));
  const std::string log = c.Log();
  EXPECT_NE(log.find("Speak error: " + c.folder.path() + "big"), std::string::npos) << log;
  EXPECT_NE(log.find("] ERROR - Output file write error\r\r\n"), std::string::npos) << log;
}

// --- The parallel pass -------------------------------------------------------

// A corpus in folders, with a file that cannot be read and one whose WAV
// file cannot be made.
void WriteCorpus(const TempFolder& folder) {
  for (int i = 0; i < 6; ++i) {
    folder.Write("Top/a/" + std::to_string(i) + ".txt", std::string(20 + 7 * i, 'a' + i));
    folder.Write("Top/b/deep/" + std::to_string(i) + ".txt", std::string(30 + 5 * i, 'k' + i));
  }
  folder.Write("Top/top.txt", "top");
  folder.Write("Top/b/unwritable.txt", "x");
  folder.Write("Top/b/unwritable.wav/keep", "");
  mkfifo((folder.path() + "Top/a/fifo.txt").c_str(), 0600);
}

// Every file below the folder with its bytes, by relative path.
std::map<std::string, std::string> Files(const TempFolder& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path() + "Top")) {
    if (entry.is_regular_file()) {
      files[entry.path().string().substr(folder.path().size())] =
          folder.Read(entry.path().string().substr(folder.path().size()));
    }
  }
  return files;
}

// On several threads the pass writes exactly what the sequential pass
// writes, byte for byte, returns the same count and logs the same entries.
// The files are long enough to be encoded while they grow, the encoders
// wait for the speaker, and one file breaks off in the middle of its
// speaking. With an encoder that cannot open a stream, a file whose speaking
// fails still has the speaker's entry alone.
TEST(ParallelPass, WritesWhatTheSequentialPassWrites) {
  const auto pass = [](unsigned threads, bool failingEncoder) {
    auto c = std::make_unique<Converting>();
    WriteCorpus(c->folder);
    c->converter.SetEncoderThreads(threads);
    c->converter.Log().SetClockForTesting([] { return std::time_t{0}; });
    c->engine.samplesPerByte = 2000;        // 2.5 to 7 s each, written out a second at a time
    c->engine.onSpeak = [e = &c->engine] {  // "Top/a/2.txt" breaks off after 2.5 s
      e->failAfterSamples = e->spoken.back().starts_with("ccc") ? 40000 : -1;
    };
    if (threads > 1) {  // a speaker slower than the encoders: they catch up with it
      c->engine.beforePiece = [] { std::this_thread::sleep_for(std::chrono::microseconds(300)); };
    }
    if (failingEncoder) {
      c->lame = LameEncoder::Load(LameEncoder::DefaultNames());
      EncoderEntryPoints entry = c->lame->EntryPoints();
      entry.beInitStream = [](const EncoderConfig&, uint32_t*, uint32_t*, EncoderStream*) {
        return 5u;
      };
      c->converter.SetEntryPointsForTesting(entry);
    }
    const int count = c->converter.ConvertFolder(c->folder.path() + "Top", "*.txt");
    return std::make_tuple(std::move(c), count);
  };
  // The log's entries without the folder, in order of their text: entries
  // of different files may come in another order.
  const auto entries = [](const Converting& c) {
    std::vector<std::string> lines;
    std::istringstream log(c.Log());
    for (std::string line; std::getline(log, line);) {
      if (const size_t at = line.find(c.folder.path()); at != std::string::npos) {
        line.erase(at, c.folder.path().size());
      }
      lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  const auto [sequential, count] = pass(1, false);
  const auto [parallel, parallelCount] = pass(4, false);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(parallelCount, count);
  const auto expected = Files(sequential->folder);
  EXPECT_EQ(std::count_if(expected.begin(), expected.end(),
                          [](const auto& file) { return file.first.ends_with(".mp3"); }),
            12);
  EXPECT_TRUE(Files(parallel->folder) == expected);
  EXPECT_EQ(entries(*parallel), entries(*sequential));
  EXPECT_EQ(parallel->engine.spoken, sequential->engine.spoken);  // spoken in the same order

  const auto [failing, none] = pass(4, true);
  EXPECT_EQ(none, 0);
  EXPECT_EQ(entries(*failing).size(), entries(*sequential).size() + 12);
}

// A cancel while files are encoded on several threads: the files in hand
// stop, nothing is started after it, and no MP3 file is left that is not
// whole (a file stopped while encoding keeps its WAV file).
TEST(ParallelPass, CancelLeavesNoPartialFile) {
  Converting c;
  c.engine.samplesPerByte = 2000;
  WriteCorpus(c.folder);
  c.converter.SetEncoderThreads(3);
  std::atomic<int> chunks{0};
  c.BeforeEachChunk([&] {
    if (++chunks == 12) c.converter.abortRequested = 1;
  });
  c.converter.ConvertFolder(c.folder.path() + "Top", "*.txt");
  const size_t spoken = c.engine.spoken.size();
  EXPECT_LT(spoken, 14u);
  for (const auto& [path, bytes] : Files(c.folder)) {
    if (!path.ends_with(".mp3")) continue;
    bool complete = false;
    testing::ParseMp3Frames(bytes, &complete);
    EXPECT_TRUE(complete) << path;
    EXPECT_FALSE(c.folder.Exists(path.substr(0, path.size() - 4) + ".wav")) << path;
  }
  EXPECT_EQ(c.engine.spoken.size(), spoken);
}

// A cancel while the second file is spoken: the first, spoken whole before
// it, ends as the sequential pass ends it (a whole MP3 file, no WAV file,
// counted) even when its encoder is still at work at the cancel, and nothing
// is logged. Both passes leave the same files.
TEST(ParallelPass, CancelWhileTheNextFileIsSpokenKeepsFinishedWork) {
  const auto pass = [](unsigned threads) {
    auto c = std::make_unique<Converting>();
    c->folder.Write("Top/a.txt", "first article");
    c->folder.Write("Top/b.txt", "second article");
    c->converter.SetEncoderThreads(threads);
    c->engine.samplesPerByte = 2000;  // seconds of sound: many chunks
    Converting* raw = c.get();
    c->engine.onSpeak = [raw] {
      if (raw->engine.spoken.size() == 2) raw->converter.abortRequested = 1;
    };
    auto chunks = std::make_shared<std::atomic<int>>(0);
    c->BeforeEachChunk([raw, chunks, threads] {
      // On several threads, the first file's encoder waits for the cancel.
      if (threads > 1 && ++*chunks == 2) {
        while (!raw->converter.abortRequested) std::this_thread::yield();
      }
    });
    const int result = c->converter.ConvertAll(&c->engine, "", c->folder.path());
    return std::make_tuple(std::move(c), result);
  };
  const auto [sequential, sequentialResult] = pass(1);
  const auto [parallel, parallelResult] = pass(4);
  for (const Converting* c : {sequential.get(), parallel.get()}) {
    ASSERT_EQ(c->engine.spoken.size(), 2u);
    const std::string first = c->engine.spoken[0] == "first article" ? "a" : "b";
    const std::string second = first == "a" ? "b" : "a";
    EXPECT_EQ(c->Log(), "");
    const auto files = Files(c->folder);
    EXPECT_EQ(files.size(), 3u);
    EXPECT_TRUE(files.count("Top/" + first + ".mp3"));
    bool complete = false;
    testing::ParseMp3Frames(files.at("Top/" + first + ".mp3"), &complete);
    EXPECT_TRUE(complete);
  }
  EXPECT_EQ(sequentialResult, 0);
  EXPECT_EQ(parallelResult, 0);
  EXPECT_TRUE(Files(parallel->folder) == Files(sequential->folder));
}

// A cancel in the middle of a long article whose encoder waits for the slow
// speaker: the pass ends, the partial files go, nothing is logged.
TEST(ParallelPass, CancelWhileTheEncoderWaitsForTheSpeaker) {
  Converting c;
  c.converter.SetEncoderThreads(4);
  c.engine.samplesPerByte = 4000;  // a long article, many seconds
  c.folder.Write("Top/a.txt", "a long article");
  c.folder.Write("Top/b.txt", "the next one");
  int pieces = 0;
  c.engine.beforePiece = [&] {  // on the speaking thread
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (++pieces == 40) c.converter.abortRequested = 1;  // well into the second second
  };
  EXPECT_EQ(c.converter.ConvertAll(&c.engine, "", c.folder.path()), 1);
  EXPECT_EQ(c.engine.spoken.size(), 1u);
  EXPECT_EQ(c.Log(), "");
  const auto files = Files(c.folder);
  EXPECT_EQ(files.size(), 2u);  // the two texts
}

// What a followed WAV file announces is on disk: the reader may read every
// byte announced, at every moment.
TEST(WavWriter, AnnouncesOnlyBytesOnDisk) {
  TempFolder folder;
  GrowingFile growing;
  WavWriter writer(16000);
  writer.Follow(&growing);
  ASSERT_TRUE(writer.Open(folder.path() + "a.wav"));
  const std::vector<int16_t> piece(1000, 7);
  uint64_t announced = 0;
  for (int i = 0; i < 100; ++i) {  // more than six seconds
    ASSERT_TRUE(writer.Samples(piece.data(), piece.size()));
    const GrowingFile::Seen seen = growing.WaitFor(0);
    if (seen.bytes > 0) {  // the reader reads the data only, past the header
      EXPECT_GE(std::filesystem::file_size(folder.path() + "a.wav"),
                WavWriter::kHeaderBytes + seen.bytes);
    }
    EXPECT_GE(seen.bytes, announced);
    announced = seen.bytes;
  }
  EXPECT_GT(announced, 2u * 16000 * 5);  // told a second at a time
  ASSERT_TRUE(writer.Finish());
  growing.End(true);
  EXPECT_EQ(growing.WaitFor(UINT64_MAX).bytes, 200000u);  // the final size
}

// An encoder that fails for one file leaves the others right.
TEST(ParallelPass, OneFailingEncodeLeavesTheOthers) {
  Converting c;
  WriteCorpus(c.folder);
  c.converter.SetEncoderThreads(4);
  auto lame = LameEncoder::Load(LameEncoder::DefaultNames());
  EncoderEntryPoints entry = lame->EntryPoints();
  std::atomic<int> streams{0};
  auto init = entry.beInitStream;
  entry.beInitStream = [&](const EncoderConfig& config, uint32_t* s, uint32_t* b,
                           EncoderStream* stream) {
    if (++streams == 3) return 5u;
    return init(config, s, b, stream);
  };
  c.converter.SetEntryPointsForTesting(entry);
  EXPECT_EQ(c.converter.ConvertFolder(c.folder.path() + "Top", "*.txt"), 12);
  int whole = 0;
  for (const auto& [path, bytes] : Files(c.folder)) {
    EXPECT_FALSE(path.ends_with(".wav")) << path;
    if (path.ends_with(".mp3")) whole += testing::DecodeMp3Samples(bytes) > 0;
  }
  EXPECT_EQ(whole, 12);
  EXPECT_NE(c.Log().find("Error opening encoding stream (5)"), std::string::npos);
}

}  // namespace
}  // namespace brevora
