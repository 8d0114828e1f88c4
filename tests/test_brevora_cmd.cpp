// SPDX-License-Identifier: GPL-3.0-or-later
// The program folder's command interpreter, run as a run runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fakes/temp_folder.h"
#include "platform/process.h"
#include "removal_guard.h"

namespace brevora {
namespace {

using testing::TempFolder;

int Interpret(std::vector<std::string> args) {
  args.insert(args.begin(), {BREVORA_CMD_PATH, "/c"});
  auto child = ChildProcess::Spawn(args);
  if (!child) return -1;
  return child->Reap().code;
}

TEST(BrevoraCmd, RemoveFolder) {
  TempFolder folder;
  folder.Write("outside/keep.txt", "keep");
  folder.Write("Top/a/b.txt", "x");
  ASSERT_EQ(symlink((folder.path() + "outside").c_str(), (folder.path() + "Top/link").c_str()), 0);
  EXPECT_EQ(Interpret({"rmdir", "/S", "/Q", folder.path() + "Top"}), 0);
  EXPECT_FALSE(folder.Exists("Top"));
  EXPECT_EQ(folder.Read("outside/keep.txt"), "keep");  // the link was not followed
  // Not there (a first run): nothing to remove, which is no failure. A file
  // in its place is one, and stays.
  EXPECT_EQ(Interpret({"rmdir", "/s", "/q", folder.path() + "Top"}), 0);
  folder.Write("Plain", "file");
  EXPECT_EQ(Interpret({"rmdir", "/S", "/Q", folder.path() + "Plain"}), 1);
  EXPECT_EQ(folder.Read("Plain"), "file");
  folder.Write("Tree/x", "");
  EXPECT_EQ(Interpret({"deltree", "/Y", folder.path() + "Tree"}), 0);
  EXPECT_FALSE(folder.Exists("Tree"));
  EXPECT_NE(Interpret({"rmdir", folder.path() + "outside"}), 0);  // switches missing
  EXPECT_TRUE(folder.Exists("outside/keep.txt"));
}

// A Top that is a link to another folder: removal takes the link (with or
// without a trailing "/") and leaves its target; copying replaces links at the
// destination, files and folders alike, instead of writing through them.
TEST(BrevoraCmd, LinksAtTheDestinationAreNeverFollowed) {
  TempFolder folder;
  const std::string p = folder.path();
  folder.Write("outside/keep.txt", "keep");
  folder.Write("outside/victim.mp3", "victim");
  folder.Write("E/placeholder", "");
  for (const char* top : {"E/Top", "E/Top/"}) {
    ASSERT_EQ(symlink((p + "outside").c_str(), (p + "E/Top").c_str()), 0);
    EXPECT_EQ(Interpret({"rmdir", "/S", "/Q", p + top}), 0) << top;
    EXPECT_FALSE(folder.Exists("E/Top")) << top;
    EXPECT_EQ(folder.List("outside"), (std::vector<std::string>{"keep.txt", "victim.mp3"}));
  }
  folder.Write("W/Top/a.mp3", "a");
  folder.Write("W/Top/world/b.mp3", "b");
  folder.Write("E/Top/placeholder", "");
  ASSERT_EQ(symlink((p + "outside/victim.mp3").c_str(), (p + "E/Top/a.mp3").c_str()), 0);
  ASSERT_EQ(symlink((p + "outside").c_str(), (p + "E/Top/world").c_str()), 0);
  EXPECT_EQ(Interpret({"xcopy", "/S", "/Y", p + "W/Top/*.mp3", p + "E/Top"}), 0);
  EXPECT_EQ(folder.Read("outside/victim.mp3"), "victim");
  EXPECT_EQ(folder.List("outside"), (std::vector<std::string>{"keep.txt", "victim.mp3"}));
  EXPECT_EQ(folder.Read("E/Top/a.mp3"), "a");
  EXPECT_EQ(folder.Read("E/Top/world/b.mp3"), "b");
  // "*.*" takes files without an extension too, as the icons' copy needs.
  folder.Write("P/icons/LICENSE", "l");
  EXPECT_EQ(Interpret({"xcopy", "/S", "/Y", p + "P/icons/*.*", p + "E/icons"}), 0);
  EXPECT_EQ(folder.Read("E/icons/LICENSE"), "l");
}

// The refusal of "/" and of the home folder is decided on the path text; no
// removal is ever aimed at them.
TEST(BrevoraCmd, RootAndHomeAreProtected) {
  for (const char* path :
       {"/", "//", "/.", "/home/u/..//..", "/home/u", "/home/u/", "/home/x/../u"}) {
    EXPECT_TRUE(IsProtectedFolder(path, "/tmp", "/home/u")) << path;
  }
  EXPECT_TRUE(IsProtectedFolder(".", "/home/u", "/home/u/"));
  EXPECT_TRUE(IsProtectedFolder("..", "/home", ""));
  for (const char* path : {"/home/u/Top", "/home", "Top", "/home/u/Top/.."}) {
    EXPECT_EQ(IsProtectedFolder(path, "/home/u", "/home/u"), std::string(path) == "/home/u/Top/..")
        << path;
  }
  EXPECT_FALSE(IsProtectedFolder("/home/u", "/", ""));
}

TEST(BrevoraCmd, MakeFolder) {
  TempFolder folder;
  EXPECT_EQ(Interpret({"mkdir", folder.path() + "a/b c/d"}), 0);
  EXPECT_TRUE(folder.Exists("a/b c/d"));
  EXPECT_EQ(Interpret({"mkdir", folder.path() + "a/b c/d"}), 1);
}

// Matching files from every folder below, relative folders kept, only folders
// that receive a file created, existing files replaced, links not followed.
TEST(BrevoraCmd, CopyFiles) {
  TempFolder folder;
  folder.Write("W/Top/a.mp3", "a");
  folder.Write("W/Top/world/b.mp3", "b");
  folder.Write("W/Top/world/b.MP3x", "no");
  folder.Write("W/Top/sports/c.txt", "no");
  folder.Write("W/Top/UPPER.MP3", "no");
  folder.Write("elsewhere/secret.mp3", "no");
  ASSERT_EQ(symlink((folder.path() + "elsewhere").c_str(), (folder.path() + "W/Top/link").c_str()),
            0);
  ASSERT_EQ(symlink((folder.path() + "elsewhere/secret.mp3").c_str(),
                    (folder.path() + "W/Top/l.mp3").c_str()),
            0);
  folder.Write("E/Top/a.mp3", "old");
  EXPECT_EQ(
      Interpret({"xcopy", "/S", "/Y", folder.path() + "W/Top/*.mp3", folder.path() + "E/Top"}), 0);
  EXPECT_EQ(folder.List("E/Top"), (std::vector<std::string>{"a.mp3", "world"}));
  EXPECT_EQ(folder.Read("E/Top/a.mp3"), "a");
  EXPECT_EQ(folder.List("E/Top/world"), std::vector<std::string>{"b.mp3"});

  EXPECT_EQ(Interpret({"xcopy", "/S", "/Y", folder.path() + "W/Top/?.txt", folder.path() + "T"}),
            0);
  EXPECT_EQ(folder.List("T"), std::vector<std::string>{"sports"});
  EXPECT_EQ(Interpret({"xcopy", "/S", "/Y", folder.path() + "W/Top/*.*", folder.path() + "All"}),
            0);
  EXPECT_EQ(folder.List("All"),
            (std::vector<std::string>{"UPPER.MP3", "a.mp3", "sports", "world"}));

  // No file matches (no MP3 files in a text run): nothing to copy, no failure.
  EXPECT_EQ(Interpret({"xcopy", "/S", "/Y", folder.path() + "W/Top/*.asx", folder.path() + "N"}),
            0);
  EXPECT_FALSE(folder.Exists("N"));
  EXPECT_EQ(Interpret({"xcopy", "/S", "/Y", folder.path() + "none/*.*", folder.path() + "N"}), 0);
  EXPECT_EQ(Interpret({"xcopy", folder.path() + "W/Top/*.mp3", folder.path() + "N"}), 4);
  folder.Write("file", "");
  EXPECT_EQ(
      Interpret({"xcopy", "/S", "/Y", folder.path() + "W/Top/*.mp3", folder.path() + "file/x"}), 5);
}

TEST(BrevoraCmd, UnknownCommands) {
  EXPECT_NE(Interpret({"format", "c:"}), 0);
  EXPECT_NE(Interpret({}), 0);
}

}  // namespace
}  // namespace brevora
