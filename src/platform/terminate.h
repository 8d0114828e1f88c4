#pragma once

namespace brevora {

// Ends the one process with this id at once, without notice (SIGKILL).
// Returns 0 when it was ended or is not there to end (already gone, or not
// ours to signal), 1 when the termination itself failed.
int TerminateById(int processId);

}  // namespace brevora
