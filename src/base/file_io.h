// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace brevora {

// Whole-file reading and writing. Both return a file-error cause
// (base/file_error.h): 0 on success.

// Reads every byte of the file into `content`.
int ReadWholeFile(const std::string& path, std::string& content);

// Reads the file's last `limit` bytes (all of it when it is smaller).
int ReadFileTail(const std::string& path, size_t limit, std::string& content);

// A new empty file below the system's temporary folder, readable by its
// owner only, removed when the object goes away; `path` is empty when none
// could be made.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& prefix);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Replaces the file with `content` so that it is never seen half written:
// the bytes go to a temporary file in the same folder, which is flushed to
// disk and renamed over the target. On any failure the temporary file is
// removed and the previous file stays as it was, byte for byte. A target that
// is a symbolic link is written through the link. An existing file keeps its
// permissions; a new one gets rw-r--r--. A folder that does not exist is an
// invalid path. Temporary files of the same target that a killed process left
// behind (".NAME-XXXXXX", older than a minute) are removed first.
// kOwnerOnly gives the file rw------- whatever it had: for a file that holds
// a secret (a token, a password).
enum class FileAccess { kKeep, kOwnerOnly };
int WriteFileAtomically(const std::string& path, const std::string& content,
                        FileAccess access = FileAccess::kKeep);

// Removes the temporary files WriteFileAtomically names after each of the
// files (".NAME-XXXXXX" in `folder`) that are older than a minute: what a
// process killed during a save left. Younger ones may belong to a save in
// progress.
void RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& names);

// Copies `from` over `to` with WriteFileAtomically; `from` is only read.
int CopyFileAtomically(const std::string& from, const std::string& to);

}  // namespace brevora
