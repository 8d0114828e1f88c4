// SPDX-License-Identifier: GPL-3.0-or-later
#include "publishing/feed_dates.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "base/text.h"

namespace brevora {

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool ReadNumber(std::string_view text, size_t& at, int digits, int& value) {
  value = 0;
  for (int i = 0; i < digits; ++i, ++at) {
    if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))) return false;
    value = value * 10 + (text[at] - '0');
  }
  return true;
}

// "HH:MM" with an optional ":SS".
bool ReadClock(std::string_view text, size_t& at, int& hour, int& minute, int& second) {
  if (!ReadNumber(text, at, 2, hour) || at >= text.size() || text[at++] != ':' ||
      !ReadNumber(text, at, 2, minute)) {
    return false;
  }
  if (at < text.size() && text[at] == ':') {
    ++at;
    return ReadNumber(text, at, 2, second);
  }
  return true;
}

// A zone after the time: "GMT", "UT", "UTC", "Z", "+0100", "-05:00", or none;
// the seconds to subtract for UTC.
bool ReadZone(std::string_view text, long& offset) {
  offset = 0;
  size_t at = text.find_first_not_of(' ');
  if (at == std::string_view::npos) return true;
  const std::string_view zone = text.substr(at);
  if (zone == "GMT" || zone == "UT" || zone == "UTC" || zone == "Z") return true;
  if (zone[0] != '+' && zone[0] != '-') return false;
  const int sign = zone[0] == '-' ? -1 : 1;
  size_t i = 1;
  int hours = 0, minutes = 0;
  if (!ReadNumber(zone, i, 2, hours)) return false;
  if (i < zone.size() && zone[i] == ':') ++i;
  if (!ReadNumber(zone, i, 2, minutes) || i != zone.size()) return false;
  offset = sign * (hours * 3600L + minutes * 60L);
  return true;
}

}  // namespace

std::time_t ParseFeedDate(std::string_view date) {
  std::tm parts{};
  long offset = 0;
  size_t at = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (ReadNumber(date, at, 4, year) && at < date.size() && date[at] == '-') {
    ++at;
    if (!ReadNumber(date, at, 2, month) || at >= date.size() || date[at++] != '-' ||
        !ReadNumber(date, at, 2, day)) {
      return -1;
    }
    if (at < date.size() && (date[at] == 'T' || date[at] == ' ')) {
      ++at;
      if (!ReadClock(date, at, hour, minute, second)) return -1;
      while (at < date.size() &&
             (date[at] == '.' || std::isdigit(static_cast<unsigned char>(date[at]))))
        ++at;
      if (!ReadZone(date.substr(at), offset)) return -1;
    } else if (at != date.size()) {
      return -1;
    }
  } else {
    at = date.find(',');
    at = at == std::string_view::npos ? 0 : at + 1;
    while (at < date.size() && date[at] == ' ') ++at;
    size_t start = at;
    while (at < date.size() && std::isdigit(static_cast<unsigned char>(date[at]))) ++at;
    if (at == start || at - start > 2) return -1;
    day = std::atoi(std::string(date.substr(start, at - start)).c_str());
    while (at < date.size() && date[at] == ' ') ++at;
    const std::string_view name = date.substr(at, 3);
    month = 0;
    for (int m = 0; m < 12; ++m) {
      if (EqualsIgnoringCase(name, kMonths[m])) {
        month = m + 1;
      }
    }
    if (month == 0) return -1;
    at += 3;
    while (at < date.size() && date[at] == ' ') ++at;
    start = at;
    if (!ReadNumber(date, at, 4, year)) {
      at = start;
      if (!ReadNumber(date, at, 2, year)) return -1;
      year += year < 50 ? 2000 : 1900;
    }
    while (at < date.size() && date[at] == ' ') ++at;
    if (!ReadClock(date, at, hour, minute, second)) return -1;
    if (!ReadZone(date.substr(at), offset)) return -1;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return -1;
  }
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  return timegm(&parts) - offset;
}

std::string IsoDate(std::time_t time) {
  std::tm parts{};
  gmtime_r(&time, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday);
  return text;
}

std::string Rfc822Date(std::string_view date, std::time_t fallback) {
  std::time_t time = date.empty() ? -1 : ParseFeedDate(date);
  return Rfc822Time(time < 0 ? fallback : time);
}

std::string ClockDuration(int seconds) {
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  }
  return text;
}

}  // namespace brevora
