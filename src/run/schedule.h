// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <ctime>
#include <optional>

namespace brevora {

// The schedule's memory between ticks: a start is armed when a tick on a
// ticked day saw the clock before it, and disarmed only by firing.
struct ScheduleState {
  bool firstStartArmed = false;
  bool secondStartArmed = false;
};

// What the window's schedule works with at one tick.
struct ScheduleSettings {
  std::array<bool, 7> startDays{};  // Monday to Sunday
  std::time_t firstStartTime = 0;   // only the local hour and minute count,
  std::time_t secondStartTime = 0;  // except when the two are compared
};

enum class DueStart { None, First, Second };

// One tick of the schedule at local time `now`: on a ticked day, each start
// time is armed while the clock is before it and fires in its minute when
// armed and no run is going. A second start time equal to the first is not
// tested. After the first fires the second cannot fire in the same tick.
DueStart ScheduleTick(std::time_t now, const ScheduleSettings& settings, bool running,
                      ScheduleState& state);

// When the schedule will next start a run, if no run is going then; nothing
// when no day is ticked or no start can fire within a week.
std::optional<std::time_t> NextScheduledStart(std::time_t now, const ScheduleSettings& settings,
                                              const ScheduleState& state);

}  // namespace brevora
