// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/autostart.h"

#include <filesystem>
#include <system_error>

#include "base/file_io.h"

namespace brevora {

namespace {

// An argument of an Exec line. Its reserved characters quote it; inside the
// quotes '"', '`', '$' and '\\' are escaped by the quoting rules, whose
// backslash the file's own escapes double, since they are undone first
// ("\\$", and four for one backslash). Line breaks and tabs are the file's
// escapes, so that the entry keeps its lines; "%" is doubled, as field codes
// begin with it.
std::string ExecArgument(const std::string& text) {
  const bool quoted = text.find_first_of(" \t\n\r\"'\\><~|&;$*?#()`") != std::string::npos;
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\\':
        out += "\\\\\\\\";
        break;
      case '"':
      case '`':
      case '$':
        out += "\\\\";
        out += c;
        break;
      case '%':
        out += "%%";
        break;
      default:
        out += c;
    }
  }
  return quoted ? "\"" + out + "\"" : out;
}

}  // namespace

std::string AutostartPath(const char* xdgConfigHome, const char* home) {
  std::string config;
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
    config = xdgConfigHome;
  } else {
    config = std::string(home != nullptr ? home : "") + "/.config";
  }
  if (config.back() != '/') config += '/';
  return config + "autostart/brevora.desktop";
}

std::string AutostartEntry(const std::string& program, const std::string& dataFolder) {
  return "[Desktop Entry]\nType=Application\nName=Brevora\n"
         "Comment=Turns web news into spoken audio on a schedule\nExec=" +
         ExecArgument(program) +
         (dataFolder.empty() ? std::string() : " --data-folder " + ExecArgument(dataFolder)) +
         " --minimized --start-schedule\nIcon=org.tidewire.Brevora\nTerminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartOn(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

int SetAutostart(const std::string& path, bool on, const std::string& program,
                 const std::string& dataFolder) {
  std::error_code error;
  if (!on) {
    std::filesystem::remove(path, error);
    return error ? 1 : 0;
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) return 1;
  return WriteFileAtomically(path, AutostartEntry(program, dataFolder));
}

}  // namespace brevora
