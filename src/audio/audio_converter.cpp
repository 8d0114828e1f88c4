// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/audio_converter.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "audio/mp3_info_frame.h"
#include "base/text.h"
#include "speech/article_text.h"
#include "speech/news_reading.h"
#include "speech/speech_engine.h"
#include "speech/speech_markup.h"

namespace brevora {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

std::string JoinPath(const std::string& folder, const std::string& name) {
  return (!folder.empty() && folder.back() == '/') ? folder + name : folder + "/" + name;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

uint32_t ReadLittleEndian32(const unsigned char* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// A text file's audio file: its name less the last four characters (".txt"),
// plus the extension.
std::string AudioName(const std::string& textPath, const char* extension) {
  return textPath.substr(0, textPath.size() - 4) + extension;
}

// The names of a folder's entries, in the order the file system lists them.
std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  Dir dir(opendir(folder.c_str()));
  if (!dir) return names;
  while (const dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
  return names;
}

}  // namespace

CAudioConverter::CAudioConverter(const std::string& logPath,
                                 const std::vector<std::string>& encoderNames) {
  log_.Open(logPath);
  lame_ = LameEncoder::Load(encoderNames);
  if (lame_) {
    encoder_ = lame_->EntryPoints();
  } else {
    log_.LogError(kLogLameNotLoaded);
  }
}

CAudioConverter::~CAudioConverter() = default;

// Stops the engine from its own callback once a cancel is asked for.
class AbortableSink : public SampleSink {
 public:
  AbortableSink(SampleSink& next, const std::atomic<int>& abort) : next_(next), abort_(abort) {}
  bool Samples(const int16_t* samples, size_t count) override {
    if (abort_) {
      cancelled = true;
      return false;
    }
    return next_.Samples(samples, count);
  }
  bool cancelled = false;

 private:
  SampleSink& next_;
  const std::atomic<int>& abort_;
};

// A chain of sinks from the engine to the WAV file: the resampler sits in
// front of the writer when the engine speaks at another rate.
const std::string& CAudioConverter::VoiceOf(const std::string& textPath) const {
  if (articleVoices_.empty() || top_.empty() || !textPath.starts_with(top_ + "/")) {
    return voiceToken;
  }
  const auto found = articleVoices_.find(textPath.substr(top_.size() + 1));
  return found == articleVoices_.end() ? voiceToken : found->second;
}

std::string CAudioConverter::LanguageOf(const std::string& textPath) const {
  if (articleLanguages_.empty() || top_.empty() || !textPath.starts_with(top_ + "/")) return {};
  const auto found = articleLanguages_.find(textPath.substr(top_.size() + 1));
  return found == articleLanguages_.end() ? std::string() : found->second;
}

CAudioConverter::Spoken CAudioConverter::SpeakInto(const std::u16string& text,
                                                   const std::string& wavName, GrowingFile* growing,
                                                   const std::string& token,
                                                   const std::string& language) {
  WavWriter writer(kWavSampleRate, &times.wavWriting);
  writer.Follow(growing);
  if (!writer.Open(wavName)) return Spoken::kFailed;
  if (!speechVoice->SelectVoice(token)) return Spoken::kFailed;  // the writer finishes
  const std::string markup = PrepareSpeechMarkup(ReadLikeTheNews(EncodeUtf8(text), language));
  std::optional<ResamplingSink> resampler;
  SampleSink* sink = &writer;
  if (speechVoice->SampleRate() != kWavSampleRate) {
    resampler.emplace(speechVoice->SampleRate(), kWavSampleRate, writer, &times.resampling);
    if (!resampler->ok()) return Spoken::kFailed;
    sink = &*resampler;
  }
  AbortableSink abortable(*sink, abortRequested);
  // The engine's own time: the time of the call less what its sinks spent.
  const double sinksBefore = times.resampling.seconds + times.wavWriting.seconds;
  const auto start = std::chrono::steady_clock::now();
  bool spoken = speechVoice->Speak(markup, abortable);
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  times.synthesis.seconds +=
      elapsed - (times.resampling.seconds + times.wavWriting.seconds - sinksBefore);
  if (abortable.cancelled) {
    writer.Finish();
    return Spoken::kCancelled;
  }
  if (resampler) spoken = resampler->Finish() && spoken;
  const bool written = writer.Finish();
  if (writer.TooLarge()) return Spoken::kTooLarge;
  return spoken && written ? Spoken::kWhole : Spoken::kFailed;
}

int CAudioConverter::SpeakFile(const std::string& textPath, GrowingFile* growing) {
  // Whoever follows the WAV file learns how it ended, on every way out:
  // whole, or not to be encoded.
  struct Ending {
    GrowingFile* growing;
    bool whole = false;
    ~Ending() {
      if (growing != nullptr) growing->End(whole);
    }
  } ending{growing};
  if (textPath.empty()) {
    log_.LogError(kLogNoFileName);
    return -1;
  }
  if (textPath.size() < 5) {
    log_.LogError(kLogNoExtension);
    return -1;
  }
  const std::string base = AudioName(textPath, "");
  ArticleTextProblem problem = ArticleTextProblem::kNone;
  const auto text = ReadArticleText(textPath, &problem);
  if (problem == ArticleTextProblem::kTooLarge) {
    log_.LogError(kLogArticleTooLarge, textPath.c_str(),
                  static_cast<unsigned long>(kMaxArticleBytes));
    return -1;
  }
  if (!text) {
    log_.LogError(kLogOpenTextFailed, textPath.c_str());
    return -1;
  }
  const std::string wavName = base + ".wav";
  const Spoken spoken = speechVoice == nullptr ? Spoken::kFailed
                                               : SpeakInto(*text, wavName, growing,
                                                           VoiceOf(textPath), LanguageOf(textPath));
  if (spoken == Spoken::kWhole) {
    // Its encoder finishes a file spoken whole before any cancel; one whose
    // cancel came while it was spoken keeps its WAV file, as the sequential
    // pass leaves it.
    ending.whole = !abortRequested;
    return 0;
  }
  if (spoken == Spoken::kTooLarge) {
    log_.LogError(kLogWavTooLarge, base.c_str());
  } else if (spoken == Spoken::kFailed) {
    log_.LogError(kLogSpeakError, base.c_str());
  }
  unlink(wavName.c_str());  // never left looking complete
  return -1;
}

int CAudioConverter::EncodeFile(const std::string& textPath, GrowingFile* growing) {
  // Following a file being spoken, a failure of the encoder is only logged
  // once the file has been spoken whole: a file that cannot be spoken has
  // the speaker's entry alone, as when it is encoded after the speaking.
  const auto fail = [&](const char* format, auto... args) {
    if (growing == nullptr || growing->WaitEnd()) log_.LogError(format, args...);
    return -1;
  };
  if (textPath.size() < 5) return fail(kLogNoExtension);
  StageClock::Scope timing(times.encoding);
  const std::string wavName = AudioName(textPath, ".wav"), mp3Name = AudioName(textPath, ".mp3");
  if (!encoder_.HasRequired()) return fail(kLogNoLameInterfaces);
  // The speaker creates the WAV file before it says that it exists.
  if (growing != nullptr && growing->WaitFor(0).state == GrowingFile::State::kBroken) return -1;
  File wav(std::fopen(wavName.c_str(), "rbe"));
  if (!wav) return fail(kLogOpenWavFailed, wavName.c_str());
  File mp3(std::fopen(mp3Name.c_str(), "w+be"));
  if (!mp3) return fail(kLogCreateFileFailed, mp3Name.c_str());
  // An MP3 file that is not whole is deleted on every way out but the last.
  struct PartialFile {
    const std::string& name;
    bool whole = false;
    ~PartialFile() {
      if (!whole) unlink(name.c_str());
    }
  } partial{mp3Name};
  uint32_t chunkSamples = 0, bufferBytes = 0;
  EncoderStream stream = nullptr;
  if (const uint32_t code =
          encoder_.beInitStream(encoderConfig, &chunkSamples, &bufferBytes, &stream)) {
    return fail(kLogOpenStreamFailed, static_cast<unsigned long>(code));
  }
  // From here on the stream is closed on every path.
  struct StreamCloser {
    EncoderEntryPoints& encoder;
    EncoderStream stream;
    ~StreamCloser() { encoder.beCloseStream(stream); }
  } closer{encoder_, stream};
  std::vector<unsigned char> mp3Buffer;
  std::vector<int16_t> samples;
  try {
    mp3Buffer.resize(bufferBytes);
    samples.resize(chunkSamples);
  } catch (const std::bad_alloc&) {
    return fail(kLogOutOfMemory);
  }

  // The samples, a chunk at a time: how many there are, or none when the
  // file being followed ended broken.
  std::function<std::optional<size_t>(size_t)> read;
  uint64_t dataBytes = 0, readBytes = 0;
  if (growing == nullptr) {
    // The RIFF header, the format chunk's header and first 16 bytes, the
    // rest of the format chunk skipped, and the next chunk's header: its
    // size is the number of bytes of sample data. A file cut short in its
    // headers has none.
    unsigned char header[36] = {}, dataHeader[8] = {};
    bool whole = std::fread(header, 1, sizeof header, wav.get()) == sizeof header;
    const uint32_t formatSize = ReadLittleEndian32(header + 16);
    if (formatSize > 16) std::fseek(wav.get(), static_cast<long>(formatSize - 16), SEEK_CUR);
    whole = whole && std::fread(dataHeader, 1, sizeof dataHeader, wav.get()) == sizeof dataHeader;
    dataBytes = whole ? ReadLittleEndian32(dataHeader + 4) : 0;
    read = [&](size_t wanted) -> std::optional<size_t> {
      wanted = static_cast<size_t>(std::min<uint64_t>(wanted, (dataBytes - readBytes) / 2));
      const size_t got = std::fread(samples.data(), sizeof(int16_t), wanted, wav.get());
      readBytes += 2 * got;
      return got;
    };
  } else {
    // Our own writer's file: the data right after its header, read as far
    // as the speaker has written it.
    read = [&](size_t wanted) -> std::optional<size_t> {
      const auto waitStart = std::chrono::steady_clock::now();
      const GrowingFile::Seen seen = growing->WaitFor(readBytes + 2 * wanted);
      times.encoding.seconds -=  // waiting for the speaker is not encoding
          std::chrono::duration<double>(std::chrono::steady_clock::now() - waitStart).count();
      if (seen.state == GrowingFile::State::kBroken) return std::nullopt;
      const size_t bytes =
          static_cast<size_t>(std::min<uint64_t>(2 * wanted, seen.bytes - readBytes));
      const ssize_t got = pread(fileno(wav.get()), samples.data(), bytes,
                                static_cast<off_t>(WavWriter::kHeaderBytes + readBytes));
      if (got < 0) return 0;
      readBytes += static_cast<uint64_t>(got);
      return static_cast<size_t>(got) / 2;
    };
  }

  // A cancel stops the encoding, and the partial file goes; but a file that
  // the speaker finished before the cancel is encoded to its end, as the
  // sequential pass encodes it before it speaks the next file.
  const auto stopped = [&] { return abortRequested && !(growing && growing->EndedWhole()); };
  // Whole chunks, then the last one, shorter (it may be empty); a data size
  // that claims more than the file holds ends with the file.
  for (;;) {
    if (stopped()) return -1;
    const std::optional<size_t> got = read(chunkSamples);
    if (!got) return -1;  // not spoken whole: the speaker logged it
    uint32_t made = 0;
    if (const uint32_t code = encoder_.beEncodeChunk(stream, static_cast<uint32_t>(*got),
                                                     samples.data(), mp3Buffer.data(), &made)) {
      return fail(kLogEncodeChunkFailed, static_cast<unsigned long>(code));
    }
    if (std::fwrite(mp3Buffer.data(), 1, made, mp3.get()) != made) return fail(kLogWriteError);
    if (*got < chunkSamples || *got == 0) break;
  }
  if (growing != nullptr && !growing->WaitEnd()) return -1;
  // A cancel while the file was spoken stops it even after its last chunk.
  if (stopped()) return -1;
  uint32_t made = 0;
  if (const uint32_t code = encoder_.beDeinitStream(stream, mp3Buffer.data(), &made)) {
    return fail(kLogExitStreamFailed, static_cast<unsigned long>(code));
  }
  if (made > 0 && std::fwrite(mp3Buffer.data(), 1, made, mp3.get()) != made) {
    return fail(kLogWriteError);
  }
  // The tag writer opens the file by name, so everything must be on disk.
  if (std::fflush(mp3.get()) != 0) return fail(kLogWriteError);
  if (encoder_.beWriteInfoTag) {
    encoder_.beWriteInfoTag(stream, mp3Name);
  } else {
    encoder_.beWriteVBRHeader(mp3Name);
  }
  if (!PutInfoFrame(mp3.get(), stream)) return fail(kLogWriteError);
  if (std::fclose(mp3.release()) != 0) return fail(kLogWriteError);
  partial.whole = true;
  return 0;
}

bool CAudioConverter::PutInfoFrame(std::FILE* mp3, EncoderStream stream) {
  int delay = 0, padding = 0;
  if (!encoder_.beDelayAndPadding || !encoder_.beDelayAndPadding(stream, &delay, &padding)) {
    return true;  // an encoder that does not say: the file stays as it is
  }
  std::string audio;
  if (std::fseek(mp3, 0, SEEK_SET) != 0) return false;
  char buffer[65536];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, mp3)) > 0;)
    audio.append(buffer, got);
  if (std::ferror(mp3)) return false;
  const size_t firstFrameEnd = std::min<size_t>(audio.size(), 200);
  const std::string_view start(audio.data(), firstFrameEnd);
  if (start.find("Info") != std::string_view::npos ||
      start.find("Xing") != std::string_view::npos) {
    return true;  // the encoder made its own
  }
  const std::string version = encoder_.beVersion ? encoder_.beVersion() : std::string();
  const std::string frame = Mp3InfoFrame(audio, version, delay, padding);
  if (frame.empty()) return true;
  return std::fseek(mp3, 0, SEEK_SET) == 0 &&
         std::fwrite(frame.data(), 1, frame.size(), mp3) == frame.size() &&
         std::fwrite(audio.data(), 1, audio.size(), mp3) == audio.size() && std::fflush(mp3) == 0;
}

CAudioConverter::TextFolder CAudioConverter::ListTextFolder(const std::string& folder,
                                                            const std::string& pattern) {
  TextFolder listed{folder, {}, {}};
  // In the order of their names, as the crawler numbers its articles, whatever order the file
  // system lists them in.
  std::vector<std::string> names = ListFolder(folder);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (name == "." || name == "..") continue;
    const std::string path = JoinPath(folder, name);
    if (IsFolder(path)) {
      listed.folders.push_back(ListTextFolder(path, pattern));
    } else if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0) {
      listed.files.push_back(path);
    }
  }
  return listed;
}

int CAudioConverter::CountFiles(const TextFolder& folder) {
  int count = static_cast<int>(folder.files.size());
  for (const TextFolder& sub : folder.folders) count += CountFiles(sub);
  return count;
}

unsigned CAudioConverter::EncoderThreads() const {
  if (encoderThreads_ > 0) return encoderThreads_;
  return std::max(1u, std::thread::hardware_concurrency());
}

int CAudioConverter::ConvertFolder(const std::string& folder, const std::string& pattern) {
  // One listing of the whole tree, so the pass knows how many files it has.
  const TextFolder tree = ListTextFolder(folder, pattern);
  filesTotal_ = CountFiles(tree);
  filesStarted_ = 0;
  const int count = ConvertListed(tree, EncoderThreads());
  progress().ConversionEnded(count, filesTotal_);
  return count;
}

// What became of a file after its encoding, and of its WAV file.
enum class CAudioConverter::FileEnd {
  kConverted,  // the MP3 file is whole and the WAV file deleted
  kFailed,     // logged; the WAV file deleted
  kStopped,    // a cancel stopped the encoding; the file keeps its WAV file
  kWavStuck,   // the WAV file cannot be deleted
  kNotSpoken,  // the speaker logged it and deleted what it had written
};

CAudioConverter::FileEnd CAudioConverter::EncodeAndTidy(const std::string& textPath,
                                                        GrowingFile* growing) {
  // Nothing starts after a cancel, but what was spoken whole before it.
  if (abortRequested && !(growing && growing->EndedWhole())) return FileEnd::kStopped;
  const bool encoded = EncodeFile(textPath, growing) == 0;
  if (growing != nullptr && !growing->WaitEnd()) return FileEnd::kNotSpoken;
  if (!encoded && abortRequested) return FileEnd::kStopped;
  const std::string wav = AudioName(textPath, ".wav");
  if ((removeWav_ ? removeWav_(wav.c_str()) : unlink(wav.c_str())) != 0) return FileEnd::kWavStuck;
  return encoded ? FileEnd::kConverted : FileEnd::kFailed;
}

namespace {

// Threads that encode the files the pass hands them, each as soon as one is
// free. The pass waits only when as many files wait as there are threads
// times `kWaitingPerThread`, so at most that many WAV files wait on disk
// and the number of files in hand stays small, however long one file takes.
// Every file waiting was spoken to its end but the newest, so the threads
// always have work they can finish.
class EncoderPool {
 public:
  static constexpr size_t kWaitingPerThread = 2;

  // Starts up to `threads` threads that call `encode` with a file's index;
  // fewer when the system has no more to give.
  EncoderPool(unsigned threads, std::function<CAudioConverter::FileEnd(int)> encode)
      : encode_(std::move(encode)) {
    for (unsigned i = 0; i < threads; ++i) {
      try {
        threads_.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        break;
      }
    }
  }
  ~EncoderPool() { Close(); }

  bool Started() const { return !threads_.empty(); }

  // Hands a file over, after waiting for room.
  void Hand(int file) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return waiting_.size() < kWaitingPerThread * threads_.size(); });
    waiting_.push_back(file);
    changed_.notify_all();
  }

  // The end of a file handed over, taken once it is there.
  std::optional<CAudioConverter::FileEnd> TakeEnd(int file) {
    std::lock_guard lock(mutex_);
    const auto found = ends_.find(file);
    if (found == ends_.end()) return std::nullopt;
    const CAudioConverter::FileEnd end = found->second;
    ends_.erase(found);
    return end;
  }

  // Waits until every file handed over is done and the threads have ended.
  void Close() {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
  }

 private:
  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return closed_ || !waiting_.empty(); });
      if (waiting_.empty()) return;
      const int file = waiting_.front();
      waiting_.pop_front();
      changed_.notify_all();  // room for the pass
      lock.unlock();
      const CAudioConverter::FileEnd end = encode_(file);
      lock.lock();
      ends_[file] = end;
    }
  }

  std::function<CAudioConverter::FileEnd(int)> encode_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<int> waiting_;
  std::map<int, CAudioConverter::FileEnd> ends_;
  bool closed_ = false;
};

}  // namespace

// The pass: this thread speaks the files in order, a folder's files before
// its sub-folders (the engine keeps one state per process). It hands each
// file to the encoding threads as it begins to speak it, and a thread that
// takes the file encodes it as its WAV file grows, so a long article is
// encoded while it is spoken. With one thread the pass encodes each file
// itself after speaking it, before it speaks the next.
// Each file's end is taken in file order, so the result does not depend on
// the threads: a file that cannot be spoken or encoded is logged and skipped;
// a WAV file that cannot be deleted ends its folder uncounted, and what was
// already done for the rest of that folder is removed again.
int CAudioConverter::ConvertListed(const TextFolder& tree, unsigned threads) {
  struct Folder {
    int parent;
    bool ended = false;
    int converted = 0;
    std::vector<int> subFolders;
  };
  struct Item {
    const std::string* path;
    int folder;
  };
  std::vector<Folder> folders;
  std::vector<Item> items;
  // Files in the sequential pass's order: a folder's files, then its sub-folders.
  const std::function<void(const TextFolder&, int)> flatten = [&](const TextFolder& folder,
                                                                  int parent) {
    const int index = static_cast<int>(folders.size());
    folders.push_back(Folder{parent, false, 0, {}});
    if (parent >= 0) folders[parent].subFolders.push_back(index);
    for (const std::string& path : folder.files) items.push_back({&path, index});
    for (const TextFolder& sub : folder.folders) flatten(sub, index);
  };
  flatten(tree, -1);
  const auto endedAbove = [&](int folder) {
    for (; folder >= 0; folder = folders[folder].parent) {
      if (folders[folder].ended) return true;
    }
    return false;
  };
  // The end of one file, in file order.
  const auto retire = [&](int k, FileEnd end) {
    const Item& item = items[k];
    if (endedAbove(item.folder)) {  // the sequential pass never came here
      unlink(AudioName(*item.path, ".wav").c_str());
      unlink(AudioName(*item.path, ".mp3").c_str());
      return;
    }
    if (end == FileEnd::kWavStuck) {
      log_.LogError(kLogNoWavFiles);
      folders[item.folder].ended = true;
    } else if (end == FileEnd::kConverted) {
      ++folders[item.folder].converted;
    }
  };
  const bool wavFormat = EqualsIgnoringCase(outputFormat, "wav");
  std::vector<std::unique_ptr<GrowingFile>> growing(items.size());
  std::optional<EncoderPool> pool;
  if (threads > 1 && !wavFormat) {
    pool.emplace(threads, [this, &items, &growing](int k) {
      return EncodeAndTidy(*items[k].path, growing[k].get());
    });
    if (!pool->Started()) pool.reset();  // no thread to be had: the pass encodes
  }
  std::deque<int> handed;  // files with the pool, in file order
  const auto retireDone = [&] {
    while (!handed.empty()) {
      const auto end = pool->TakeEnd(handed.front());
      if (!end) return;
      retire(handed.front(), *end);
      handed.pop_front();
    }
  };

  for (size_t k = 0; k < items.size(); ++k) {
    if (abortRequested) break;
    const Item& item = items[k];
    if (pool) retireDone();
    if (endedAbove(item.folder)) continue;
    if (pool) {
      growing[k] = std::make_unique<GrowingFile>();
      pool->Hand(static_cast<int>(k));  // may wait for room
      handed.push_back(static_cast<int>(k));
      if (abortRequested) {  // while it waited: the file is never spoken
        growing[k]->End(false);
        break;
      }
    }
    progress().FileStarted(++filesStarted_, filesTotal_, *item.path);
    const bool spoken = SpeakFile(*item.path, growing[k].get()) == 0;
    if (abortRequested) break;
    if (!spoken) continue;
    if (wavFormat) {  // the WAV file is the result
      ++folders[item.folder].converted;
    } else if (!pool) {
      retire(static_cast<int>(k), EncodeAndTidy(*item.path, nullptr));
    }
  }
  if (pool) {
    pool->Close();
    retireDone();
  }

  const std::function<int(int)> count = [&](int folder) {
    if (folders[folder].ended) return 0;
    int total = folders[folder].converted;
    for (int sub : folders[folder].subFolders) total += count(sub);
    return total;
  };
  return count(0);
}

int CAudioConverter::ConvertAll(SpeechEngine* voice, const std::string& token,
                                const std::string& workingFolder) {
  speechVoice = voice;
  voiceToken = token;
  top_ = JoinPath(workingFolder, "Top");
  const int count = ConvertFolder(top_, "*.txt");
  speechVoice = nullptr;
  voiceToken.clear();
  top_.clear();
  if (count > 0) {
    log_.Flush();
    return 0;
  }
  // A cancelled pass found files; it only did not get to them.
  if (!abortRequested) log_.LogError(kLogNoWavFiles);
  return 1;
}

}  // namespace brevora
