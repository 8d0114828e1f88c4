// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace brevora::testing {

// A fresh folder below the system's temporary folder, removed with everything
// in it when the object goes away. path() ends with "/", like the program folder.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }

  // Writes a file below the folder (parents created) and returns its path.
  std::string Write(const std::string& relative, const std::string& content) const;
  // The whole content of a file below the folder; empty when missing.
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  // Names in a folder below this one (no "." or ".."), sorted.
  std::vector<std::string> List(const std::string& relative = "") const;

 private:
  std::string path_;
};

}  // namespace brevora::testing
