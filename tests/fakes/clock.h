// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <signal.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace brevora::testing {

// Local time on a given date.
inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second = 0) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

// Monday 7 December 2026 at the given local time.
inline std::time_t Monday(int hour, int minute, int second) {
  return LocalTime(2026, 12, 7, hour, minute, second);
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
