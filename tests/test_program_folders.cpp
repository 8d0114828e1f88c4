// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "config/program_folders.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::TempFolder;

// A writable install folder keeps everything; an installed program keeps its
// data in XDG_DATA_HOME, else in HOME; a chosen folder wins over both.
TEST(ProgramFolders, WhereTheDataLies) {
  const auto folders = [](bool writable, const std::string& chosen, const char* xdg,
                          const char* home) {
    const ProgramFolders f = ChooseProgramFolders("/opt/brevora", writable, chosen, xdg, home);
    EXPECT_EQ(f.install, "/opt/brevora/");
    return f.data;
  };
  EXPECT_EQ(folders(true, "", "/x", "/home/a"), "/opt/brevora/");
  EXPECT_EQ(folders(false, "", "/home/a/.data", "/home/a"), "/home/a/.data/brevora/");
  EXPECT_EQ(folders(false, "", nullptr, "/home/a"), "/home/a/.local/share/brevora/");
  EXPECT_EQ(folders(false, "", "relative", "/home/a/"), "/home/a/.local/share/brevora/");
  EXPECT_EQ(folders(true, "/srv/news", nullptr, "/home/a"), "/srv/news/");
  EXPECT_EQ(folders(false, "/srv/news/", nullptr, nullptr), "/srv/news/");
  // Without HOME and XDG_DATA_HOME: no data folder (never one below /tmp), and
  // a reason instead of a start.
  EXPECT_EQ(folders(false, "", nullptr, nullptr), "");
  EXPECT_EQ(folders(false, "", "", "relative"), "");
  EXPECT_EQ(PrepareDataFolder({"/opt/brevora/", ""}),
            "Neither HOME nor XDG_DATA_HOME names a folder, so Brevora has no data folder; "
            "give one with --data-folder FOLDER.");
}

// A first start in a new data folder makes it and gives it the sample channel
// list, whose local feeds name the installed files; a second start keeps the
// user's list.
TEST(ProgramFolders, FirstStartSeedsTheChannelList) {
  TempFolder folder;
  folder.Write("install/Channels.txt",
               "# comment||feeds/x.xml||\r\nDemo||feeds/demo.xml||||3||rest\r\n"
               "Web||http://a/feed.xml||x\r\nAbs||/srv/f.xml||y\r\n");
  const ProgramFolders folders{folder.path() + "install/", folder.path() + "data/new/"};
  EXPECT_EQ(PrepareDataFolder(folders), "");
  EXPECT_EQ(folder.Read("data/new/Channels.txt"),
            "# comment||feeds/x.xml||\r\nDemo||" + folder.path() +
                "install/feeds/demo.xml||||3||rest\r\nWeb||http://a/feed.xml||x\r\n"
                "Abs||/srv/f.xml||y\r\n");
  folder.Write("data/new/Channels.txt", "Mine||u\r\n");
  EXPECT_EQ(PrepareDataFolder(folders), "");
  EXPECT_EQ(folder.Read("data/new/Channels.txt"), "Mine||u\r\n");
  // The same folder for both: nothing to do.
  const ProgramFolders same{folder.path() + "install/", folder.path() + "install/"};
  EXPECT_EQ(PrepareDataFolder(same), "");
  folder.Write("file", "");
  EXPECT_NE(PrepareDataFolder({folder.path() + "install/", folder.path() + "file/data/"}), "");
}

}  // namespace
}  // namespace brevora
