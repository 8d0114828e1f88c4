// SPDX-License-Identifier: GPL-3.0-or-later
#include "removal_guard.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace brevora {

namespace {

fs::path Normal(const fs::path& path) {
  fs::path normal = path.lexically_normal();
  // "/a/b/" is "/a/b" with an empty last element; drop it.
  if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path()) {
    normal = normal.parent_path();
  }
  return normal;
}

}  // namespace

bool IsProtectedFolder(const std::string& path, const std::string& currentFolder,
                       const std::string& home) {
  fs::path absolute(path);
  if (absolute.is_relative()) absolute = fs::path(currentFolder) / absolute;
  const fs::path normal = Normal(absolute);
  if (normal == normal.root_path()) return true;
  return !home.empty() && normal == Normal(fs::path(home));
}

}  // namespace brevora
