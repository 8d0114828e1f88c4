#pragma once

#include <string>

namespace brevora {

// The steps of a run, in order.
enum class RunPhase { Clearing, Crawling, Converting, Publishing };

// How a run ended.
struct RunSummary {
  bool completed = false;  // every step ran to its end
  bool cancelled = false;  // "Stop" or "Cancel Run" ended it
  int failures = 0;        // entries written to Brevora.log during the run
};

// What a run tells about itself while it goes on. The calls come from the
// worker's thread, must be cheap and must never block it. This base class
// does nothing: a run without a window passes it as it is.
class RunProgress {
 public:
  virtual ~RunProgress() = default;
  virtual void PhaseStarted(RunPhase) {}
  // The conversion pass begins file `number` (from 1) of `total`.
  virtual void FileStarted(int /*number*/, int /*total*/, const std::string& /*path*/) {}
  // The conversion pass converted `converted` of `total` text files.
  virtual void ConversionEnded(int /*converted*/, int /*total*/) {}
  virtual void RunEnded(const RunSummary&) {}
};

}  // namespace brevora
