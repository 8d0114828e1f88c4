#include "pipeline/audio_converter.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <future>
#include <optional>
#include <semaphore>
#include <system_error>
#include <thread>

#include "config/text.h"
#include "pipeline/speech_engine.h"
#include "pipeline/speech_markup.h"
#include "pipeline/text_file.h"

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

// A result that is there already, in the form of one still to come.
std::future<bool> Finished(bool value) {
  std::promise<bool> done;
  done.set_value(value);
  return done.get_future();
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
CAudioConverter::Spoken CAudioConverter::SpeakInto(const std::u16string& text,
                                                   const std::string& wavName) {
  WavWriter writer(kWavSampleRate, &times.wavWriting);
  if (!writer.Open(wavName)) return Spoken::kFailed;
  if (!speechVoice->SelectVoice(voiceToken)) return Spoken::kFailed;  // the writer finishes
  const std::string markup = PrepareSpeechMarkup(EncodeUtf8(text));
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

int CAudioConverter::SpeakFile(const std::string& textPath) {
  if (textPath.empty()) {
    log_.LogError(kLogNoFileName);
    return -1;
  }
  if (textPath.size() < 5) {
    log_.LogError(kLogNoExtension);
    return -1;
  }
  const std::string base = AudioName(textPath, "");
  TextFileProblem problem = TextFileProblem::kNone;
  const auto text = ReadTextFile(textPath, &problem);
  if (problem == TextFileProblem::kTooLarge) {
    log_.LogError(kLogArticleTooLarge, textPath.c_str(),
                  static_cast<unsigned long>(kMaxArticleBytes));
    return -1;
  }
  if (!text) {
    log_.LogError(kLogOpenTextFailed, textPath.c_str());
    return -1;
  }
  const std::string wavName = base + ".wav";
  const Spoken spoken = speechVoice == nullptr ? Spoken::kFailed : SpeakInto(*text, wavName);
  if (spoken == Spoken::kWhole) return 0;
  if (spoken == Spoken::kTooLarge) {
    log_.LogError(kLogWavTooLarge, base.c_str());
  } else if (spoken == Spoken::kFailed) {
    log_.LogError(kLogSpeakError, base.c_str());
  }
  unlink(wavName.c_str());  // never left looking complete
  return -1;
}

int CAudioConverter::EncodeFile(const std::string& textPath) {
  if (textPath.size() < 5) {
    log_.LogError(kLogNoExtension);
    return -1;
  }
  StageClock::Scope timing(times.encoding);
  const std::string wavName = AudioName(textPath, ".wav"), mp3Name = AudioName(textPath, ".mp3");
  if (!encoder_.HasRequired()) {
    log_.LogError(kLogNoLameInterfaces);
    return -1;
  }
  File wav(std::fopen(wavName.c_str(), "rbe"));
  if (!wav) {
    log_.LogError(kLogOpenWavFailed, wavName.c_str());
    return -1;
  }
  File mp3(std::fopen(mp3Name.c_str(), "w+be"));
  if (!mp3) {
    log_.LogError(kLogCreateFileFailed, mp3Name.c_str());
    return -1;
  }
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
    log_.LogError(kLogOpenStreamFailed, static_cast<unsigned long>(code));
    return -1;
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
    log_.LogError(kLogOutOfMemory);
    return -1;
  }

  // The RIFF header, the format chunk's header and first 16 bytes, the rest
  // of the format chunk skipped, and the next chunk's header: its size is the
  // number of bytes of sample data.
  unsigned char header[36] = {}, dataHeader[8] = {};
  std::fread(header, 1, sizeof header, wav.get());
  const uint32_t formatSize = ReadLittleEndian32(header + 16);
  if (formatSize > 16) std::fseek(wav.get(), static_cast<long>(formatSize - 16), SEEK_CUR);
  std::fread(dataHeader, 1, sizeof dataHeader, wav.get());
  const uint64_t dataBytes = ReadLittleEndian32(dataHeader + 4);
  const uint64_t fullChunks = chunkSamples > 0 ? dataBytes / (2ull * chunkSamples) : 0;
  const uint32_t lastSamples =
      static_cast<uint32_t>((dataBytes - fullChunks * 2 * chunkSamples) / 2);

  for (uint64_t chunk = 0; chunk <= fullChunks; ++chunk) {
    if (abortRequested) return -1;  // a cancel: the partial file goes
    const uint32_t wanted = chunk < fullChunks ? chunkSamples : lastSamples;
    const size_t read = std::fread(samples.data(), sizeof(int16_t), wanted, wav.get());
    uint32_t made = 0;
    if (const uint32_t code = encoder_.beEncodeChunk(stream, static_cast<uint32_t>(read),
                                                     samples.data(), mp3Buffer.data(), &made)) {
      log_.LogError(kLogEncodeChunkFailed, static_cast<unsigned long>(code));
      return -1;
    }
    if (std::fwrite(mp3Buffer.data(), 1, made, mp3.get()) != made) {
      log_.LogError(kLogWriteError);
      return -1;
    }
    // A data size that claims more than the file holds ends with the file.
    if (read < wanted) break;
  }
  uint32_t made = 0;
  if (const uint32_t code = encoder_.beDeinitStream(stream, mp3Buffer.data(), &made)) {
    log_.LogError(kLogExitStreamFailed, static_cast<unsigned long>(code));
    return -1;
  }
  if (made > 0 && std::fwrite(mp3Buffer.data(), 1, made, mp3.get()) != made) {
    log_.LogError(kLogWriteError);
    return -1;
  }
  // The tag writer opens the file by name, so everything must be on disk.
  if (std::fflush(mp3.get()) != 0) {
    log_.LogError(kLogWriteError);
    return -1;
  }
  if (encoder_.beWriteInfoTag) {
    encoder_.beWriteInfoTag(stream, mp3Name);
  } else {
    encoder_.beWriteVBRHeader(mp3Name);
  }
  if (std::fclose(mp3.release()) != 0) {
    log_.LogError(kLogWriteError);
    return -1;
  }
  partial.whole = true;
  return 0;
}

CAudioConverter::TextFolder CAudioConverter::ListTextFolder(const std::string& folder,
                                                            const std::string& pattern) {
  TextFolder listed{folder, {}, {}};
  for (const std::string& name : ListFolder(folder)) {
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

// The pass: this thread speaks the files in order, a folder's files before
// its sub-folders (the engine keeps one state per process), and hands each
// file spoken whole to an encoding thread; at most `threads` files are
// encoded at once, and at most three times as many are in hand. With one
// thread the pass encodes each file itself before it speaks the next.
// Each file's end is taken in file order, so the result does not depend on
// the threads: a file that cannot be spoken or encoded is logged and skipped;
// a WAV file that cannot be deleted ends its folder uncounted, and what the
// speaker had already done for the rest of that folder is removed again.
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
    std::future<bool> encoded;
  };
  std::vector<Folder> folders;
  std::vector<Item> items;
  // Files in the sequential pass's order: a folder's files, then its sub-folders.
  const std::function<void(const TextFolder&, int)> flatten = [&](const TextFolder& folder,
                                                                  int parent) {
    const int index = static_cast<int>(folders.size());
    folders.push_back(Folder{parent, false, 0, {}});
    if (parent >= 0) folders[parent].subFolders.push_back(index);
    for (const std::string& path : folder.files) items.push_back({&path, index, {}});
    for (const TextFolder& sub : folder.folders) flatten(sub, index);
  };
  flatten(tree, -1);
  const auto endedAbove = [&](int folder) {
    for (; folder >= 0; folder = folders[folder].parent) {
      if (folders[folder].ended) return true;
    }
    return false;
  };
  const bool wavFormat = EqualsIgnoringCase(outputFormat, "wav");

  std::deque<int> inFlight;
  constexpr unsigned kFilesWaitingPerThread = 3;
  std::counting_semaphore<> encoding(std::max(1u, threads));  // files being encoded at once
  // The end of one file, in file order.
  const auto retire = [&](int k) {
    Item& item = items[k];
    const bool encoded = item.encoded.get();
    if (endedAbove(item.folder)) {  // the sequential pass never came here
      unlink(AudioName(*item.path, ".wav").c_str());
      unlink(AudioName(*item.path, ".mp3").c_str());
      return;
    }
    if (!encoded && abortRequested) return;  // spoken whole: it keeps its WAV file
    if (unlink(AudioName(*item.path, ".wav").c_str()) != 0) {
      log_.LogError(kLogNoWavFiles);
      folders[item.folder].ended = true;
      return;
    }
    if (encoded && !abortRequested) ++folders[item.folder].converted;
  };
  for (size_t k = 0; k < items.size(); ++k) {
    if (abortRequested) break;
    Item& item = items[k];
    if (endedAbove(item.folder)) continue;
    progress().FileStarted(++filesStarted_, filesTotal_, *item.path);
    const bool spoken = SpeakFile(*item.path) == 0;
    if (abortRequested) break;
    if (!spoken) continue;
    if (wavFormat) {  // the WAV file is the result
      ++folders[item.folder].converted;
      continue;
    }
    const std::string* path = item.path;
    if (threads <= 1) {
      item.encoded = Finished(EncodeFile(*path) == 0);
      retire(static_cast<int>(k));
      continue;
    }
    // A long file at the front must not stop the speaker: more files wait
    // than threads encode, but never more than a few per thread.
    if (inFlight.size() == kFilesWaitingPerThread * threads) {
      retire(inFlight.front());
      inFlight.pop_front();
    }
    try {
      item.encoded = std::async(std::launch::async, [this, path, &encoding] {
        encoding.acquire();
        const bool encoded = EncodeFile(*path) == 0;
        encoding.release();
        return encoded;
      });
    } catch (const std::system_error&) {  // no thread to be had: encode here
      item.encoded = Finished(EncodeFile(*path) == 0);
    }
    inFlight.push_back(static_cast<int>(k));
  }
  for (int k : inFlight) retire(k);

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
  const int count = ConvertFolder(JoinPath(workingFolder, "Top"), "*.txt");
  speechVoice = nullptr;
  voiceToken.clear();
  if (count > 0) {
    log_.Flush();
    return 0;
  }
  log_.LogError(kLogNoWavFiles);
  return 1;
}

}  // namespace brevora
