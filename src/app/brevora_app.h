// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "app/command_line_options.h"
#include "config/program_folders.h"

namespace brevora {

// The program's window: runs the main window over the folders, and ends with it.
class CBrevoraApp {
 public:
  // Runs the whole program; returns the process's exit code.
  int InitInstance(const ProgramFolders& folders, const CommandLineOptions& options = {});
  const std::string& GetProgramFolder() const { return folders_.data; }

 private:
  ProgramFolders folders_;
};

}  // namespace brevora
