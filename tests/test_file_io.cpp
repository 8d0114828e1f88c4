// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/file_error.h"
#include "base/file_io.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::TempFolder;

TEST(FileIo, WritesReplacesAndKeepsPermissions) {
  TempFolder folder;
  const std::string path = folder.path() + "a.txt";
  EXPECT_EQ(WriteFileAtomically(path, "one"), kNoError);
  chmod(path.c_str(), 0600);
  EXPECT_EQ(WriteFileAtomically(path, std::string("tw\0o", 4)), kNoError);
  EXPECT_EQ(folder.Read("a.txt"), std::string("tw\0o", 4));
  struct stat info {};
  stat(path.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(folder.List(), std::vector<std::string>{"a.txt"});  // no temporary left
}

// Failed writes leave the old file byte for byte and report the cause.
TEST(FileIo, FailedWriteLeavesOldFile) {
  TempFolder folder;
  folder.Write("keep.txt", "old\r\n");
  folder.Write("dir/inner", "x");
  // The target is a folder.
  EXPECT_EQ(WriteFileAtomically(folder.path() + "dir", "new"), kAccessDenied);
  // The folder path runs through a regular file.
  EXPECT_EQ(WriteFileAtomically(folder.path() + "keep.txt/x.cfg", "new"), kBadPath);
  // The temporary name cannot be made: its name grows past the limit.
  const std::string longName(250, 'n');
  EXPECT_EQ(WriteFileAtomically(folder.path() + longName, "new"), kBadPath);
  // A folder that does not exist: the path is invalid, not a missing file.
  EXPECT_EQ(WriteFileAtomically(folder.path() + "no/such/Brevora.cfg", "new"), kBadPath);
  EXPECT_EQ(folder.Read("keep.txt"), "old\r\n");
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"dir", "keep.txt"}));
}

// Temporary files that a process killed during a save left behind go before
// the next save in their folder, once they are older than a minute; a young
// one may be another save in progress, and other files are never touched.
TEST(FileIo, StaleTemporariesAreRemoved) {
  TempFolder folder;
  const auto age = [&](const std::string& name, int seconds) {
    folder.Write(name, "left");
    const timespec times[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    utimensat(AT_FDCWD, (folder.path() + name).c_str(), times, 0);
  };
  age(".Brevora.cfg-a1B2c3", 120);
  age(".Brevora.cfg-d4E5f6", 5);
  age(".Brevora.cfg-toolong1", 120);
  age(".Channels.txt-g7H8i9", 120);
  age(".other-j1K2l3", 120);
  ASSERT_EQ(WriteFileAtomically(folder.path() + "Brevora.cfg", "new"), kNoError);
  EXPECT_EQ(folder.List(),
            (std::vector<std::string>{".Brevora.cfg-d4E5f6", ".Brevora.cfg-toolong1",
                                      ".Channels.txt-g7H8i9", ".other-j1K2l3", "Brevora.cfg"}));
  RemoveStaleTemporaries(folder.path(), {"Brevora.cfg", "Brevora.bak", "Channels.txt"});
  EXPECT_EQ(folder.List(), (std::vector<std::string>{".Brevora.cfg-d4E5f6", ".Brevora.cfg-toolong1",
                                                     ".other-j1K2l3", "Brevora.cfg"}));
}

TEST(FileIo, WritesThroughSymbolicLink) {
  TempFolder folder;
  folder.Write("real.cfg", "old");
  ASSERT_EQ(symlink((folder.path() + "real.cfg").c_str(), (folder.path() + "link.cfg").c_str()), 0);
  EXPECT_EQ(WriteFileAtomically(folder.path() + "link.cfg", "new"), kNoError);
  EXPECT_EQ(folder.Read("real.cfg"), "new");
  struct stat info {};
  lstat((folder.path() + "link.cfg").c_str(), &info);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(FileIo, ReadAndCopyReportCauses) {
  TempFolder folder;
  std::string content = "stale";
  EXPECT_EQ(ReadWholeFile(folder.path() + "none", content), kFileNotFound);
  EXPECT_TRUE(content.empty());
  folder.Write("dir/x", "");
  EXPECT_EQ(ReadWholeFile(folder.path() + "dir", content), kAccessDenied);
  EXPECT_EQ(CopyFileAtomically(folder.path() + "none", folder.path() + "copy"), kFileNotFound);
  EXPECT_FALSE(folder.Exists("copy"));
}

TEST(FileError, CausesAndMessages) {
  EXPECT_EQ(CauseFromErrno(ENOENT), kFileNotFound);
  EXPECT_EQ(CauseFromErrno(ENAMETOOLONG), kBadPath);
  EXPECT_EQ(CauseFromErrno(ENFILE), kTooManyOpenFiles);
  EXPECT_EQ(CauseFromErrno(EROFS), kAccessDenied);
  EXPECT_EQ(CauseFromErrno(ETXTBSY), kSharingViolation);
  EXPECT_EQ(CauseFromErrno(EDQUOT), kDiskFull);
  EXPECT_EQ(CauseFromErrno(EIO), kHardIO);
  EXPECT_EQ(CauseFromErrno(EPIPE), kGenericError);
  EXPECT_EQ(FileErrorMessage(kNoError), "");
  EXPECT_EQ(FileErrorMessage(kSharingViolation), "Sharing violation occured!");
  EXPECT_EQ(FileErrorMessage(kDiskFull), "The disk is full!");
  EXPECT_EQ(FileErrorMessage(15), "");
}

}  // namespace
}  // namespace brevora
