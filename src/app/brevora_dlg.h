// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QTimer>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/main_window_controls.h"
#include "channels/gui/channel_dialog_services.h"
#include "config/configuration.h"
#include "platform/file_lock.h"
#include "run/schedule.h"
#include "sharing/share_session.h"

class QSystemTrayIcon;

namespace brevora {

class CAudioConverter;
class FeedSearcher;
class FileDialogs;
class HelpWindow;
class MainWindowRun;
struct RunSummary;
class SpeechEngine;
class UserPrompt;

// The voice box's item role that holds the voice's language ("en-gb").
inline constexpr int kLanguageRole = Qt::UserRole + 1;

// What the main window works with. The program gives the real things; tests
// give a temporary program folder, scripted prompts and dialogs, a fake
// speech engine and a clock of their own.
struct MainWindowServices {
  std::string programFolder;           // the data folder; ends with "/"
  std::string installFolder;           // help/, icons/, the crawler; empty: programFolder
  UserPrompt* prompt = nullptr;        // nothing: message boxes
  FileDialogs* fileDialogs = nullptr;  // nothing: the standard dialogs
  // Creates the speech engine; nothing returned means no speech (text-only
  // mode). Not set: the espeak-ng engine.
  std::function<std::unique_ptr<SpeechEngine>()> createSpeechVoice;
  std::function<std::time_t()> clock;    // not set: the system's clock
  std::string autostartPath;             // the autostart entry; empty: the user's own
  ModalRun runModal;                     // not set: QDialog::exec
  FeedSearcher* feedSearcher = nullptr;  // not set: the crawler's feed finder
  // The data folder given on the command line ("Start at login" starts the
  // program with it); empty: the usual one.
  std::string dataFolderOption;
  // Whether the desktop has a notification area; not set: asks Qt.
  std::function<bool()> trayAvailable;
};

// The main window: the configuration in its controls, the channel list, the
// run commands, loading and saving of configurations, About and help.
class CBrevoraDlg : public QDialog,
                    public ConfigurationWindow,
                    public ChannelListOwner,
                    public ShareControl {
  Q_OBJECT
 public:
  explicit CBrevoraDlg(MainWindowServices services, QWidget* parent = nullptr);
  ~CBrevoraDlg() override;

  // The start-up sequence: voices, Brevora.cfg, controls, backup, text-only
  // mode. Every message comes before the window is shown. Returns false when
  // the window has already ended (the backup failed and "Exit" went through).
  bool OnInitDialog();

  // Appends a channel name unless the list holds it already (ignoring case).
  void AddChannel(const std::string& name) override;
  // Removes the first item equal to the name, letter case ignored (a channel
  // deleted from Channels.txt).
  void RemoveChannel(const std::string& name) override;

  const std::string& ProgramFolder() const { return programFolder_; }
  bool SpeechAvailable() const { return speechStatus_ == 0; }
  const MainWindowControls& Controls() const { return controls_; }
  // Whether the exit or close sequence has ended the window.
  bool Ended() const { return ended_; }

  // ConfigurationWindow over the controls.
  Configuration& Record() override { return record_; }
  void TakeControlValues() override;
  void PutControlValues() override;
  std::vector<std::string> ChannelNames() const override;
  void SetChannelNames(const std::vector<std::string>& names) override;
  std::vector<std::string> FormatEntries() const override;
  void SelectFormat(int index) override;
  std::vector<std::string> VoiceEntries() const override;
  void SelectVoice(int index) override;
  int DefaultVoice() const override { return defaultVoice_; }
  std::time_t Now() const override;

  // Run control: the states Idle, Waiting, Scheduled run and Immediate run.
  bool Scheduled() const { return scheduled_; }
  bool Running() const { return running_; }
  // One tick of the schedule's timer (the timer calls it every 15 seconds).
  void OnTimer();
  // The worker's end, on the window's thread.
  void OnRunFinished();
  // The tray icon's "Hide"/"Show" and the window's visibility.
  void ToggleWindow();
  // The tray icon's "Close": quits, after asking when that ends the schedule
  // or a run.
  void OnTrayClose();
  // "Start at login": writes or removes the autostart entry, which starts the
  // program hidden in the tray with its schedule running.
  void SetStartAtLogin(bool on);
  bool StartsAtLogin() const;
  bool WindowVisible() const { return windowVisible_; }

  // Command handlers.
  void OnBrowseWorkingFolder();
  void OnBrowseExecutingFolder();
  void OnUp();
  void OnDown();
  void OnAdd();
  void OnRemove();
  void OnRun();
  void OnRunNow();
  void OnCancelRun();
  void OnStop();
  void OnLoadConfig();
  void OnSaveConfig();
  void OnAbout();
  // "Publishing...": the podcast address (see CPublishingDlg).
  void OnPublishing();
  // "Share on this network..." (see CShareDlg).
  void OnShare();
  // "Voices for languages..." (see CVoicesDlg).
  void OnVoices();

  // ShareControl: sharing the executing folder of the window's controls,
  // which it follows when it changes.
  std::string StartSharing(ShareSettings& settings) override;
  void StopSharing() override;
  int SharedPort() const override;
  void OnHelp();
  void OnExit();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Minimising hides the window into the tray, where there is one.
  void changeEvent(QEvent* event) override;
  // Escape: the close sequence, never an end without it.
  void reject() override;

 private:
  void ConnectControls();
  int FillVoiceList();
  // Puts the voice named into the box; a name it does not have (or none)
  // selects the default voice.
  void PutVoice(const std::string& name);
  void EnterTextOnlyMode();
  void BrowseFolder(const char* title, std::string Configuration::*member);
  int SelectedChannelRow() const;
  void ShowChannelList(const std::vector<std::string>& names, int selected);
  // Ends a run in progress and waits for its worker.
  void StopRunAndWait();
  void SetUpRunControl();
  std::vector<QWidget*> LockSet() const;
  void LockControls();
  void UnlockControls();
  void StartWorker();
  bool ConfigurationTextsFit();
  // Whether the run list names a channel; tells the user when not.
  bool ChannelsChosen();
  void ShowStatus();
  void RunEndedWith(const RunSummary& summary, int converted, int total);
  // Shares again when the executing folder changed under a running server.
  void FollowExecutingFolder();
  void AddTrayIcon();
  void RemoveTrayIcon();
  void ShowWindow();
  // Whether quitting may end what is on: asks when the schedule or a run
  // would end (`closing`: as closing the window asks).
  bool QuitConfirmed(bool closing);
  // The steps that every way out shares: speech released, window ended.
  void ReleaseSpeech();
  void EndWindow();

  std::string programFolder_;           // the data folder
  std::optional<FileLock> windowLock_;  // one window per data folder
  std::optional<FileLock> runLock_;     // held while a run goes
  std::string autostartPath_;
  std::string installFolder_;
  std::string dataFolderOption_;
  std::function<bool()> trayAvailable_;
  std::unique_ptr<UserPrompt> ownPrompt_;
  std::unique_ptr<FileDialogs> ownFileDialogs_;
  UserPrompt* prompt_;
  FileDialogs* fileDialogs_;
  std::function<std::time_t()> clock_;
  ModalRun runModal_;
  FeedSearcher* feedSearcher_;
  std::unique_ptr<SpeechEngine> speechVoice_;
  int speechStatus_ = 0;   // 0: speech is available
  int defaultVoice_ = -1;  // the box's voice when Brevora.cfg names none it has
  std::unique_ptr<CAudioConverter> converter_;
  MainWindowControls controls_;
  Configuration record_;
  std::string selectedChannel_;
  HelpWindow* helpWindow_ = nullptr;
  bool ended_ = false;

  std::unique_ptr<MainWindowRun> run_;
  std::unique_ptr<std::thread> worker_;
  QTimer scheduleTimer_;
  ScheduleState schedule_;
  bool scheduled_ = false;
  bool running_ = false;
  std::string runState_;    // what the run control is doing now
  std::string lastResult_;  // how the last run ended
  std::time_t runStarted_ = 0;
  QSystemTrayIcon* tray_ = nullptr;
  ShareServer shareServer_;
  ShareSettings shareSettings_;  // those shared with
  std::string sharedFolder_;
  std::string shareProblem_;  // why sharing did not start with the window
  QTimer shareFollowTimer_;
  bool windowVisible_ = false;
  bool quitting_ = false;          // a way out was chosen: closing quits
  bool toldHiddenToTray_ = false;  // the tray message of the first hiding
};

}  // namespace brevora
