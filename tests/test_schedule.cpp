// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "fakes/clock.h"
#include "run/schedule.h"

namespace brevora {
namespace {

using testing::LocalTime;

std::string Text(std::time_t time) {
  char text[32];
  std::tm parts{};
  localtime_r(&time, &parts);
  std::strftime(text, sizeof text, "%a %d %H:%M:%S", &parts);
  return text;
}

// The window's timer over a simulated clock: a tick every 15 seconds from
// `from` to `to`; a run that starts lasts `runSeconds`. Returns when runs started.
struct Clock {
  ScheduleSettings settings;
  ScheduleState state;
  int runSeconds = 60;

  std::vector<std::string> Ticks(std::time_t from, std::time_t to) {
    std::vector<std::string> starts;
    std::time_t runEnds = 0;
    for (std::time_t now = from; now <= to; now += 15) {
      if (ScheduleTick(now, settings, now < runEnds, state) != DueStart::None) {
        starts.push_back(Text(now));
        runEnds = now + runSeconds;
      }
    }
    return starts;
  }
};

Clock MondayAt(int hour, int minute, int secondHour, int secondMinute) {
  Clock clock;
  clock.settings.startDays[0] = true;
  clock.settings.firstStartTime = MakeStartTime(hour, minute);
  clock.settings.secondStartTime = MakeStartTime(secondHour, secondMinute);
  return clock;
}

using Starts = std::vector<std::string>;

// "Run" at 6:59:30 on a Monday: a tick before 7:00 arms, the first tick in
// 7:00 starts, no other tick of that minute does. At 7:00:10 nothing starts
// that day; the next Monday does at 7:00.
TEST(Schedule, PressedBeforeAndInTheStartMinute) {
  Clock before = MondayAt(7, 0, 17, 0);
  EXPECT_EQ(before.Ticks(LocalTime(2026, 12, 7, 6, 59, 45), LocalTime(2026, 12, 7, 7, 10)),
            (Starts{"Mon 07 07:00:00"}));

  Clock late = MondayAt(7, 0, 7, 0);
  EXPECT_EQ(late.Ticks(LocalTime(2026, 12, 7, 7, 0, 25), LocalTime(2026, 12, 14, 7, 10)),
            (Starts{"Mon 14 07:00:10"}));
}

// Equal start times give one run per ticked day; two times give two.
TEST(Schedule, OneRunPerStartTime) {
  Clock equal = MondayAt(7, 0, 7, 0);
  equal.settings.startDays.fill(true);
  EXPECT_EQ(equal.Ticks(LocalTime(2026, 12, 7, 0, 0), LocalTime(2026, 12, 8, 23, 59)),
            (Starts{"Mon 07 07:00:00", "Tue 08 07:00:00"}));
  // A run shorter than a tick: the equal second time is not a second run.
  Clock quick = MondayAt(7, 0, 7, 0);
  quick.runSeconds = 5;
  EXPECT_EQ(quick.Ticks(LocalTime(2026, 12, 7, 6, 59), LocalTime(2026, 12, 7, 7, 10)),
            (Starts{"Mon 07 07:00:00"}));
  Clock two = MondayAt(7, 0, 17, 30);
  EXPECT_EQ(two.Ticks(LocalTime(2026, 12, 7, 0, 0), LocalTime(2026, 12, 7, 23, 59)),
            (Starts{"Mon 07 07:00:00", "Mon 07 17:30:00"}));
}

// 0:00 is never armed by a tick of its own day; a flag kept from an earlier
// start time still fires it, once. Unticked days change no flag.
TEST(Schedule, MidnightAndKeptFlags) {
  Clock midnight = MondayAt(0, 0, 0, 0);
  midnight.settings.startDays.fill(true);
  EXPECT_TRUE(midnight.Ticks(LocalTime(2026, 12, 7, 0, 0), LocalTime(2026, 12, 9, 12, 0)).empty());
  midnight.state.firstStartArmed = true;
  EXPECT_EQ(midnight.Ticks(LocalTime(2026, 12, 7, 12, 0), LocalTime(2026, 12, 10, 12, 0)),
            (Starts{"Tue 08 00:00:00"}));

  Clock unticked = MondayAt(7, 0, 17, 0);  // Tuesday is not ticked
  unticked.state.firstStartArmed = true;
  EXPECT_TRUE(unticked.Ticks(LocalTime(2026, 12, 8, 0, 0), LocalTime(2026, 12, 8, 23, 59)).empty());
  EXPECT_TRUE(unticked.state.firstStartArmed);
  EXPECT_FALSE(unticked.state.secondStartArmed);
}

// A run still going at the second start time skips it; nothing is made up.
TEST(Schedule, RunStillGoingSkipsTheSecondStart) {
  Clock clock = MondayAt(6, 55, 7, 0);
  clock.runSeconds = 10 * 60;
  EXPECT_EQ(clock.Ticks(LocalTime(2026, 12, 7, 6, 0), LocalTime(2026, 12, 14, 6, 58)),
            (Starts{"Mon 07 06:55:00", "Mon 14 06:55:00"}));
}

// What the status line says the schedule waits for.
TEST(Schedule, NextStart) {
  Clock clock = MondayAt(7, 0, 17, 0);
  EXPECT_EQ(Text(*NextScheduledStart(LocalTime(2026, 12, 7, 6, 0), clock.settings, clock.state)),
            "Mon 07 07:00:00");
  EXPECT_EQ(
      Text(*NextScheduledStart(LocalTime(2026, 12, 7, 7, 0, 10), clock.settings, clock.state)),
      "Mon 07 17:00:00");
  EXPECT_EQ(Text(*NextScheduledStart(LocalTime(2026, 12, 7, 18, 0), clock.settings, clock.state)),
            "Mon 14 07:00:00");
  // In the start minute of the only ticked day, after it fired: a week on.
  Clock weekly = MondayAt(7, 0, 7, 0);
  weekly.Ticks(LocalTime(2026, 12, 7, 6, 59, 45), LocalTime(2026, 12, 7, 7, 0, 15));
  EXPECT_EQ(Text(*NextScheduledStart(LocalTime(2026, 12, 7, 7, 0, 30), weekly.settings,
                                     weekly.state)),
            "Mon 14 07:00:00");
  clock.settings.startDays.fill(false);
  EXPECT_FALSE(NextScheduledStart(LocalTime(2026, 12, 7, 6, 0), clock.settings, clock.state));
}

// Daylight saving in Central Europe: a start at 2:30 on the day the clocks
// go forward does not exist and is lost that day; on the day they go back it
// exists twice and starts twice, because the clock is seen before it again.
TEST(Schedule, DaylightSavingDays) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  Clock spring = MondayAt(2, 30, 2, 30);
  spring.settings.startDays.fill(true);
  EXPECT_EQ(spring.Ticks(LocalTime(2027, 3, 28, 0, 0), LocalTime(2027, 3, 29, 12, 0)),
            (Starts{"Mon 29 02:30:00"}));
  Clock autumn = spring;
  autumn.state = {};
  const std::time_t day = LocalTime(2027, 10, 31, 0, 0);
  EXPECT_EQ(autumn.Ticks(day, day + 12 * 3600), (Starts{"Sun 31 02:30:00", "Sun 31 02:30:00"}));
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace brevora
