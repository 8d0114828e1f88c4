// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/configuration_commands.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/user_prompt.h"
#include "config/configuration.h"

namespace brevora {

namespace {

const char kSaveQuestion[] = "Do you want to save changes into Brevora.cfg file?";

std::string ConfigPath(const std::string& folder) {
  return folder + "Brevora.cfg";
}
std::string BackupPath(const std::string& folder) {
  return folder + "Brevora.bak";
}

// Opens the file and reads it into the window. Returns 0 or the cause of a
// failed open.
int ReadConfigurationFile(const std::string& path, ConfigurationWindow& window,
                          UserPrompt& prompt) {
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (file == nullptr) return CauseFromErrno(errno);
  struct stat info {};
  if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return kAccessDenied;
  }
  ReadConfiguration(file, window, prompt);
  std::fclose(file);
  return kNoError;
}

}  // namespace

BackupResult BackupConfiguration(const std::string& programFolder, UserPrompt& prompt) {
  std::string content;
  if (ReadWholeFile(ConfigPath(programFolder), content) != kNoError) {
    prompt.Notify("Configuration file - missing!");
    return BackupResult::ConfigurationMissing;
  }
  const int cause = WriteFileAtomically(BackupPath(programFolder), content);
  ReportFileError(cause, prompt);
  return cause == kNoError ? BackupResult::Done : BackupResult::WriteFailed;
}

bool RestoreConfiguration(const std::string& programFolder, UserPrompt& prompt) {
  std::string content;
  if (ReadWholeFile(BackupPath(programFolder), content) != kNoError) {
    prompt.Notify("Backup impossible!");
    return false;
  }
  const int cause = WriteFileAtomically(ConfigPath(programFolder), content);
  ReportFileError(cause, prompt);
  return cause == kNoError;
}

bool ConfigurationChanged(const std::string& programFolder) {
  std::string current, backup;
  if (ReadWholeFile(ConfigPath(programFolder), current) != kNoError) return false;
  if (ReadWholeFile(BackupPath(programFolder), backup) != kNoError) return true;
  return current != backup;
}

void ReadStartupConfiguration(ConfigurationWindow& window, const std::string& programFolder,
                              UserPrompt& prompt) {
  const std::string path = ConfigPath(programFolder);
  const int cause = ReadConfigurationFile(path, window, prompt);
  if (cause == kFileNotFound) {
    prompt.Notify("Config file does not exist! The default parameters will be used!");
    if (WriteDefaultConfiguration(programFolder, prompt)) {
      ReadConfigurationFile(path, window, prompt);
    }
  } else if (cause != kNoError) {
    // The file is there but cannot be read: writing defaults would replace the
    // user's settings, so say why and go on with the window's values.
    ReportFileError(cause, prompt);
  }
  window.PutControlValues();
}

bool ExitConfigurationSteps(ConfigurationWindow& window, const std::string& programFolder,
                            UserPrompt& prompt) {
  const std::string path = programFolder + "Brevora.cfg";
  std::string before;
  const bool hadFile = ReadWholeFile(path, before) == kNoError;
  WriteConfiguration(window, programFolder, prompt);
  if (!ConfigurationChanged(programFolder)) return true;
  switch (prompt.AskYesNoCancel(kSaveQuestion)) {
    case Answer::Yes:
      return true;
    case Answer::No:
      RestoreConfiguration(programFolder, prompt);
      return true;
    case Answer::Cancel:
      // The window stays, and so does the file as it was before Exit.
      if (hadFile) WriteFileAtomically(path, before);
      break;
  }
  return false;
}

void CloseConfigurationSteps(ConfigurationWindow& window, const std::string& programFolder,
                             UserPrompt& prompt) {
  WriteConfiguration(window, programFolder, prompt);
  if (ConfigurationChanged(programFolder) && prompt.AskYesNo(kSaveQuestion) == Answer::No) {
    RestoreConfiguration(programFolder, prompt);
  }
}

bool LoadConfigurationFrom(ConfigurationWindow& window, const std::string& path,
                           UserPrompt& prompt) {
  const int cause = ReadConfigurationFile(path, window, prompt);
  if (cause != kNoError) {
    ReportFileError(cause, prompt);
    return false;
  }
  window.PutControlValues();
  return true;
}

SaveResult SaveConfigurationAs(ConfigurationWindow& window, const std::string& path,
                               const std::string& programFolder, UserPrompt& prompt) {
  if (const std::string problem = ConfigurationTextProblem(window.Record()); !problem.empty()) {
    prompt.Notify(problem);
    return SaveResult::WriteFailed;
  }
  const int cause = WriteFileAtomically(path, FormatConfiguration(window));
  if (cause != kNoError) {
    ReportFileError(cause, prompt);
    return SaveResult::WriteFailed;
  }
  return BackupConfiguration(programFolder, prompt) == BackupResult::ConfigurationMissing
             ? SaveResult::ConfigurationMissing
             : SaveResult::Saved;
}

}  // namespace brevora
