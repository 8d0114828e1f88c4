// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "config/program_settings.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::TempFolder;

// Brevora.ini: the podcast address read back with its final "/", other
// sections and keys kept as they were, a missing file read as no address.
TEST(ProgramSettings, PodcastAddress) {
  TempFolder folder;
  EXPECT_EQ(ReadPodcastAddress(folder.path()), "");
  ASSERT_EQ(WritePodcastAddress(folder.path(), "http://myserver/news"), 0);
  EXPECT_EQ(folder.Read("Brevora.ini"), "[Publishing]\nPodcastAddress=http://myserver/news\n");
  EXPECT_EQ(ReadPodcastAddress(folder.path()), "http://myserver/news/");

  folder.Write("Brevora.ini",
               "[Window]\r\nPodcastAddress=not this\r\n[Publishing]\r\nOther=1\r\n"
               "PodcastAddress=http://old/\r\n[Later]\r\nKey=2\r\n");
  EXPECT_EQ(ReadPodcastAddress(folder.path()), "http://old/");
  ASSERT_EQ(WritePodcastAddress(folder.path(), "https://new.example/"), 0);
  EXPECT_EQ(folder.Read("Brevora.ini"),
            "[Window]\nPodcastAddress=not this\n[Publishing]\nOther=1\n"
            "PodcastAddress=https://new.example/\n[Later]\nKey=2\n");
  ASSERT_EQ(WritePodcastAddress(folder.path(), ""), 0);
  EXPECT_EQ(ReadPodcastAddress(folder.path()), "");

  folder.Write("Brevora.ini", "[Publishing]\nOther=1\n[Later]\nKey=2\n");
  ASSERT_EQ(WritePodcastAddress(folder.path(), "http://a/"), 0);
  EXPECT_EQ(folder.Read("Brevora.ini"),
            "[Publishing]\nOther=1\nPodcastAddress=http://a/\n[Later]\nKey=2\n");
}

// The sharing settings are written whole into their own section beside the
// podcast address, read back alike, and a port out of range reads as 8642.
TEST(ProgramSettings, Sharing) {
  TempFolder folder;
  const ShareSettings defaults = ReadShareSettings(folder.path());
  EXPECT_FALSE(defaults.enabled);
  EXPECT_EQ(defaults.port, 8642);
  EXPECT_TRUE(defaults.allInterfaces);
  EXPECT_EQ(defaults.token, "");

  ASSERT_EQ(WritePodcastAddress(folder.path(), "http://a/"), 0);
  ShareSettings settings{true, 9000, false, "abcdefghijklmnopqrstuvwxyz"};
  ASSERT_EQ(WriteShareSettings(folder.path(), settings), 0);
  EXPECT_EQ(folder.Read("Brevora.ini"),
            "[Publishing]\nPodcastAddress=http://a/\n[Sharing]\nEnabled=1\nPort=9000\n"
            "Listen=ThisComputer\nToken=abcdefghijklmnopqrstuvwxyz\n");
  const ShareSettings read = ReadShareSettings(folder.path());
  EXPECT_TRUE(read.enabled);
  EXPECT_EQ(read.port, 9000);
  EXPECT_FALSE(read.allInterfaces);
  EXPECT_EQ(read.token, "abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(ReadPodcastAddress(folder.path()), "http://a/");
  // It holds the token: only its owner may read it, even where it was readable before.
  folder.Write("Brevora.ini", "[Sharing]\nEnabled=0\n");
  chmod((folder.path() + "Brevora.ini").c_str(), 0644);
  ASSERT_EQ(WriteShareSettings(folder.path(), settings), 0);
  struct stat status {};
  ASSERT_EQ(stat((folder.path() + "Brevora.ini").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  folder.Write("Brevora.ini", "[Sharing]\nPort=70000\nEnabled=yes\n");
  EXPECT_EQ(ReadShareSettings(folder.path()).port, 8642);
  EXPECT_FALSE(ReadShareSettings(folder.path()).enabled);
}

}  // namespace
}  // namespace brevora
