// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace brevora {

// Ends the process with this id at once, without notice (SIGKILL), and the
// process group it leads, as every child that ChildProcess starts does.
// Returns 0 when it was ended or is not there to end (already gone, or not
// ours to signal), 1 when the termination itself failed.
int TerminateById(int processId);

}  // namespace brevora
