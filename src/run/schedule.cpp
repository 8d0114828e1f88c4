// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/schedule.h"

namespace brevora {

namespace {

std::tm Local(std::time_t time) {
  std::tm parts{};
  localtime_r(&time, &parts);
  return parts;
}

// Monday 0 ... Sunday 6.
int DayIndex(const std::tm& parts) {
  return (parts.tm_wday + 6) % 7;
}

int MinuteOfDay(const std::tm& parts) {
  return parts.tm_hour * 60 + parts.tm_min;
}

// The start test for one start time; true when it fires.
bool StartTest(int nowMinute, int startMinute, bool running, bool& armed) {
  if (nowMinute < startMinute) {
    armed = true;
    return false;
  }
  if (nowMinute == startMinute && armed && !running) {
    armed = false;
    return true;
  }
  return false;
}

}  // namespace

DueStart ScheduleTick(std::time_t now, const ScheduleSettings& settings, bool running,
                      ScheduleState& state) {
  const std::tm local = Local(now);
  if (!settings.startDays[DayIndex(local)]) return DueStart::None;
  const int minute = MinuteOfDay(local);
  DueStart due = DueStart::None;
  if (StartTest(minute, MinuteOfDay(Local(settings.firstStartTime)), running,
                state.firstStartArmed)) {
    due = DueStart::First;
    running = true;
  }
  if (settings.secondStartTime != settings.firstStartTime &&
      StartTest(minute, MinuteOfDay(Local(settings.secondStartTime)), running,
                state.secondStartArmed)) {
    due = DueStart::Second;
  }
  return due;
}

std::optional<std::time_t> NextScheduledStart(std::time_t now, const ScheduleSettings& settings,
                                              const ScheduleState& state) {
  // Ticks every minute for eight days, on a copy of the state: the same rule
  // that will decide, so the answer never disagrees with it.
  ScheduleState copy = state;
  const std::time_t start = now - now % 60;
  for (std::time_t t = start; t < start + 8 * 24 * 3600; t += 60) {
    const std::time_t tick = t == start ? now : t;
    if (ScheduleTick(tick, settings, false, copy) != DueStart::None) return t;
  }
  return std::nullopt;
}

}  // namespace brevora
