// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "config/autostart.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::TempFolder;

// The entry's place, its command line (quoted where the path needs it), and
// its writing and removal.
TEST(Autostart, EntryWrittenAndRemoved) {
  EXPECT_EQ(AutostartPath("/home/a/.cfg", "/home/a"), "/home/a/.cfg/autostart/brevora.desktop");
  EXPECT_EQ(AutostartPath(nullptr, "/home/a"), "/home/a/.config/autostart/brevora.desktop");
  EXPECT_EQ(AutostartPath("rel", "/home/a"), "/home/a/.config/autostart/brevora.desktop");
  EXPECT_NE(AutostartEntry("/usr/lib/brevora/Brevora")
                .find("\nExec=/usr/lib/brevora/Brevora --minimized --start-schedule\n"),
            std::string::npos);
  EXPECT_NE(AutostartEntry("/opt/my \"news\"/Brevora")
                .find("\nExec=\"/opt/my \\\"news\\\"/Brevora\" --minimized --start-schedule\n"),
            std::string::npos);
  // A data folder given on the command line goes with the program; "%" and
  // "\\" are escaped as the desktop entry rules want.
  EXPECT_NE(AutostartEntry("/opt/100%/Brevora", "/home/me/my news\\2/")
                .find("\nExec=/opt/100%%/Brevora --data-folder \"/home/me/my news\\\\\\\\2/\" "
                      "--minimized --start-schedule\n"),
            std::string::npos)
      << AutostartEntry("/opt/100%/Brevora", "/home/me/my news\\2/");

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
