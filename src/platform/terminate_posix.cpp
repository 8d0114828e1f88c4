#include "platform/terminate.h"

#include <signal.h>

#include <cerrno>

namespace brevora {

int TerminateById(int processId) {
  if (processId <= 0) return 0;  // never a process group or every process
  if (kill(processId, SIGKILL) == 0) return 0;
  return (errno == ESRCH || errno == EPERM) ? 0 : 1;
}

}  // namespace brevora
