// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cancel_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace brevora {

CancelEvent::CancelEvent() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (fd_ < 0) std::abort();  // out of descriptors at start-up: nothing sensible to do
}

CancelEvent::~CancelEvent() { close(fd_); }

void CancelEvent::Set() {
  const uint64_t one = 1;
  (void)!write(fd_, &one, sizeof one);
}

void CancelEvent::Reset() { TryConsume(); }

bool CancelEvent::TryConsume() {
  uint64_t count = 0;
  return read(fd_, &count, sizeof count) == sizeof count && count > 0;
}

bool CancelEvent::WaitFor(int seconds) const {
  pollfd watched{fd_, POLLIN, 0};
  int ready;
  do {
    ready = poll(&watched, 1, seconds * 1000);
  } while (ready < 0 && errno == EINTR);
  return ready == 1 && (watched.revents & POLLIN);
}

bool CancelEvent::IsSet() const {
  pollfd watched{fd_, POLLIN, 0};
  return poll(&watched, 1, 0) == 1 && (watched.revents & POLLIN);
}

}  // namespace brevora
