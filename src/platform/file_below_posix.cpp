// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_below.h"

namespace brevora {

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : fd_(other.fd_),
      size_(other.size_),
      modifiedSeconds_(other.modifiedSeconds_),
      identity_(std::move(other.identity_)) {
  other.fd_ = -1;
}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    size_ = other.size_;
    modifiedSeconds_ = other.modifiedSeconds_;
    identity_ = std::move(other.identity_);
    other.fd_ = -1;
  }
  return *this;
}

int ReadOnlyFile::ReleaseDescriptor() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) close(fd_);
}

ssize_t ReadOnlyFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
  for (;;) {
    const ssize_t got = pread(fd_, data, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

std::optional<ReadOnlyFile> OpenFileBelow(const std::string& root,
                                          const std::vector<std::string>& segments) {
  if (segments.empty()) return std::nullopt;
  int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return std::nullopt;
  for (size_t i = 0; i + 1 < segments.size(); ++i) {
    const int next =
        openat(folder, segments[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(folder);
    if (next < 0) return std::nullopt;
    folder = next;
  }
  // Non-blocking, so that a named pipe planted in the folder cannot stall the open.
  const int fd = openat(folder, segments.back().c_str(),
                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  close(folder);
  if (fd < 0) return std::nullopt;
  ReadOnlyFile file(fd);
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  file.size_ = static_cast<std::uint64_t>(status.st_size);
  file.modifiedSeconds_ = static_cast<std::int64_t>(status.st_mtim.tv_sec);
  char identity[96];
  std::snprintf(identity, sizeof identity, "%llx-%llx.%lx-%llx.%lx",
                static_cast<unsigned long long>(status.st_size),
                static_cast<unsigned long long>(status.st_mtim.tv_sec),
                static_cast<unsigned long>(status.st_mtim.tv_nsec),
                static_cast<unsigned long long>(status.st_ctim.tv_sec),
                static_cast<unsigned long>(status.st_ctim.tv_nsec));
  file.identity_ = identity;
  return file;
}

}  // namespace brevora
