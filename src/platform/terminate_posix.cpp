// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>

#include <cerrno>

#include "platform/terminate.h"

namespace brevora {

int TerminateById(int processId) {
  if (processId <= 0) return 0;  // never a process group or every process
  // Our children lead their own process groups: what they started goes too.
  kill(-processId, SIGKILL);
  if (kill(processId, SIGKILL) == 0) return 0;
  return (errno == ESRCH || errno == EPERM) ? 0 : 1;
}

}  // namespace brevora
