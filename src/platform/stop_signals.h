// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace brevora {

// Calls `stop` when the process is asked to end (SIGTERM, or SIGINT from the
// terminal). `stop` runs in a signal handler: it may only set atomic flags
// and events.
void OnStopSignals(void (*stop)());

}  // namespace brevora
