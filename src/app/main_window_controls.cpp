// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "channels/gui/dialog_widgets.h"
#include "config/configuration.h"

namespace brevora {

namespace {

QComboBox* Combo(const char* name, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromUtf8(name));
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  return combo;
}

QTimeEdit* TimePicker(const char* name, QWidget* parent) {
  auto* picker = new QTimeEdit(parent);
  picker->setObjectName(QString::fromUtf8(name));
  picker->setDisplayFormat(QStringLiteral("h:mm AP"));
  picker->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  picker->setWrapping(true);
  return picker;
}

QGroupBox* Group(const char* title, const char* name, QWidget* parent) {
  auto* group = new QGroupBox(QString::fromUtf8(title), parent);
  group->setObjectName(QString::fromUtf8(name));
  return group;
}

QGroupBox* FoldersGroup(MainWindowControls& c, QWidget* parent) {
  QGroupBox* group = Group("Folders", "foldersGroup", parent);
  auto* grid = new QGridLayout(group);
  c.workingFolderEdit = new QLineEdit(group);
  c.workingFolderEdit->setObjectName(QStringLiteral("workingFolderEdit"));
  c.workingBrowseButton = MakeButton("Browse...", "workingBrowseButton", group);
  c.executingFolderEdit = new QLineEdit(group);
  c.executingFolderEdit->setObjectName(QStringLiteral("executingFolderEdit"));
  c.executingBrowseButton = MakeButton("Browse...", "executingBrowseButton", group);
  auto* working = new QLabel(QStringLiteral("Working"), group);
  working->setBuddy(c.workingFolderEdit);
  auto* executing = new QLabel(QStringLiteral("Executing"), group);
  executing->setBuddy(c.executingFolderEdit);
  grid->addWidget(working, 0, 0);
  grid->addWidget(c.workingFolderEdit, 0, 1);
  grid->addWidget(c.workingBrowseButton, 0, 2);
  grid->addWidget(executing, 1, 0);
  grid->addWidget(c.executingFolderEdit, 1, 1);
  grid->addWidget(c.executingBrowseButton, 1, 2);
  grid->setColumnStretch(1, 1);
  return group;
}

QGroupBox* DaysGroup(MainWindowControls& c, QWidget* parent) {
  static const char* const kNames[7] = {"mondayCheck",   "tuesdayCheck", "wednesdayCheck",
                                        "thursdayCheck", "fridayCheck",  "saturdayCheck",
                                        "sundayCheck"};
  QGroupBox* group = Group("Start Downloading", "startDownloadingGroup", parent);
  auto* row = new QHBoxLayout(group);
  for (int day = 0; day < 7; ++day) {
    c.dayChecks[day] = new QCheckBox(QString::fromUtf8(kDayNames[day]), group);
    c.dayChecks[day]->setObjectName(QString::fromUtf8(kNames[day]));
    row->addWidget(c.dayChecks[day]);
  }
  return group;
}

QGroupBox* TimesGroup(MainWindowControls& c, QWidget* parent) {
  QGroupBox* group = Group("Start Times", "startTimesGroup", parent);
  auto* row = new QHBoxLayout(group);
  c.firstStartTimeEdit = TimePicker("firstStartTimeEdit", group);
  c.secondStartTimeEdit = TimePicker("secondStartTimeEdit", group);
  row->addWidget(c.firstStartTimeEdit);
  row->addSpacing(12);
  row->addWidget(c.secondStartTimeEdit);
  row->addStretch(1);
  return group;
}

QGroupBox* ChannelsGroup(MainWindowControls& c, QWidget* parent) {
  QGroupBox* group = Group("Channels", "channelsGroup", parent);
  auto* row = new QHBoxLayout(group);
  c.channelList = new QListWidget(group);
  c.channelList->setObjectName(QStringLiteral("channelList"));
  c.channelList->setSelectionMode(QAbstractItemView::SingleSelection);
  c.channelList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  c.channelList->setFixedHeight(c.channelList->fontMetrics().height() * 5 + 8);
  c.upButton = MakeButton("Up", "upButton", group);
  c.downButton = MakeButton("Down", "downButton", group);
  c.addButton = MakeButton("Add", "addButton", group);
  c.removeButton = MakeButton("Remove", "removeButton", group);
  auto* buttons = new QGridLayout;
  buttons->addWidget(c.upButton, 0, 0);
  buttons->addWidget(c.addButton, 0, 1);
  buttons->addWidget(c.downButton, 1, 0);
  buttons->addWidget(c.removeButton, 1, 1);
  buttons->setRowStretch(2, 1);
  row->addWidget(c.channelList, 1);
  row->addLayout(buttons);
  return group;
}

QGroupBox* FormatVoiceGroup(MainWindowControls& c, QWidget* parent) {
  QGroupBox* group = Group("Format && Voice", "formatVoiceGroup", parent);
  auto* grid = new QGridLayout(group);
  c.formatCombo = Combo("formatCombo", group);
  c.voiceCombo = Combo("voiceCombo", group);
  c.voiceCombo->setMinimumContentsLength(18);
  c.voiceCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  auto* format = new QLabel(QStringLiteral("Format"), group);
  format->setBuddy(c.formatCombo);
  auto* voice = new QLabel(QStringLiteral("Voice"), group);
  voice->setBuddy(c.voiceCombo);
  grid->addWidget(format, 0, 0);
  grid->addWidget(c.formatCombo, 0, 1, Qt::AlignLeft);
  grid->addWidget(voice, 1, 0);
  grid->addWidget(c.voiceCombo, 1, 1);
  grid->setColumnStretch(1, 1);
  return group;
}

QGroupBox* CommandGroup(MainWindowControls& c, QWidget* parent) {
  QGroupBox* group = Group("Command buttons", "commandGroup", parent);
  auto* grid = new QGridLayout(group);
  c.runButton = MakeButton("Run", "runButton", group);
  c.runNowButton = MakeButton("Run Now", "runNowButton", group);
  c.cancelRunButton = MakeButton("Cancel Run", "cancelRunButton", group);
  c.stopButton = MakeButton("Stop", "stopButton", group);
  grid->addWidget(c.runButton, 0, 0);
  grid->addWidget(c.cancelRunButton, 0, 1);
  grid->addWidget(c.runNowButton, 1, 0);
  grid->addWidget(c.stopButton, 1, 1);
  return group;
}

QLabel* StatusLine(MainWindowControls& c, QDialog& window) {
  c.statusLabel = new QLabel(&window);
  c.statusLabel->setObjectName(QStringLiteral("statusLabel"));
  c.statusLabel->setWordWrap(true);
  c.statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  c.statusLabel->setFrameShape(QFrame::StyledPanel);
  c.statusLabel->setMargin(4);
  c.statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Five lines, whatever the status says: the window never grows with it.
  c.statusLabel->setFixedHeight(c.statusLabel->fontMetrics().lineSpacing() * 5 + 2 * 4 + 4);
  c.statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  c.statusLabel->setMinimumWidth(c.statusLabel->fontMetrics().averageCharWidth() * 40);
  return c.statusLabel;
}

// "Load Config..." and "Save Config..." under the command buttons, and
// "About", "Help" and "Exit" at the right.
QHBoxLayout* BottomButtons(MainWindowControls& c, QDialog& window) {
  c.loadConfigButton = MakeButton("Load Config...", "loadConfigButton", &window);
  c.saveConfigButton = MakeButton("Save Config...", "saveConfigButton", &window);
  c.aboutButton = MakeButton("About", "aboutButton", &window);
  c.helpButton = MakeButton("Help", "helpButton", &window);
  c.exitButton = MakeButton("Exit", "exitButton", &window);
  auto* config = new QVBoxLayout;
  config->addWidget(c.loadConfigButton);
  config->addWidget(c.saveConfigButton);
  config->addStretch(1);
  auto* help = new QVBoxLayout;
  help->addWidget(c.aboutButton);
  help->addWidget(c.helpButton);
  help->addWidget(c.exitButton);
  auto* row = new QHBoxLayout;
  row->addLayout(config);
  row->addLayout(help);
  return row;
}

}  // namespace

MainWindowControls BuildMainWindowControls(QDialog& window) {
  MainWindowControls c;
  auto* grid = new QGridLayout(&window);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->addWidget(FoldersGroup(c, &window), 0, 0, 1, 2);
  grid->addWidget(DaysGroup(c, &window), 1, 0, 1, 2);
  grid->addWidget(TimesGroup(c, &window), 2, 0, 1, 2);
  grid->addWidget(ChannelsGroup(c, &window), 3, 0, 1, 2);
  grid->addWidget(FormatVoiceGroup(c, &window), 4, 0);
  grid->addWidget(CommandGroup(c, &window), 4, 1);
  grid->addWidget(StatusLine(c, window), 5, 0);
  grid->addLayout(BottomButtons(c, window), 5, 1);
  grid->setColumnStretch(0, 1);
  return c;
}

}  // namespace brevora
