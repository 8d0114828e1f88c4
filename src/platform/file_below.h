// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevora {

// A regular file opened for reading; closed when the object goes.
class ReadOnlyFile {
 public:
  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();

  std::uint64_t Size() const { return size_; }
  std::int64_t ModifiedSeconds() const { return modifiedSeconds_; }
  // A text that changes whenever the file is replaced or changed (its size and
  // times; nothing of where it lies on the disk).
  const std::string& Identity() const { return identity_; }
  // Reads up to `size` bytes at `offset`; the count read, 0 at the end, -1 on error.
  ssize_t ReadAt(std::uint64_t offset, char* data, std::size_t size) const;
  // Hands the open descriptor to the caller, who closes it; the object holds none after.
  int ReleaseDescriptor();

 private:
  friend std::optional<ReadOnlyFile> OpenFileBelow(const std::string&,
                                                   const std::vector<std::string>&);
  explicit ReadOnlyFile(int fd) : fd_(fd) {}
  int fd_;
  std::uint64_t size_ = 0;
  std::int64_t modifiedSeconds_ = 0;
  std::string identity_;
};

// Opens the regular file named by `segments` below the folder `root`, one
// segment at a time, never following a symbolic link below `root`; nothing
// when a segment is missing, a link, or the last one is no regular file.
std::optional<ReadOnlyFile> OpenFileBelow(const std::string& root,
                                          const std::vector<std::string>& segments);

}  // namespace brevora
