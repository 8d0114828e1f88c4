// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/file_dialogs.h"

class QWidget;

namespace brevora {

// The file dialogs of the toolkit, owned by a window.
class StandardFileDialogs : public FileDialogs {
 public:
  explicit StandardFileDialogs(QWidget* parent) : parent_(parent) {}
  std::optional<std::string> OpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileName(const FileDialogRequest& request) override;
  // A folder dialog with a field below the list that always shows the full
  // path of the folder currently selected.
  std::optional<std::string> FolderName(const std::string& title,
                                        const std::string& startFolder) override;

 private:
  QWidget* parent_;
};

}  // namespace brevora
