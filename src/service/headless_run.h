// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <ctime>
#include <functional>
#include <ostream>
#include <string>

#include "platform/cancel_event.h"

namespace brevora {

struct ProgramFolders;

// The file in the data folder whose lock a run holds while it goes.
inline constexpr char kRunLockName[] = ".Brevora.run.lock";
// The file whose lock a running schedule without a window holds.
inline constexpr char kScheduleLockName[] = ".Brevora.schedule.lock";

// How a run without a window is stopped: Stop (safe in a signal handler, as
// for SIGTERM and SIGINT) ends the waiting and stops a run in progress as the
// window's "Stop" does.
class HeadlessControl {
 public:
  void Stop() {
    stopped = 1;
    if (std::atomic<int>* abort = converterAbort.load()) *abort = 1;
    runCancel.Set();
    wake.Set();
  }
  std::atomic<int> stopped{0};
  std::atomic<std::atomic<int>*> converterAbort{nullptr};  // the running pass's flag
  CancelEvent runCancel;                                   // stops the run's commands
  CancelEvent wake;                                        // ends a pause between ticks
  // The clock, and the pause between two ticks; tests give their own.
  std::function<std::time_t()> now = [] { return std::time(nullptr); };
  std::function<void()> pause = [this] { wake.WaitFor(15); };
};

// "--run-now": one run with the settings of DATA/Brevora.cfg, without a
// window. The run's phases and "file k of n" are lines on `out`. Returns the
// exit code: 0 when the run published, 1 when it failed or converted
// nothing, 2 for settings it cannot run with or when a run of the same data
// folder is going (with one line saying why).
// With `sharePort` (--share), the executing folder is shared on that port for
// as long as the run goes, and "Sharing at ADDRESS" is a line per address of
// the machine; a port that cannot be listened on is exit code 2.
int RunHeadless(const ProgramFolders& folders, std::ostream& out, HeadlessControl& control,
                int sharePort = 0);

// "--scheduled": waits for the start days and times of DATA/Brevora.cfg and
// makes a run at each, until the control is stopped. Returns 0, or 2 for
// settings it cannot run with.
// `sharePort` shares the executing folder until the control is stopped.
int RunScheduled(const ProgramFolders& folders, std::ostream& out, HeadlessControl& control,
                 int sharePort = 0);

}  // namespace brevora
