// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brevora {

// What a file dialog is opened with.
struct FileDialogRequest {
  std::string title;
  std::string folder;         // where it opens; empty for the dialog's own choice
  std::string proposedName;   // "Brevora"
  std::string defaultSuffix;  // "cfg": added to a typed name without one
  // Filter entries in the dialog's own notation: "Config Files (*.cfg)".
  std::vector<std::string> filters;
};

// The standard file and folder dialogs. The windows show real dialogs; tests
// give the chosen path from a script. Each returns nothing when cancelled.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<std::string> OpenFileName(const FileDialogRequest& request) = 0;
  // Asks before overwriting an existing file.
  virtual std::optional<std::string> SaveFileName(const FileDialogRequest& request) = 0;
  // Only folders can be chosen.
  virtual std::optional<std::string> FolderName(const std::string& title,
                                                const std::string& startFolder) = 0;
};

}  // namespace brevora
