// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/autostart.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::TempFolder;

// The arguments the desktop makes of an entry's Exec line: the file's
// escapes undone (any other is an error), then the quoting rules, then "%%"
// as "%".
std::vector<std::string> ExecArguments(const std::string& entry) {
  const size_t start = entry.find("\nExec=") + 6;
  const std::string line = entry.substr(start, entry.find('\n', start) - start);
  std::string value;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      value += line[i];
      continue;
    }
    const char next = line[++i];
    const size_t known = std::string("sntr\\").find(next);
    if (known == std::string::npos) return {"invalid escape \\" + std::string(1, next)};
    value += " \n\t\r\\"[known];
  }
  std::vector<std::string> arguments;
  std::string argument;
  bool quoted = false, any = false;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (quoted && c == '\\' && i + 1 < value.size() &&
        std::string("\"`$\\").find(value[i + 1]) != std::string::npos) {
      argument += value[++i];
    } else if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && c == ' ') {
      if (any || !argument.empty()) arguments.push_back(argument);
      argument.clear();
      any = false;
    } else if (c == '%' && i + 1 < value.size() && value[i + 1] == '%') {
      argument += value[++i];
    } else {
      argument += c;
    }
  }
  if (any || !argument.empty()) arguments.push_back(argument);
  return arguments;
}

// The entry's place; its command line, which the desktop splits back into
// the program and the data folder whatever their names hold, without a line
// of its own; its writing and removal.
TEST(Autostart, EntryWrittenAndRemoved) {
  EXPECT_EQ(AutostartPath("/home/a/.cfg", "/home/a"), "/home/a/.cfg/autostart/brevora.desktop");
  EXPECT_EQ(AutostartPath(nullptr, "/home/a"), "/home/a/.config/autostart/brevora.desktop");
  EXPECT_EQ(AutostartPath("rel", "/home/a"), "/home/a/.config/autostart/brevora.desktop");
  EXPECT_NE(AutostartEntry("/usr/lib/brevora/Brevora")
                .find("\nExec=/usr/lib/brevora/Brevora --minimized --start-schedule\n"),
            std::string::npos);
  for (const std::string name : {"my news", "my \"news\"", "it's", "a\\b", "$HOME`id`", "100%",
                                 "tab\there", "new\nIcon=evil", "cr\rx", "~(x)|y;z&*?#<>"}) {
    const std::string program = "/opt/" + name + "/Brevora";
    const std::string data = "/home/me/" + name + "/";
    const std::string entry = AutostartEntry(program, data);
    EXPECT_EQ(ExecArguments(entry), (std::vector<std::string>{program, "--data-folder", data,
                                                              "--minimized", "--start-schedule"}))
        << entry;
    EXPECT_EQ(std::count(entry.begin(), entry.end(), '\n'), 8) << entry;
  }
  TempFolder folder;
  const std::string path = folder.path() + "config/autostart/brevora.desktop";
  EXPECT_FALSE(AutostartOn(path));
  EXPECT_EQ(SetAutostart(path, true, "/usr/lib/brevora/Brevora"), 0);
  EXPECT_TRUE(AutostartOn(path));
  EXPECT_EQ(folder.Read("config/autostart/brevora.desktop"),
            AutostartEntry("/usr/lib/brevora/Brevora"));
  EXPECT_EQ(SetAutostart(path, false, ""), 0);
  EXPECT_FALSE(AutostartOn(path));
  EXPECT_EQ(SetAutostart(path, false, ""), 0);  // already gone
}

}  // namespace
}  // namespace brevora
