// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "base/file_error.h"

namespace brevora {

int ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (file == nullptr) return CauseFromErrno(errno);
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
  const int cause = std::ferror(file) ? CauseFromErrno(errno) : kNoError;
  std::fclose(file);
  if (cause != kNoError) content.clear();
  return cause;
}

int ReadFileTail(const std::string& path, size_t limit, std::string& content) {
  content.clear();
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (file == nullptr) return CauseFromErrno(errno);
  struct stat status {};
  if (fstat(fileno(file), &status) == 0 && static_cast<size_t>(status.st_size) > limit) {
    fseeko(file, static_cast<off_t>(status.st_size - static_cast<off_t>(limit)), SEEK_SET);
  }
  char buffer[65536];
  size_t n;
  while (content.size() < limit && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    content.append(buffer, std::min(n, limit - content.size()));
  }
  const int cause = std::ferror(file) ? CauseFromErrno(errno) : kNoError;
  std::fclose(file);
  if (cause != kNoError) content.clear();
  return cause;
}

TemporaryFile::TemporaryFile(const std::string& prefix) {
  const char* folder = std::getenv("TMPDIR");
  std::string pattern = std::string(folder != nullptr && folder[0] == '/' ? folder : "/tmp") + "/" +
                        prefix + "-XXXXXX";
  const int descriptor = mkostemp(pattern.data(), O_CLOEXEC);
  if (descriptor < 0) return;
  close(descriptor);
  path_ = pattern;
}

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) unlink(path_.c_str());
}

namespace {

// The file that a write to `path` should replace: the end of a chain of
// symbolic links (even when it does not exist yet), otherwise the path itself.
std::string ResolveTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n < 0) return path;
    const std::string link(target, n);
    if (link.starts_with('/')) {
      path = link;
    } else {
      const auto slash = path.rfind('/');
      path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
    }
  }
  return path;
}

bool WriteAll(int fd, const std::string& content) {
  size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = write(fd, content.data() + written, content.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

void RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& names) {
  constexpr std::time_t kStaleSeconds = 60;
  const std::string open = folder.empty() ? "." : folder;
  DIR* dir = opendir(open.c_str());
  if (dir == nullptr) return;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = readdir(dir)) {
    const std::string found = entry->d_name;
    for (const std::string& name : names) {
      const std::string prefix = "." + name + "-";
      if (found.size() != prefix.size() + 6 || found.compare(0, prefix.size(), prefix) != 0) {
        continue;
      }
      const std::string path = (folder.empty() ? "" : folder) + found;
      struct stat info {};
      if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
          now - info.st_mtime > kStaleSeconds) {
        unlink(path.c_str());
      }
    }
  }
  closedir(dir);
}

int WriteFileAtomically(const std::string& path, const std::string& content, FileAccess access) {
  const std::string target = ResolveTarget(path);
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) return CauseFromErrno(EISDIR);
  RemoveStaleTemporaries(folder, {base});

  std::string temporary = folder + "." + base + "-XXXXXX";
  std::vector<char> name(temporary.begin(), temporary.end());
  name.push_back('\0');
  // Close-on-exec: a crawler started meanwhile must not inherit the file.
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  // A file being created in a folder that does not exist: the path is invalid.
  if (fd < 0) return CauseFromErrno(errno == ENOENT ? ENOTDIR : errno);
  temporary = name.data();

  struct stat existing {};
  const mode_t mode = access == FileAccess::kOwnerOnly ? 0600
                      : stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)
                          ? (existing.st_mode & 07777)
                          : 0644;
  int error = 0;
  if (fchmod(fd, mode) != 0 || !WriteAll(fd, content) || fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return CauseFromErrno(error);
  }
  return kNoError;
}

int CopyFileAtomically(const std::string& from, const std::string& to) {
  std::string content;
  const int cause = ReadWholeFile(from, content);
  if (cause != kNoError) return cause;
  return WriteFileAtomically(to, content);
}

}  // namespace brevora
