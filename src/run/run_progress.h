// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "audio/converter.h"

namespace brevora {

// The steps of a run, in order.
enum class RunPhase { Clearing, Crawling, Converting, Publishing };

// How a run ended.
struct RunSummary {
  bool completed = false;  // every step ran to its end
  bool cancelled = false;  // "Stop" or "Cancel Run" ended it
  int failures = 0;        // entries written to Brevora.log during the run
  int articles = -1;       // article texts the crawl left; -1: no crawl ended
};

// What a run tells about itself while it goes on. The calls come from the
// worker's thread, must be cheap and must never block it. This base class
// does nothing: a run without a window passes it as it is.
class RunProgress : public ConversionProgress {
 public:
  virtual void PhaseStarted(RunPhase) {}
  virtual void RunEnded(const RunSummary&) {}
};

}  // namespace brevora
