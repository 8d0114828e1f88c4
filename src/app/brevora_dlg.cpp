// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/brevora_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimeEdit>
#include <cstdlib>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/help_window.h"
#include "app/main_window_run.h"
#include "app/message_box_prompt.h"
#include "app/publishing_dlg.h"
#include "app/share_dlg.h"
#include "app/standard_file_dialogs.h"
#include "app/voices_dlg.h"
#include "audio/audio_converter.h"
#include "base/file_io.h"
#include "channels/channel_editor_rules.h"
#include "channels/gui/channel_list_dlg.h"
#include "config/autostart.h"
#include "config/configuration_commands.h"
#include "config/main_window_rules.h"
#include "speech/espeak_engine.h"
#include "speech/voice_list.h"

namespace brevora {

namespace {

std::vector<std::string> ComboItems(const QComboBox& box) {
  std::vector<std::string> items;
  for (int i = 0; i < box.count(); ++i) items.push_back(box.itemText(i).toStdString());
  return items;
}

// Towards the control: the first item that begins with the text, or the text
// itself in the edit field when no item does.
void PutComboText(QComboBox& box, const std::string& text) {
  const int index = FindFirstBeginningWith(ComboItems(box), text);
  box.setCurrentIndex(index);
  if (index < 0) box.setEditText(QString::fromStdString(text));
}

QTime TimeOfDay(std::time_t time) {
  std::tm parts{};
  localtime_r(&time, &parts);
  return QTime(parts.tm_hour, parts.tm_min, parts.tm_sec);
}

std::time_t TakeTime(const QTimeEdit& picker, std::time_t date) {
  const QTime time = picker.time();
  return WithTimeOfDay(date, time.hour(), time.minute(), time.second());
}

FileDialogRequest ConfigFileRequest(const char* title, const std::string& folder) {
  return {title, folder, "Brevora", "cfg", {"Config Files (*.cfg)", "All Files (*)"}};
}

const char kTextOnly[] =
    "Text-to-speech software has not been installed!\nCurrently, only text format is available!";

}  // namespace

CBrevoraDlg::CBrevoraDlg(MainWindowServices services, QWidget* parent)
    : QDialog(parent),
      programFolder_(std::move(services.programFolder)),
      autostartPath_(services.autostartPath.empty()
                         ? AutostartPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"))
                         : std::move(services.autostartPath)),
      installFolder_(services.installFolder.empty() ? programFolder_
                                                    : std::move(services.installFolder)),
      prompt_(services.prompt),
      fileDialogs_(services.fileDialogs),
      clock_(services.clock ? std::move(services.clock) : [] { return std::time(nullptr); }),
      runModal_(std::move(services.runModal)),
      feedSearcher_(services.feedSearcher) {
  dataFolderOption_ = std::move(services.dataFolderOption);
  trayAvailable_ = services.trayAvailable;
  if (!trayAvailable_) trayAvailable_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  if (prompt_ == nullptr) {
    ownPrompt_ = std::make_unique<MessageBoxPrompt>(this);
    prompt_ = ownPrompt_.get();
  }
  if (fileDialogs_ == nullptr) {
    ownFileDialogs_ = std::make_unique<StandardFileDialogs>(this);
    fileDialogs_ = ownFileDialogs_.get();
  }
  speechVoice_ = services.createSpeechVoice ? services.createSpeechVoice() : EspeakEngine::Create();
  speechStatus_ = speechVoice_ ? 0 : 1;
  converter_ = std::make_unique<CAudioConverter>(programFolder_ + "Brevora.log");

  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("Brevora"));
  setWindowIcon(AppIcon());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  controls_ = BuildMainWindowControls(*this);
  for (const char* format : {"mp3", "text", "wav"}) controls_.formatCombo->addItem(format);
  ConnectControls();
  SetUpRunControl();
}

CBrevoraDlg::~CBrevoraDlg() {
  StopRunAndWait();
}

void CBrevoraDlg::ConnectControls() {
  const MainWindowControls& c = controls_;
  const auto on = [this](QPushButton* button, void (CBrevoraDlg::*handler)()) {
    connect(button, &QPushButton::clicked, this, handler);
  };
  on(c.workingBrowseButton, &CBrevoraDlg::OnBrowseWorkingFolder);
  on(c.executingBrowseButton, &CBrevoraDlg::OnBrowseExecutingFolder);
  on(c.upButton, &CBrevoraDlg::OnUp);
  on(c.downButton, &CBrevoraDlg::OnDown);
  on(c.addButton, &CBrevoraDlg::OnAdd);
  on(c.removeButton, &CBrevoraDlg::OnRemove);
  on(c.runButton, &CBrevoraDlg::OnRun);
  on(c.runNowButton, &CBrevoraDlg::OnRunNow);
  on(c.cancelRunButton, &CBrevoraDlg::OnCancelRun);
  on(c.stopButton, &CBrevoraDlg::OnStop);
  on(c.loadConfigButton, &CBrevoraDlg::OnLoadConfig);
  on(c.saveConfigButton, &CBrevoraDlg::OnSaveConfig);
  on(c.aboutButton, &CBrevoraDlg::OnAbout);
  on(c.helpButton, &CBrevoraDlg::OnHelp);
  on(c.exitButton, &CBrevoraDlg::OnExit);
  // F1 opens the help; a voice the user picks is the voice, default or not.
  connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
          &CBrevoraDlg::OnHelp);
  connect(c.voiceCombo, &QComboBox::activated, this, [this] { record_.voiceFromDefault = false; });
  // A changed start time counts at once, without "Run" or a save.
  connect(c.firstStartTimeEdit, &QTimeEdit::timeChanged, this, [this] {
    record_.firstStartTime = TakeTime(*controls_.firstStartTimeEdit, record_.firstStartTime);
  });
  connect(c.secondStartTimeEdit, &QTimeEdit::timeChanged, this, [this] {
    record_.secondStartTime = TakeTime(*controls_.secondStartTimeEdit, record_.secondStartTime);
  });
  // Sharing follows the executing folder once its text has settled.
  shareFollowTimer_.setSingleShot(true);
  shareFollowTimer_.setInterval(1000);
  connect(&shareFollowTimer_, &QTimer::timeout, this, &CBrevoraDlg::FollowExecutingFolder);
  connect(c.executingFolderEdit, &QLineEdit::textChanged, &shareFollowTimer_,
          qOverload<>(&QTimer::start));
  // The About box stays reachable from the window's background while a run
  // locks the buttons.
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About Brevora..."), this, &CBrevoraDlg::OnAbout);
    menu.addAction(QStringLiteral("&Publishing..."), this, &CBrevoraDlg::OnPublishing);
    menu.addAction(QStringLiteral("&Share on this network..."), this, &CBrevoraDlg::OnShare);
    menu.addAction(QStringLiteral("&Voices for languages..."), this, &CBrevoraDlg::OnVoices);
    QAction* login = menu.addAction(QStringLiteral("Start at &login"));
    login->setCheckable(true);
    login->setChecked(StartsAtLogin());
    connect(login, &QAction::toggled, this, &CBrevoraDlg::SetStartAtLogin);
    menu.exec(mapToGlobal(at));
  });
}

bool CBrevoraDlg::OnInitDialog() {
  windowLock_ = FileLock::TryLock(programFolder_ + ".Brevora.window.lock");
  if (!windowLock_) {
    prompt_->Notify("Brevora is already running with the data folder\n\n" + programFolder_ +
                    "\n\nOnly one window may use a data folder at a time.");
    ended_ = true;
    return false;
  }
  record_.firstStartTime = record_.secondStartTime = Now();
  controls_.firstStartTimeEdit->setTime(TimeOfDay(record_.firstStartTime));
  controls_.secondStartTimeEdit->setTime(TimeOfDay(record_.secondStartTime));
  if (speechStatus_ == 0) speechStatus_ = FillVoiceList();
  // What a save cut short by a kill left beside the program's files.
  RemoveStaleTemporaries(programFolder_, {"Brevora.cfg", "Brevora.bak", "Channels.txt"});
  ReadStartupConfiguration(*this, programFolder_, *prompt_);
  AddTrayIcon();
  if (BackupConfiguration(programFolder_, *prompt_) == BackupResult::ConfigurationMissing) {
    OnExit();
  }
  if (speechStatus_ != 0) EnterTextOnlyMode();
  controls_.workingFolderEdit->setFocus();
  // Where it was last closed, on a screen that is still there.
  if (const auto position = ReadWindowPosition(programFolder_)) {
    const QPoint at(position->first, position->second);
    if (QGuiApplication::screenAt(at + QPoint(20, 20)) != nullptr) move(at);
  }
  // Sharing comes back on as it was left.
  ShareSettings share = ReadShareSettings(programFolder_);
  if (!ended_ && share.enabled) {
    const std::string problem = StartSharing(share);
    if (!problem.empty()) shareProblem_ = "Not sharing: " + problem;
  }
  ShowStatus();
  return !ended_;
}

int CBrevoraDlg::FillVoiceList() {
  const VoiceBoxItems box = SortVoicesForBox(
      speechVoice_->Voices(),
      UserLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
  for (const VoiceInfo& voice : box.items) {
    controls_.voiceCombo->addItem(QString::fromStdString(voice.description),
                                  QString::fromStdString(voice.token));
    controls_.voiceCombo->setItemData(controls_.voiceCombo->count() - 1,
                                      QString::fromStdString(voice.language), kLanguageRole);
  }
  defaultVoice_ = box.selected;
  controls_.voiceCombo->setCurrentIndex(box.selected);
  return 0;  // a list without voices still means speech is available
}

void CBrevoraDlg::PutVoice(const std::string& name) {
  const int index =
      name.empty() ? -1 : FindFirstBeginningWith(ComboItems(*controls_.voiceCombo), name);
  controls_.voiceCombo->setCurrentIndex(index >= 0 ? index : defaultVoice_);
}

void CBrevoraDlg::EnterTextOnlyMode() {
  prompt_->Notify(kTextOnly);
  PutComboText(*controls_.formatCombo, "text");
  controls_.formatCombo->setEnabled(false);
  controls_.voiceCombo->setEnabled(false);
}

// --- Data exchange ---------------------------------------------------------

void CBrevoraDlg::TakeControlValues() {
  const MainWindowControls& c = controls_;
  record_.workingFolder = c.workingFolderEdit->text().toStdString();
  record_.executingFolder = c.executingFolderEdit->text().toStdString();
  for (int day = 0; day < 7; ++day) record_.startDays[day] = c.dayChecks[day]->isChecked();
  record_.firstStartTime = TakeTime(*c.firstStartTimeEdit, record_.firstStartTime);
  record_.secondStartTime = TakeTime(*c.secondStartTimeEdit, record_.secondStartTime);
  record_.outputFormat = c.formatCombo->currentText().toStdString();
  record_.voiceName = c.voiceCombo->currentText().toStdString();
  const int selected = SelectedChannelRow();
  selectedChannel_ =
      selected < 0 ? std::string() : c.channelList->item(selected)->text().toStdString();
}

void CBrevoraDlg::PutControlValues() {
  const MainWindowControls& c = controls_;
  c.workingFolderEdit->setText(QString::fromStdString(record_.workingFolder));
  c.executingFolderEdit->setText(QString::fromStdString(record_.executingFolder));
  for (int day = 0; day < 7; ++day) c.dayChecks[day]->setChecked(record_.startDays[day]);
  c.firstStartTimeEdit->setTime(TimeOfDay(record_.firstStartTime));
  c.secondStartTimeEdit->setTime(TimeOfDay(record_.secondStartTime));
  PutComboText(*c.formatCombo, record_.outputFormat);
  PutVoice(record_.voiceName);
  const int channel = FindFirstBeginningWith(ChannelNames(), selectedChannel_);
  if (channel >= 0) c.channelList->setCurrentRow(channel);
}

std::vector<std::string> CBrevoraDlg::ChannelNames() const {
  std::vector<std::string> names;
  for (int i = 0; i < controls_.channelList->count(); ++i) {
    names.push_back(controls_.channelList->item(i)->text().toStdString());
  }
  return names;
}

void CBrevoraDlg::SetChannelNames(const std::vector<std::string>& names) {
  ShowChannelList(names, -1);
}

void CBrevoraDlg::ShowChannelList(const std::vector<std::string>& names, int selected) {
  QListWidget& list = *controls_.channelList;
  list.clear();
  for (const std::string& name : names) list.addItem(QString::fromStdString(name));
  if (selected >= 0) list.setCurrentRow(selected);
}

std::vector<std::string> CBrevoraDlg::FormatEntries() const {
  return ComboItems(*controls_.formatCombo);
}

void CBrevoraDlg::SelectFormat(int index) {
  controls_.formatCombo->setCurrentIndex(index);
}

std::vector<std::string> CBrevoraDlg::VoiceEntries() const {
  return ComboItems(*controls_.voiceCombo);
}

void CBrevoraDlg::SelectVoice(int index) {
  controls_.voiceCombo->setCurrentIndex(index);
}

std::time_t CBrevoraDlg::Now() const {
  return clock_();
}

// --- Folders and the channel list -------------------------------------------

void CBrevoraDlg::OnBrowseWorkingFolder() {
  BrowseFolder("Select the working folder", &Configuration::workingFolder);
}

void CBrevoraDlg::OnBrowseExecutingFolder() {
  BrowseFolder("Select the executing folder", &Configuration::executingFolder);
}

void CBrevoraDlg::BrowseFolder(const char* title, std::string Configuration::*member) {
  const std::optional<std::string> folder = fileDialogs_->FolderName(title, programFolder_);
  if (!folder) return;
  record_.*member = FolderFromPicker(*folder);
  PutControlValues();
}

int CBrevoraDlg::SelectedChannelRow() const {
  const QList<QListWidgetItem*> selected = controls_.channelList->selectedItems();
  return selected.isEmpty() ? -1 : controls_.channelList->row(selected.front());
}

void CBrevoraDlg::OnUp() {
  std::vector<std::string> names = ChannelNames();
  const int selected = MoveChannelUp(names, SelectedChannelRow());
  if (selected >= 0) ShowChannelList(names, selected);
}

void CBrevoraDlg::OnDown() {
  std::vector<std::string> names = ChannelNames();
  const int selected = MoveChannelDown(names, SelectedChannelRow());
  if (selected >= 0) ShowChannelList(names, selected);
}

void CBrevoraDlg::OnRemove() {
  const int selected = SelectedChannelRow();
  if (selected < 0) return;
  delete controls_.channelList->takeItem(selected);
  controls_.channelList->setCurrentRow(-1);
}

void CBrevoraDlg::AddChannel(const std::string& name) {
  std::vector<std::string> names = ChannelNames();
  if (AddChannelName(names, name)) controls_.channelList->addItem(QString::fromStdString(name));
}

void CBrevoraDlg::RemoveChannel(const std::string& name) {
  const int index = FindNameIgnoringCase(ChannelNames(), name);
  if (index >= 0) delete controls_.channelList->takeItem(index);
}

// "Add" is disabled while a run is scheduled or running, so the dialog and
// the crawler never use Channels.txt at the same time.
void CBrevoraDlg::OnAdd() {
  CChannelListDlg dialog(
      {programFolder_, prompt_, fileDialogs_, runModal_, feedSearcher_, installFolder_}, *this,
      this);
  dialog.DoModal();
}

// --- Configuration files, About and help ------------------------------------

void CBrevoraDlg::OnLoadConfig() {
  const std::optional<std::string> path =
      fileDialogs_->OpenFileName(ConfigFileRequest("Load Config", programFolder_));
  if (path) LoadConfigurationFrom(*this, *path, *prompt_);
}

void CBrevoraDlg::OnSaveConfig() {
  TakeControlValues();
  const std::optional<std::string> path =
      fileDialogs_->SaveFileName(ConfigFileRequest("Save Config", programFolder_));
  if (!path) return;
  if (SaveConfigurationAs(*this, *path, programFolder_, *prompt_) ==
      SaveResult::ConfigurationMissing) {
    OnExit();
  }
}

void CBrevoraDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CBrevoraDlg::OnPublishing() {
  CPublishingDlg dialog(programFolder_, *prompt_, this);
  RunModal({programFolder_, prompt_, fileDialogs_, runModal_, feedSearcher_, installFolder_},
           dialog);
}

void CBrevoraDlg::OnVoices() {
  const bool voice = controls_.voiceCombo->currentIndex() >= 0;
  const VoiceChoice choice{
      voice ? controls_.voiceCombo->currentData().toString().toStdString() : std::string(),
      voice ? controls_.voiceCombo->currentData(kLanguageRole).toString().toStdString()
            : std::string(),
      UserLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")),
      {}};
  // The voices as the voice box lists them: the engine may be speaking on
  // the run's thread.
  std::vector<VoiceInfo> voices;
  const QComboBox& box = *controls_.voiceCombo;
  for (int i = 0; i < box.count(); ++i) {
    voices.push_back({box.itemText(i).toStdString(), box.itemData(i).toString().toStdString(),
                      box.itemData(i, kLanguageRole).toString().toStdString()});
  }
  CVoicesDlg dialog(programFolder_, std::move(voices), choice, *prompt_, this);
  RunModal({programFolder_, prompt_, fileDialogs_, runModal_, feedSearcher_, installFolder_},
           dialog);
}

void CBrevoraDlg::OnShare() {
  CShareDlg dialog(*this, programFolder_, *prompt_, this);
  RunModal({programFolder_, prompt_, fileDialogs_, runModal_, feedSearcher_, installFolder_},
           dialog);
}

std::string CBrevoraDlg::StartSharing(ShareSettings& settings) {
  const std::string folder = controls_.executingFolderEdit->text().toStdString();
  const std::string problem = brevora::StartSharing(shareServer_, programFolder_, folder, settings);
  if (problem.empty()) {
    shareSettings_ = settings;
    sharedFolder_ = folder;
    shareProblem_.clear();
  }
  ShowStatus();
  return problem;
}

void CBrevoraDlg::StopSharing() {
  shareServer_.Stop();
  shareProblem_.clear();
  ShowStatus();
}

int CBrevoraDlg::SharedPort() const {
  return shareServer_.Running() ? shareServer_.Port() : 0;
}

void CBrevoraDlg::FollowExecutingFolder() {
  if (!shareServer_.Running() ||
      controls_.executingFolderEdit->text().toStdString() == sharedFolder_) {
    return;
  }
  ShareSettings settings = shareSettings_;
  const std::string problem = StartSharing(settings);
  if (!problem.empty()) {
    shareProblem_ = "Not sharing: " + problem;
    ShowStatus();
  }
}

void CBrevoraDlg::SetStartAtLogin(bool on) {
  if (SetAutostart(autostartPath_, on, installFolder_ + "Brevora", dataFolderOption_) != 0) {
    prompt_->Notify("The autostart entry " + autostartPath_ + " cannot be written!");
  }
}

bool CBrevoraDlg::StartsAtLogin() const {
  return AutostartOn(autostartPath_);
}

void CBrevoraDlg::OnHelp() {
  if (helpWindow_ == nullptr) helpWindow_ = new HelpWindow(installFolder_, this);
  helpWindow_->ShowContents();
}

// --- Leaving -------------------------------------------------------------------

bool CBrevoraDlg::QuitConfirmed(bool closing) {
  ScheduleSettings settings{record_.startDays, record_.firstStartTime, record_.secondStartTime};
  const std::string question =
      QuitQuestion(scheduled_, running_, NextScheduledStart(Now(), settings, schedule_), closing);
  return question.empty() || prompt_->AskOkCancel(question) == Answer::Yes;
}

void CBrevoraDlg::OnExit() {
  if (!QuitConfirmed(false)) return;
  if (!ExitConfigurationSteps(*this, programFolder_, *prompt_)) return;
  StopRunAndWait();
  ReleaseSpeech();
  RemoveTrayIcon();
  EndWindow();
}

void CBrevoraDlg::OnTrayClose() {
  if (!QuitConfirmed(false)) return;
  quitting_ = true;
  close();
}

void CBrevoraDlg::closeEvent(QCloseEvent* event) {
  if (ended_) {
    event->accept();
    return;
  }
  if (!quitting_) {
    ScheduleSettings settings{record_.startDays, record_.firstStartTime, record_.secondStartTime};
    const std::optional<std::time_t> next = NextScheduledStart(Now(), settings, schedule_);
    switch (WindowCloseAction(scheduled_, running_, tray_ != nullptr)) {
      case CloseAction::HideToTray:
        event->ignore();
        WriteWindowPosition(programFolder_, pos().x(), pos().y());
        hide();
        windowVisible_ = false;
        if (!toldHiddenToTray_) {
          toldHiddenToTray_ = true;
          tray_->showMessage(QStringLiteral("Brevora"),
                             QString::fromStdString(HiddenToTrayMessage(running_, next)));
        }
        return;
      case CloseAction::Ask:
        if (!QuitConfirmed(true)) {
          event->ignore();
          return;
        }
        break;
      case CloseAction::Close:
        break;
    }
  }
  event->accept();
  StopRunAndWait();
  ReleaseSpeech();
  // The icon stays while the question is open.
  CloseConfigurationSteps(*this, programFolder_, *prompt_);
  RemoveTrayIcon();
  EndWindow();
}

// The window opens with the cursor in the working folder, its text not
// selected (typing must not replace the folder by accident).
void CBrevoraDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QTimer::singleShot(0, this, [this] {
    controls_.workingFolderEdit->deselect();
    controls_.workingFolderEdit->end(false);
    ShowStatus();  // laid out now: long lines fit the box
  });
}

void CBrevoraDlg::reject() {
  if (!ended_) close();
}

void CBrevoraDlg::ReleaseSpeech() {
  speechVoice_.reset();
}

void CBrevoraDlg::EndWindow() {
  ended_ = true;
  if (isVisible()) WriteWindowPosition(programFolder_, pos().x(), pos().y());
  if (helpWindow_ != nullptr) helpWindow_->close();
  done(QDialog::Rejected);
}

}  // namespace brevora
