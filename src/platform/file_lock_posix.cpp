// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/file_lock.h"

namespace brevora {

std::optional<FileLock> FileLock::TryLock(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return std::nullopt;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return std::nullopt;
  }
  return FileLock(fd);
}

std::optional<FileLock> FileLock::Lock(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return std::nullopt;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(fd);
      return std::nullopt;
    }
  }
  return FileLock(fd);
}

std::optional<FileLock> FileLock::TryLockShared(const std::string& path, bool& busy) {
  busy = false;
  const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return std::nullopt;
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
    busy = errno == EWOULDBLOCK;
    close(fd);
    return std::nullopt;
  }
  return FileLock(fd);
}

void FileLock::Release() noexcept {
  if (fd_ >= 0) close(fd_);  // releases the lock
  fd_ = -1;
}

}  // namespace brevora
