// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace brevora::testing {

// A named pipe a child opens for writing to say it has started; the test
// waits for that with WaitForWriter, without sleeping.
class Fifo {
 public:
  explicit Fifo(std::string path) : path_(std::move(path)) { mkfifo(path_.c_str(), 0600); }
  ~Fifo() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }
  // Blocks until a writer opens the pipe.
  void WaitForWriter() const {
    const int fd = open(path_.c_str(), O_RDONLY);
    if (fd >= 0) close(fd);
  }

 private:
  std::string path_;
};

}  // namespace brevora::testing
