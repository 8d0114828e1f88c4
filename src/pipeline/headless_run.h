#pragma once

#include <ostream>
#include <string>

namespace brevora {

struct ProgramFolders;

// "--run-now": one run with the settings of DATA/Brevora.cfg, without a
// window. The run's phases and "file k of n" are lines on `out`. Returns the
// exit code: 0 when the run published, 1 when it failed or converted
// nothing, 2 for settings it cannot run with (with one line saying why).
int RunHeadless(const ProgramFolders& folders, std::ostream& out);

}  // namespace brevora
