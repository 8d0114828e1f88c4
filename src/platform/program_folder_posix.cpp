// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_folder.h"

#include <unistd.h>

#include <climits>
#include <vector>

namespace brevora {

std::string FolderOfPath(const std::string& executablePath) {
  const auto slash = executablePath.rfind('/');
  if (slash == std::string::npos) return "./";
  return executablePath.substr(0, slash + 1);
}

namespace {

std::string ReadSelfExe() {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

bool IsWritableFolder(const std::string& folder) {
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string GetProgramFolder() {
  static const std::string folder = FolderOfPath(ReadSelfExe());
  return folder;
}

}  // namespace brevora
