// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/run_log.h"

#include <sys/stat.h>

#include <cstdarg>

#include "base/text.h"

namespace brevora {

std::string FormatLogTimeStamp(std::time_t time) {
  std::tm moment{};
  localtime_r(&time, &moment);
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d %s", moment.tm_mon + 1,
                moment.tm_mday, moment.tm_year % 100, moment.tm_hour, moment.tm_min, moment.tm_sec,
                moment.tm_hour < 12 ? "AM" : "PM");
  return text;
}

std::string RunLog::Visible(const char* text) {
  std::string out;
  for (const char* at = text; at != nullptr && *at != '\0'; ++at) {
    if (IsControlCharacter(*at)) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(*at));
      out += escaped;
    } else {
      out += *at;
    }
  }
  return out;
}

RunLog::~RunLog() {
  if (file_ != nullptr) std::fclose(file_);
}

bool RunLog::Open(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (file_ != nullptr) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "abe");
  path_ = file_ != nullptr ? path : std::string();
  return file_ != nullptr;
}

long long RunLog::FileSize() {
  std::lock_guard lock(mutex_);
  if (file_ == nullptr) return -1;
  std::fflush(file_);
  struct stat status {};
  return stat(path_.c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

int RunLog::EntriesSince(long long offset) {
  std::lock_guard lock(mutex_);
  if (file_ == nullptr || offset < 0) return 0;
  std::fflush(file_);
  std::FILE* file = std::fopen(path_.c_str(), "rbe");
  if (file == nullptr) return 0;
  int entries = 0;
  if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0) {
    // Entry by entry; one may straddle two reads, so what follows the last
    // end read stays for the next.
    std::string pending;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      pending.append(buffer, n);
      size_t start = 0;
      for (size_t end = pending.find("\r\r\n"); end != std::string::npos;
           end = pending.find("\r\r\n", start)) {
        const std::string_view entry(pending.data() + start, end - start);
        const size_t stamp = entry.find("] ");
        if (entry.starts_with('[') && stamp != std::string_view::npos &&
            entry.substr(stamp + 2).starts_with("ERROR - ")) {
          ++entries;
        }
        start = end + 3;
      }
      pending.erase(0, start);
      if (pending.size() > (1 << 20)) pending.erase(0, pending.size() - 4096);  // no end in sight
    }
  }
  std::fclose(file);
  return entries;
}

void RunLog::WriteFormatted(const char* format, ...) {
  va_list args, copy;
  va_start(args, format);
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(size > 0 ? static_cast<size_t>(size) + 1 : 1, '\0');
  if (size > 0) std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.resize(size > 0 ? static_cast<size_t>(size) : 0);

  std::string entry;
  entry.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\n') entry += '\r';
    entry += c;
  }
  ++entries_;
  std::lock_guard lock(mutex_);
  if (file_ == nullptr) return;
  std::fwrite(entry.data(), 1, entry.size(), file_);
  std::fflush(file_);
}

void RunLog::Flush() {
  std::lock_guard lock(mutex_);
  if (file_ != nullptr) std::fflush(file_);
}

}  // namespace brevora
