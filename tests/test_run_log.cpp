// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "fakes/clock.h"
#include "fakes/temp_folder.h"
#include "base/run_log.h"

namespace brevora {
namespace {

using testing::TempFolder;

std::time_t At(int hour, int minute, int second) {
  return testing::LocalTime(2004, 3, 15, hour, minute, second);
}

TEST(RunLog, TimeStamps) {
  EXPECT_EQ(FormatLogTimeStamp(At(14, 5, 9)), "03/15/04 14:05:09 PM");
  EXPECT_EQ(FormatLogTimeStamp(At(0, 0, 0)), "03/15/04 00:00:00 AM");
  EXPECT_EQ(FormatLogTimeStamp(At(11, 59, 59)), "03/15/04 11:59:59 AM");
  EXPECT_EQ(FormatLogTimeStamp(At(12, 0, 0)), "03/15/04 12:00:00 PM");
}

// Entries end with 0D 0D 0A and accumulate across openings of the file.
TEST(RunLog, EntriesAndAppending) {
  TempFolder folder;
  const std::string path = folder.path() + "/Brevora.log";
  {
    RunLog log;
    ASSERT_TRUE(log.Open(path));
    log.SetClockForTesting([] { return At(14, 5, 9); });
    log.LogError(kLogNoWavFiles);
    log.LogError(kLogCommandFailed, "\"/p/brevora-cmd\" /c rmdir /S /Q \"/w/Top\"");
    // Written at once, before the log goes away.
    EXPECT_EQ(folder.Read("Brevora.log"),
              "[03/15/04 14:05:09 PM] ERROR - No .wav files found.\r\r\n"
              "[03/15/04 14:05:09 PM] ERROR - The following command failed: \"/p/brevora-cmd\" "
              "/c rmdir /S /Q \"/w/Top\" \r\r\n");
  }
  RunLog second;
  ASSERT_TRUE(second.Open(path));
  second.SetClockForTesting([] { return At(9, 0, 0); });
  second.LogError(kLogEncodeChunkFailed, 42ul);
  const std::string text = folder.Read("Brevora.log");
  EXPECT_TRUE(text.starts_with("[03/15/04 14:05:09 PM]"));
  EXPECT_TRUE(text.ends_with("[03/15/04 09:00:00 AM] ERROR - beEncodeChunk() failed (42)\r\r\n"));
}

// A log that cannot be opened loses its entries quietly.
// A folder name with a line feed cannot forge a second entry.
TEST(RunLog, ControlCharactersAreWrittenVisibly) {
  TempFolder folder;
  RunLog log;
  ASSERT_TRUE(log.Open(folder.path() + "Brevora.log"));
  log.SetClockForTesting([] { return At(14, 5, 9); });
  log.LogError(kLogOpenTextFailed, "/w\n[03/15/04 00:00:00 AM] ERROR - forged\r\x7f\t.txt");
  EXPECT_EQ(folder.Read("Brevora.log"),
            "[03/15/04 14:05:09 PM] ERROR - Error opening the file /w\\x0a[03/15/04 00:00:00 AM] "
            "ERROR - forged\\x0d\\x7f\\x09.txt \r\r\n");
}

TEST(RunLog, UnopenedLogIsQuiet) {
  TempFolder folder;
  RunLog log;
  EXPECT_FALSE(log.Open(folder.path() + "missing/Brevora.log"));
  log.LogError(kLogNoWavFiles);
  EXPECT_FALSE(log.IsOpen());
}

// Entries from two threads never interleave.
TEST(RunLog, ThreadsDoNotInterleave) {
  TempFolder folder;
  RunLog log;
  ASSERT_TRUE(log.Open(folder.path() + "Brevora.log"));
  const std::string a(3000, 'a'), b(3000, 'b');
  auto writer = [&log](const std::string& text) {
    for (int i = 0; i < 200; ++i) log.LogError(kLogSpeakError, text.c_str());
  };
  std::thread first(writer, a), second(writer, b);
  first.join();
  second.join();
  std::istringstream lines(folder.Read("Brevora.log"));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    ASSERT_TRUE(line.ends_with(a + "\r\r") || line.ends_with(b + "\r\r"));
  }
  EXPECT_EQ(count, 400);
}

}  // namespace
}  // namespace brevora
