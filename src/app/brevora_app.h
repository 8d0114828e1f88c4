#pragma once

#include <string>

namespace brevora {

// The program: finds its folder, runs the main window, and ends with it.
class CBrevoraApp {
 public:
  // Runs the whole program; returns the process's exit code.
  int InitInstance();
  const std::string& GetProgramFolder() const { return programFolder_; }

 private:
  std::string programFolder_;
};

}  // namespace brevora
