#pragma once

#include <signal.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace brevora::testing {

// Monday 7 December 2026 at the given local time.
inline std::time_t Monday(int hour, int minute, int second) {
  std::tm parts{};
  parts.tm_year = 126;
  parts.tm_mon = 11;
  parts.tm_mday = 7;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

// Whether a process has ended: gone, or a zombie left for whoever reaps it.
inline bool ProcessEnded(pid_t pid) {
  if (kill(pid, 0) != 0) return true;
  std::FILE* stat = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "re");
  if (stat == nullptr) return true;
  char state = 0;
  const bool read = std::fscanf(stat, "%*d %*s %c", &state) == 1;
  std::fclose(stat);
  return read && (state == 'Z' || state == 'X');
}

}  // namespace brevora::testing
