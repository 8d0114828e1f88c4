// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/program_folders.h"

#include <filesystem>
#include <system_error>

#include "base/file_io.h"

namespace brevora {

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

ProgramFolders ChooseProgramFolders(const std::string& install, bool installWritable,
                                    const std::string& chosen, const char* xdgDataHome,
                                    const char* home) {
  ProgramFolders folders{WithSlash(install), {}};
  if (!chosen.empty()) {
    folders.data = WithSlash(chosen);
  } else if (installWritable) {
    folders.data = folders.install;
  } else if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
    folders.data = WithSlash(xdgDataHome) + "brevora/";
  } else if (home != nullptr && home[0] == '/') {
    folders.data = WithSlash(home) + ".local/share/brevora/";
  }
  // Else none: never a folder that other users may write to.
  return folders;
}

std::string PrepareDataFolder(const ProgramFolders& folders) {
  if (folders.data.empty()) {
    return "Neither HOME nor XDG_DATA_HOME names a folder, so Brevora has no data folder; "
           "give one with --data-folder FOLDER.";
  }
  if (folders.data == folders.install) return {};
  std::error_code error;
  std::filesystem::create_directories(folders.data, error);
  if (error) return "The data folder " + folders.data + " cannot be made: " + error.message();
  if (std::filesystem::exists(folders.data + "Channels.txt", error)) return {};
  std::string sample;
  if (ReadWholeFile(folders.install + "Channels.txt", sample) != 0) return {};  // none to give
  // Each line: a local feed's relative path made the installed file's full path.
  std::string seeded;
  size_t start = 0;
  while (start < sample.size()) {
    size_t end = sample.find('\n', start);
    if (end == std::string::npos) end = sample.size();
    std::string line = sample.substr(start, end - start);
    const bool crlf = !line.empty() && line.back() == '\r';
    if (crlf) line.pop_back();
    // The URL is the second field: between the first and the second "||".
    const size_t first = line.find("||");
    const size_t second = first == std::string::npos ? first : line.find("||", first + 2);
    if (!line.empty() && line[0] != '#' && second != std::string::npos) {
      const std::string url = line.substr(first + 2, second - first - 2);
      if (!url.empty() && url[0] != '/' && url.find(':') == std::string::npos) {
        line.replace(first + 2, url.size(), folders.install + url);
      }
    }
    seeded += line + (crlf ? "\r\n" : (end < sample.size() ? "\n" : ""));
    start = end + 1;
  }
  if (WriteFileAtomically(folders.data + "Channels.txt", seeded, FileAccess::kOwnerOnly) != 0) {
    return "The channel list cannot be written into " + folders.data;
  }
  return {};
}

}  // namespace brevora
