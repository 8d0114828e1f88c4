// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brevora {

class ConfigurationWindow;
class UserPrompt;

// Brevora.cfg and its reference copy Brevora.bak in the program folder: the
// configuration counts as changed exactly when the two files differ. These
// are the configuration steps of the main window's commands; the window adds
// its controls, dialogs and the rest of each command around them.

enum class BackupResult {
  Done,
  // Brevora.cfg could not be read: "Configuration file - missing!" was shown
  // and the caller must now carry out its "Exit" command.
  ConfigurationMissing,
  // Brevora.bak could not be written; the message of the cause was shown.
  WriteFailed,
};

// Copies Brevora.cfg to Brevora.bak.
BackupResult BackupConfiguration(const std::string& programFolder, UserPrompt& prompt);

// Copies Brevora.bak over Brevora.cfg; "Backup impossible!" when there is no
// backup, the message of the cause when the copy cannot be written. Brevora.cfg
// is unchanged on every failure.
bool RestoreConfiguration(const std::string& programFolder, UserPrompt& prompt);

// Whether Brevora.cfg differs from Brevora.bak. An unreadable Brevora.cfg
// counts as unchanged, an unreadable Brevora.bak as changed.
bool ConfigurationChanged(const std::string& programFolder);

// Start-up: reads Brevora.cfg into the window, writing the default file first
// when there is none, then puts the values into the controls. The caller adds
// the tray icon and then calls BackupConfiguration.
void ReadStartupConfiguration(ConfigurationWindow& window, const std::string& programFolder,
                              UserPrompt& prompt);

// "Exit": writes Brevora.cfg and, when it changed, asks whether to keep the
// changes (Yes keeps, No restores the backup). Returns false when the user
// answered Cancel: the program keeps running and Brevora.cfg is as it was
// before Exit was pressed.
bool ExitConfigurationSteps(ConfigurationWindow& window, const std::string& programFolder,
                            UserPrompt& prompt);

// Closing the window: the same without Cancel.
void CloseConfigurationSteps(ConfigurationWindow& window, const std::string& programFolder,
                             UserPrompt& prompt);

// "Load Config...": reads the chosen file into the window and puts the values
// into the controls. A file that cannot be opened shows the message of its
// cause and changes nothing. Nothing is written.
bool LoadConfigurationFrom(ConfigurationWindow& window, const std::string& path,
                           UserPrompt& prompt);

enum class SaveResult {
  Saved,
  // The chosen file could not be written; the message of the cause was shown.
  WriteFailed,
  // Saved, but Brevora.cfg was missing for the backup that follows: the
  // caller must now carry out its "Exit" command.
  ConfigurationMissing,
};

// "Save Config..." after the dialog: writes the eight lines to the chosen file
// (the caller took the control values before showing the dialog), then makes
// the current Brevora.cfg the new Brevora.bak.
SaveResult SaveConfigurationAs(ConfigurationWindow& window, const std::string& path,
                               const std::string& programFolder, UserPrompt& prompt);

}  // namespace brevora
