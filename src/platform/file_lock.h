// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace brevora {

// An exclusive lock on a file, held while the object lives: only one holder
// per file among all processes. The file is made if missing; children never
// inherit the lock.
class FileLock {
 public:
  // The lock, or nothing when another holder has it (or the file cannot be made).
  static std::optional<FileLock> TryLock(const std::string& path);
  // The lock, waiting while others hold it; nothing when the file cannot be made.
  static std::optional<FileLock> Lock(const std::string& path);
  // A shared hold, which many may have at once but not beside an exclusive
  // one; nothing, with `busy` set, while an exclusive holder has the file.
  static std::optional<FileLock> TryLockShared(const std::string& path, bool& busy);

  FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileLock& operator=(FileLock&& other) noexcept {
    if (this != &other) {
      Release();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  FileLock(const FileLock&) = delete;
  ~FileLock() { Release(); }

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  void Release() noexcept;
  int fd_;
};

}  // namespace brevora
