// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>

namespace brevora {

// The messages of Brevora.log. Each begins with the time stamp's "[%s]".
inline constexpr char kLogCommandFailed[] = "[%s] ERROR - The following command failed: %s \r\n";
inline constexpr char kLogLameNotLoaded[] = "[%s] ERROR - Error loading the MP3 encoder (libmp3lame.so.0)\r\n";
inline constexpr char kLogNoFileName[] = "[%s] ERROR - File name is not specified!\r\n";
inline constexpr char kLogNoExtension[] = "[%s] ERROR - No file extension!\r\n";
inline constexpr char kLogOpenTextFailed[] = "[%s] ERROR - Error opening the file %s \r\n";
inline constexpr char kLogSpeakError[] = "[%s] ERROR - Speak error: %s\r\n";
inline constexpr char kLogNoLameInterfaces[] = "[%s] ERROR - Unable to get LAME interfaces.\r\n";
inline constexpr char kLogOpenWavFailed[] = "[%s] ERROR - Error opening %s \r\n";
inline constexpr char kLogCreateFileFailed[] = "[%s] ERROR - Error creating file %s \r\n";
inline constexpr char kLogOpenStreamFailed[] =
    "[%s] ERROR - Error opening encoding stream (%lu)\r\n";
inline constexpr char kLogOutOfMemory[] = "[%s] ERROR - Out of memory\r\n";
inline constexpr char kLogEncodeChunkFailed[] = "[%s] ERROR - beEncodeChunk() failed (%lu)\r\n";
inline constexpr char kLogWriteError[] = "[%s] ERROR - Output file write error\r\n";
inline constexpr char kLogExitStreamFailed[] = "[%s] ERROR - beExitStream failed (%lu)\r\n";
inline constexpr char kLogNoWavFiles[] = "[%s] ERROR - No .wav files found.\r\n";
// Our own: a run that cannot start because a folder is not set.
inline constexpr char kLogFolderNotSet[] = "[%s] ERROR - The %s folder is not set!\r\n";
inline constexpr char kLogCommandTimedOut[] =
    "[%s] ERROR - The following command did not end within %s and was stopped: %s \r\n";
inline constexpr char kLogPodcastFailed[] =
    "[%s] ERROR - The podcast files could not be written: %s \r\n";
inline constexpr char kLogRunNotStarted[] = "[%s] ERROR - The run could not be started: %s\r\n";
inline constexpr char kLogArticleTooLarge[] =
    "[%s] ERROR - The file %s is larger than %lu bytes, so it is not spoken \r\n";
// A crawler that failed without writing an entry of its own: how it ended
// and the last line it printed on its error stream.
inline constexpr char kLogCrawlerFailed[] = "[%s] ERROR - The crawler %s: %s \r\n";
// Languages of articles that no installed voice speaks: a note, not a failure.
inline constexpr char kLogLanguagesWithoutVoice[] =
    "[%s] NOTE - No voice speaks %s; the chosen voice read those articles \r\n";
// A crawl that left no article: the published news stays as it was.
inline constexpr char kLogNoArticles[] =
    "[%s] ERROR - The crawler found no articles, so nothing was published \r\n";
inline constexpr char kLogWavTooLarge[] =
    "[%s] ERROR - The speech of %s would make a WAV file larger than 4 GiB, so it is not kept \r\n";

// The time stamp of an entry: two-digit month/day/year, the 24-hour time and
// AM or PM, "03/15/04 14:05:09 PM", the same on every platform.
std::string FormatLogTimeStamp(std::time_t time);

// Brevora.log: the one place where failures of a run are written, one entry
// per failure, appended and flushed at once. Its own stream on the file: what
// the process or its children print elsewhere never lands in it. Entries from
// several threads never interleave. An entry ends as the system's text mode
// writes it, every line feed preceded by a carriage return, so each message
// above ends with the bytes 0D 0D 0A.
class RunLog {
 public:
  RunLog() = default;
  ~RunLog();
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // Opens the file for appending, creating it when missing. When it cannot be
  // opened every later entry is lost without notice.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }

  // Writes one entry: `format` is one of the messages above, whose first %s
  // receives the time stamp and the rest `args`.
  // Control characters in the texts (a line feed in a folder name, say) are
  // written visibly escaped ("\x0a"), so no argument can forge an entry.
  template <typename... Args>
  void LogError(const char* format, Args... args) {
    const std::string stamp = FormatLogTimeStamp(clock_ ? clock_() : std::time(nullptr));
    WriteHeld(format, stamp, Visible(args)...);
  }

  // A text with every byte below 0x20 and 0x7f written as "\xHH".
  static std::string Visible(const char* text);
  static unsigned long Visible(unsigned long number) { return number; }

  void Flush();

  // How many entries were written since the log was opened.
  int EntryCount() const { return entries_.load(); }

  // The file's size now; the crawler appends its own entries to it. -1 when
  // the log is not open.
  long long FileSize();
  // How many failures the file gained after `offset` (a FileSize), whoever
  // wrote them: entries ("... ERROR - ...") end with the bytes 0D 0D 0A;
  // notes are not counted.
  int EntriesSince(long long offset);

  // Tests fix the time of the entries.
  void SetClockForTesting(std::function<std::time_t()> clock) { clock_ = std::move(clock); }

 private:
  static const char* Passed(const std::string& text) { return text.c_str(); }
  static unsigned long Passed(unsigned long number) { return number; }
  template <typename... Held>
  void WriteHeld(const char* format, const std::string& stamp, const Held&... held) {
    WriteFormatted(format, stamp.c_str(), Passed(held)...);
  }

  // printf-style: formats the entry (its first argument the time stamp) and writes it.
  void WriteFormatted(const char* format, ...);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::mutex mutex_;
  std::atomic<int> entries_{0};
  std::function<std::time_t()> clock_;
};

}  // namespace brevora
