// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "config/configuration.h"
#include "config/configuration_commands.h"
#include "config/memory_configuration_window.h"
#include "fakes/scripted_prompt.h"
#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::ScriptedPrompt;
using testing::TempFolder;

const char kQuestion[] = "Do you want to save changes into Brevora.cfg file?";
const char kNoFile[] = "Config file does not exist! The default parameters will be used!";

struct Program {
  TempFolder folder;
  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;

  const std::string& path() const { return folder.path(); }
  void Start() {
    ReadStartupConfiguration(window, path(), prompt);
    ASSERT_EQ(BackupConfiguration(path(), prompt), BackupResult::Done);
  }
};

// First start without Brevora.cfg: the message, the default file and an equal
// backup; the first "Exit" asks even without changes, because the writer's
// form differs from the default text.
TEST(ConfigurationCommands, FirstStartWritesDefaultsAndFirstExitAsks) {
  Program program;
  program.window.voices = {"Anna"};
  program.Start();
  EXPECT_EQ(program.prompt.shown, std::vector<std::string>{kNoFile});
  EXPECT_EQ(program.folder.Read("Brevora.cfg"), DefaultConfigurationText(program.path()));
  EXPECT_EQ(program.folder.Read("Brevora.bak"), program.folder.Read("Brevora.cfg"));
  EXPECT_EQ(program.window.record.voiceName, "Anna");

  program.prompt.answers = {Answer::Yes};
  EXPECT_TRUE(ExitConfigurationSteps(program.window, program.path(), program.prompt));
  EXPECT_EQ(program.prompt.shown.back(), kQuestion);
  EXPECT_EQ(program.folder.Read("Brevora.cfg"), FormatConfiguration(program.window));

  // A later start from the writer's file: "Exit" without changes asks nothing.
  Program later;
  later.folder.Write("Brevora.cfg", program.folder.Read("Brevora.cfg"));
  later.window.voices = {"Anna"};
  later.Start();
  EXPECT_TRUE(later.prompt.shown.empty());
  EXPECT_TRUE(ExitConfigurationSteps(later.window, later.path(), later.prompt));
  EXPECT_TRUE(later.prompt.shown.empty());
}

// A change answered No restores the backup; Yes keeps the change; Cancel
// keeps the program running and Brevora.cfg as it was before Exit.
TEST(ConfigurationCommands, ExitAnswers) {
  for (Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
    Program program;
    program.folder.Write("Brevora.cfg", DefaultConfigurationText(program.path()));
    program.Start();
    const std::string before = program.folder.Read("Brevora.cfg");
    program.window.record.outputFormat = "mp3";
    program.prompt.answers = {answer};
    const bool ends = ExitConfigurationSteps(program.window, program.path(), program.prompt);
    EXPECT_EQ(ends, answer != Answer::Cancel);
    const std::string after = program.folder.Read("Brevora.cfg");
    if (answer == Answer::No) {
      EXPECT_EQ(after, before);
      EXPECT_EQ(after, program.folder.Read("Brevora.bak"));
    } else if (answer == Answer::Cancel) {
      EXPECT_EQ(after, before);
    } else {
      EXPECT_NE(after.find("Format=mp3\r\n"), std::string::npos);
    }
  }
}

// Closing the window asks Yes/No; a deleted backup counts as a change, and
// No then says "Backup impossible!" and keeps what was written.
TEST(ConfigurationCommands, CloseWithoutBackup) {
  Program program;
  program.Start();
  std::remove((program.path() + "Brevora.bak").c_str());
  program.prompt.shown.clear();
  program.prompt.answers = {Answer::No};
  CloseConfigurationSteps(program.window, program.path(), program.prompt);
  EXPECT_EQ(program.prompt.shown, (std::vector<std::string>{kQuestion, "Backup impossible!"}));
  EXPECT_EQ(program.folder.Read("Brevora.cfg"), FormatConfiguration(program.window));
}

TEST(ConfigurationCommands, ChangedComparesBytes) {
  TempFolder folder;
  EXPECT_FALSE(ConfigurationChanged(folder.path()));  // no Brevora.cfg
  folder.Write("Brevora.cfg", "abc");
  EXPECT_TRUE(ConfigurationChanged(folder.path()));  // no Brevora.bak
  for (const char* backup : {"ab", "abcd", "abd"}) {
    folder.Write("Brevora.bak", backup);
    EXPECT_TRUE(ConfigurationChanged(folder.path())) << backup;
  }
  folder.Write("Brevora.bak", "abc");
  EXPECT_FALSE(ConfigurationChanged(folder.path()));
}

// Brevora.cfg gone when the backup is taken: the message, and the caller exits.
TEST(ConfigurationCommands, BackupWithoutConfiguration) {
  TempFolder folder;
  folder.Write("Brevora.bak", "kept");
  ScriptedPrompt prompt;
  EXPECT_EQ(BackupConfiguration(folder.path(), prompt), BackupResult::ConfigurationMissing);
  EXPECT_EQ(prompt.shown, std::vector<std::string>{"Configuration file - missing!"});
  EXPECT_EQ(folder.Read("Brevora.bak"), "kept");
}

// A backup or restore that cannot write says why and changes nothing.
TEST(ConfigurationCommands, FailedCopiesLeaveFilesIntact) {
  TempFolder folder;
  folder.Write("Brevora.cfg", "current");
  folder.Write("Brevora.bak/blocker", "");  // the backup's name is taken by a folder
  ScriptedPrompt prompt;
  EXPECT_EQ(BackupConfiguration(folder.path(), prompt), BackupResult::WriteFailed);
  EXPECT_EQ(prompt.shown, std::vector<std::string>{"The file could not be accessed!"});
  EXPECT_EQ(folder.Read("Brevora.cfg"), "current");

  TempFolder other;
  other.Write("Brevora.bak", "backup");
  other.Write("Brevora.cfg/blocker", "");
  prompt.shown.clear();
  EXPECT_FALSE(RestoreConfiguration(other.path(), prompt));
  EXPECT_EQ(prompt.shown, std::vector<std::string>{"The file could not be accessed!"});
  EXPECT_EQ(other.Read("Brevora.bak"), "backup");
}

// A program folder that cannot take Brevora.cfg: the default write reports
// its cause and start-up goes on with the window's values.
TEST(ConfigurationCommands, StartupInUnwritableFolder) {
  TempFolder folder;
  folder.Write("file", "");
  const std::string programFolder = folder.path() + "file/";
  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;
  ReadStartupConfiguration(window, programFolder, prompt);
  EXPECT_EQ(prompt.shown, (std::vector<std::string>{"All or part of the path is invalid!"}));
}

// An unreadable Brevora.cfg is reported, never replaced by the defaults.
TEST(ConfigurationCommands, StartupNeverOverwritesUnreadableFile) {
  TempFolder folder;
  folder.Write("Brevora.cfg/inner", "x");
  MemoryConfigurationWindow window;
  ScriptedPrompt prompt;
  ReadStartupConfiguration(window, folder.path(), prompt);
  EXPECT_EQ(prompt.shown, std::vector<std::string>{"The file could not be accessed!"});
  EXPECT_EQ(folder.Read("Brevora.cfg/inner"), "x");
}

TEST(ConfigurationCommands, LoadAndSave) {
  Program program;
  program.Start();
  program.prompt.shown.clear();

  // Loading a missing file: the message of its cause, nothing changes.
  EXPECT_FALSE(LoadConfigurationFrom(program.window, program.path() + "none.cfg", program.prompt));
  EXPECT_EQ(program.prompt.shown,
            std::vector<std::string>{"Configuration file could not be located!"});

  const std::string other = program.folder.Write("other.cfg", "Format=wav\r\nChannels=A, B\r\n");
  EXPECT_TRUE(LoadConfigurationFrom(program.window, other, program.prompt));
  EXPECT_EQ(program.window.record.outputFormat, "wav");
  EXPECT_EQ(program.window.channels, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(program.folder.Read("Brevora.cfg"), program.folder.Read("Brevora.bak"));

  // Saving writes the eight lines and makes the current Brevora.cfg the backup.
  WriteConfiguration(program.window, program.path(), program.prompt);
  const std::string saved = program.path() + "saved.cfg";
  EXPECT_EQ(SaveConfigurationAs(program.window, saved, program.path(), program.prompt),
            SaveResult::Saved);
  EXPECT_EQ(program.folder.Read("saved.cfg"), FormatConfiguration(program.window));
  EXPECT_EQ(program.folder.Read("Brevora.bak"), program.folder.Read("Brevora.cfg"));
  EXPECT_FALSE(ConfigurationChanged(program.path()));

  // Saving onto a folder fails with its message; the backup stays.
  program.prompt.shown.clear();
  program.folder.Write("taken.cfg/x", "");
  EXPECT_EQ(SaveConfigurationAs(program.window, program.path() + "taken.cfg", program.path(),
                                program.prompt),
            SaveResult::WriteFailed);
  EXPECT_EQ(program.prompt.shown, std::vector<std::string>{"The file could not be accessed!"});
}

}  // namespace
}  // namespace brevora
