#include "config/autostart.h"

#include <filesystem>
#include <system_error>

#include "base/file_io.h"

namespace brevora {

namespace {

// An argument of an Exec line: quoted, with the characters the quoting
// rules name escaped, when it holds anything but plain characters.
std::string ExecArgument(const std::string& text) {
  if (text.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
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

std::string AutostartEntry(const std::string& program) {
  return "[Desktop Entry]\nType=Application\nName=Brevora\n"
         "Comment=Turns web news into spoken audio on a schedule\nExec=" +
         ExecArgument(program) +
         " --minimized --start-schedule\nIcon=org.tidewire.Brevora\nTerminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartOn(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

int SetAutostart(const std::string& path, bool on, const std::string& program) {
  std::error_code error;
  if (!on) {
    std::filesystem::remove(path, error);
    return error ? 1 : 0;
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) return 1;
  return WriteFileAtomically(path, AutostartEntry(program));
}

}  // namespace brevora
