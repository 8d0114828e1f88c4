// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimeEdit;
class QWidget;

namespace brevora {

// The controls of the main window, laid out in the arrangement of its
// template: folders, start days, start times, channels, format and voice,
// command buttons, and the configuration and help buttons at the bottom.
struct MainWindowControls {
  QLineEdit* workingFolderEdit = nullptr;
  QPushButton* workingBrowseButton = nullptr;
  QLineEdit* executingFolderEdit = nullptr;
  QPushButton* executingBrowseButton = nullptr;
  std::array<QCheckBox*, 7> dayChecks{};  // Monday to Sunday
  QTimeEdit* firstStartTimeEdit = nullptr;
  QTimeEdit* secondStartTimeEdit = nullptr;
  QListWidget* channelList = nullptr;
  QPushButton* upButton = nullptr;
  QPushButton* downButton = nullptr;
  QPushButton* addButton = nullptr;
  QPushButton* removeButton = nullptr;
  QComboBox* formatCombo = nullptr;
  QComboBox* voiceCombo = nullptr;
  QPushButton* runButton = nullptr;
  QPushButton* runNowButton = nullptr;
  QPushButton* cancelRunButton = nullptr;
  QPushButton* stopButton = nullptr;
  QPushButton* loadConfigButton = nullptr;
  QPushButton* saveConfigButton = nullptr;
  QPushButton* aboutButton = nullptr;
  QPushButton* helpButton = nullptr;
  QPushButton* exitButton = nullptr;
  QLabel* statusLabel = nullptr;  // what the program is doing
};

// Creates the controls as children of the window, with their captions and
// object names, inside a fixed-size layout.
MainWindowControls BuildMainWindowControls(QDialog& window);

}  // namespace brevora
