// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace brevora {
namespace {

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
  const std::string folder = GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_EQ(folder.back(), '/');
  // This test program lies in that folder.
  EXPECT_EQ(access((folder + "brevora_tests").c_str(), X_OK), 0);
}

TEST(ProgramFolder, FolderOfPath) {
  EXPECT_EQ(FolderOfPath("/Brevora"), "/");
  EXPECT_EQ(FolderOfPath("/opt/my news/Brevora"), "/opt/my news/");
  EXPECT_EQ(FolderOfPath("Brevora"), "./");
}

}  // namespace
}  // namespace brevora
