// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's run control, schedule and tray icon.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QTimeEdit>
#include <system_error>

#include "app/app_icon.h"
#include "app/brevora_dlg.h"
#include "app/main_window_run.h"
#include "audio/audio_converter.h"
#include "base/run_log.h"
#include "base/user_prompt.h"
#include "config/main_window_rules.h"
#include "config/program_settings.h"
#include "service/headless_run.h"

namespace brevora {

namespace {

constexpr int kScheduleMilliseconds = 15000;
constexpr char kIdle[] = "Idle. Run starts the schedule; Run Now makes one run at once.";

std::string FormatLocal(std::time_t time, const char* format) {
  std::tm parts{};
  localtime_r(&time, &parts);
  char text[64];
  return std::strftime(text, sizeof text, format, &parts) > 0 ? text : "";
}

}  // namespace

void CBrevoraDlg::SetUpRunControl() {
  run_ = std::make_unique<MainWindowRun>(
      this, *converter_, speechVoice_.get(),
      [this](const RunSummary& summary, int converted, int total) {
        RunEndedWith(summary, converted, total);
      },
      [this](std::string status) {
        runState_ = std::move(status);
        ShowStatus();
      },
      [this] { OnRunFinished(); });
  scheduleTimer_.setSingleShot(true);
  scheduleTimer_.setInterval(kScheduleMilliseconds);
  connect(&scheduleTimer_, &QTimer::timeout, this, &CBrevoraDlg::OnTimer);
  runState_ = kIdle;
}

std::vector<QWidget*> CBrevoraDlg::LockSet() const {
  const MainWindowControls& c = controls_;
  std::vector<QWidget*> set{c.firstStartTimeEdit,
                            c.secondStartTimeEdit,
                            c.workingFolderEdit,
                            c.executingFolderEdit,
                            c.channelList,
                            c.workingBrowseButton,
                            c.executingBrowseButton,
                            c.upButton,
                            c.downButton,
                            c.addButton,
                            c.removeButton,
                            c.runButton,
                            c.runNowButton,
                            c.loadConfigButton,
                            c.saveConfigButton,
                            c.formatCombo,
                            c.voiceCombo,
                            c.aboutButton,
                            c.helpButton,
                            c.exitButton};
  set.insert(set.end(), c.dayChecks.begin(), c.dayChecks.end());
  return set;
}

void CBrevoraDlg::LockControls() {
  for (QWidget* control : LockSet()) control->setEnabled(false);
}

void CBrevoraDlg::UnlockControls() {
  for (QWidget* control : LockSet()) control->setEnabled(true);
  controls_.cancelRunButton->setEnabled(true);
  controls_.stopButton->setEnabled(true);
  // Without speech the format stays "text" and both boxes stay disabled.
  controls_.formatCombo->setEnabled(SpeechAvailable());
  controls_.voiceCombo->setEnabled(SpeechAvailable());
}

// A folder text that cannot stand in Brevora.cfg stops Run and Run Now before
// anything is written or started.
bool CBrevoraDlg::ConfigurationTextsFit() {
  TakeControlValues();
  const std::string problem = ConfigurationTextProblem(record_);
  if (!problem.empty()) prompt_->Notify(problem);
  return problem.empty();
}

void CBrevoraDlg::OnRun() {
  if (!ConfigurationTextsFit() || !ChannelsChosen()) return;
  scheduled_ = true;
  WriteConfiguration(*this, programFolder_, *prompt_);
  LockControls();
  controls_.stopButton->setEnabled(false);
  scheduleTimer_.start();
  ShowStatus();
}

bool CBrevoraDlg::ChannelsChosen() {
  if (!ChannelNames().empty()) return true;
  prompt_->Notify(kChooseChannelsFirst);
  return false;
}

void CBrevoraDlg::OnRunNow() {
  if (!ConfigurationTextsFit() || (!scheduled_ && !ChannelsChosen())) return;
  run_->cancelRequested = 0;
  converter_->abortRequested = 0;
  WriteConfiguration(*this, programFolder_, *prompt_);
  LockControls();
  controls_.cancelRunButton->setEnabled(false);
  controls_.stopButton->setEnabled(true);
  run_->cancelEvent.Reset();
  running_ = true;
  StartWorker();
}

void CBrevoraDlg::StartWorker() {
  const bool voice = controls_.voiceCombo->currentIndex() >= 0;
  RunValues values{
      programFolder_,
      installFolder_,
      record_.workingFolder,
      record_.executingFolder,
      record_.outputFormat,
      voice ? controls_.voiceCombo->currentData().toString().toStdString() : std::string(),
      voice ? controls_.voiceCombo->currentData(kLanguageRole).toString().toStdString()
            : std::string(),
      ReadPodcastAddress(programFolder_)};
  run_->SetValues(std::move(values));
  run_->SetSpeechVoice(speechVoice_.get());
  run_->ResetCounts();
  runStarted_ = Now();
  runState_ = "Starting the run...";
  ShowStatus();
  runLock_ = FileLock::TryLock(programFolder_ + kRunLockName);
  if (!runLock_) {  // a run without a window goes on the same data folder
    lastResult_ = "A run of this data folder is going already; none was started.";
    QMetaObject::invokeMethod(this, &CBrevoraDlg::OnRunFinished, Qt::QueuedConnection);
    return;
  }
  try {
    worker_ = std::make_unique<std::thread>([run = run_.get()] { RunWorker(*run); });
  } catch (const std::system_error& error) {
    // No thread: the run is written down as failed and the window returns.
    converter_->Log().LogError(kLogRunNotStarted, error.what());
    lastResult_ = "The run could not be started; see Brevora.log.";
    QMetaObject::invokeMethod(this, &CBrevoraDlg::OnRunFinished, Qt::QueuedConnection);
  }
}

void CBrevoraDlg::OnStop() {
  run_->cancelRequested = 1;
  converter_->abortRequested = 1;
  run_->cancelEvent.Set();
}

void CBrevoraDlg::OnCancelRun() {
  scheduled_ = false;
  scheduleTimer_.stop();
  OnStop();
  UnlockControls();
  if (!running_) runState_ = kIdle;
  ShowStatus();
}

void CBrevoraDlg::OnRunFinished() {
  if (!running_) return;  // already ended by leaving the program
  OnStop();
  if (worker_) {
    worker_->join();  // it has posted its end as the last thing it does
    worker_.reset();
  }
  running_ = false;
  runLock_.reset();
  if (scheduled_) {
    controls_.cancelRunButton->setEnabled(true);
    controls_.stopButton->setEnabled(false);
  } else {
    UnlockControls();
  }
  runState_ = kIdle;
  ShowStatus();
}

void CBrevoraDlg::StopRunAndWait() {
  scheduleTimer_.stop();
  scheduled_ = false;
  if (!worker_) return;
  OnStop();
  controls_.statusLabel->setText(QStringLiteral("Stopping the run..."));
  controls_.statusLabel->repaint();
  worker_->join();
  worker_.reset();
  running_ = false;
  runLock_.reset();
  runState_ = kIdle;
}

void CBrevoraDlg::OnTimer() {
  scheduleTimer_.stop();
  if (!scheduled_) return;  // a tick already on its way when "Cancel Run" came
  ScheduleSettings settings{record_.startDays, record_.firstStartTime, record_.secondStartTime};
  if (ScheduleTick(Now(), settings, running_, schedule_) != DueStart::None) OnRunNow();
  if (scheduled_) scheduleTimer_.start();
  ShowStatus();
}

void CBrevoraDlg::RunEndedWith(const RunSummary& summary, int converted, int total) {
  std::string result =
      "Last run " + FormatLocal(runStarted_, "%a %H:%M") + "-" + FormatLocal(Now(), "%H:%M") + ": ";
  if (summary.cancelled) {
    result += "stopped";
  } else if (summary.articles == 0) {
    result += "the crawler found no articles; nothing was published";
  } else if (converted >= 0) {
    result += std::to_string(converted) + " of " + std::to_string(total) + " articles converted";
  } else {
    result += summary.completed ? "published the text" : "ended early";
  }
  if (summary.failures > 0) {
    result += "; " + std::to_string(summary.failures) +
              (summary.failures == 1 ? " problem" : " problems") + " written to Brevora.log";
  }
  lastResult_ = result + ".";
  runState_ = kIdle;  // the run has ended: no phase beside its result
  ShowStatus();
}

void CBrevoraDlg::ShowStatus() {
  std::string state = runState_;
  if (scheduled_ && !running_) {
    ScheduleSettings settings{record_.startDays, record_.firstStartTime, record_.secondStartTime};
    const std::optional<std::time_t> next = NextScheduledStart(Now(), settings, schedule_);
    state = next ? "Waiting for " + FormatLocal(*next, "%a %H:%M") + "."
                 : "Waiting, but no start day is ticked.";
  }
  std::string text = lastResult_.empty() ? state : state + "\n" + lastResult_;
  if (shareServer_.Running()) {
    const std::vector<std::string> addresses =
        SharedFeedAddresses(shareSettings_, shareServer_.Port());
    if (!addresses.empty()) text += "\nSharing at " + addresses.front();
  } else if (!shareProblem_.empty()) {
    text += "\n" + shareProblem_;
  }
  // A line too long for the box (an address) loses its middle; the whole
  // text is in the tooltip.
  QLabel& label = *controls_.statusLabel;
  const int width = label.contentsRect().width() - 2 * label.margin();
  const QFontMetrics metrics = label.fontMetrics();
  QStringList shown;
  for (const QString& line : QString::fromStdString(text).split(QLatin1Char('\n'))) {
    const bool address = line.contains(QStringLiteral("://"));
    shown << (address && width > 0 && metrics.horizontalAdvance(line) > width
                  ? metrics.elidedText(line, Qt::ElideMiddle, width)
                  : line);
  }
  label.setText(shown.join(QLatin1Char('\n')));
  label.setToolTip(QString::fromStdString(text));
  if (tray_ != nullptr) {
    tray_->setToolTip(QStringLiteral("Brevora: ") +
                      QString::fromStdString(text.substr(0, text.find('\n'))));
  }
}

// --- Tray icon ---------------------------------------------------------------

void CBrevoraDlg::AddTrayIcon() {
  windowVisible_ = true;
  if (!trayAvailable_()) return;
  tray_ = new QSystemTrayIcon(AppIcon(), this);
  tray_->setToolTip(QStringLiteral("Brevora"));
  auto* menu = new QMenu(this);
  QAction* showHide = menu->addAction(QStringLiteral("Hide"), this, &CBrevoraDlg::ToggleWindow);
  menu->addAction(QStringLiteral("Share on this network..."), this, [this] {
    ShowWindow();
    OnShare();
  });
  menu->addAction(QStringLiteral("Voices for languages..."), this, [this] {
    ShowWindow();
    OnVoices();
  });
  QAction* login = menu->addAction(QStringLiteral("Start at login"));
  login->setCheckable(true);
  connect(login, &QAction::toggled, this, &CBrevoraDlg::SetStartAtLogin);
  menu->addAction(QStringLiteral("Close"), this, &CBrevoraDlg::OnTrayClose);
  connect(menu, &QMenu::aboutToShow, this, [this, showHide, login] {
    showHide->setText(windowVisible_ ? QStringLiteral("Hide") : QStringLiteral("Show"));
    const QSignalBlocker quiet(login);
    login->setChecked(StartsAtLogin());
  });
  tray_->setContextMenu(menu);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    // One click shows the window, or hides it when it is shown.
    if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick) ToggleWindow();
  });
  tray_->show();
}

void CBrevoraDlg::RemoveTrayIcon() {
  if (tray_ != nullptr) tray_->hide();
}

void CBrevoraDlg::ShowWindow() {
  showNormal();
  raise();
  activateWindow();
  windowVisible_ = true;
}

void CBrevoraDlg::ToggleWindow() {
  if (windowVisible_) {
    WriteWindowPosition(programFolder_, pos().x(), pos().y());
    hide();
    windowVisible_ = false;
  } else {
    ShowWindow();
  }
}

void CBrevoraDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // Without a tray there would be no way back: the window only minimises.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_ != nullptr) {
    QTimer::singleShot(0, this, [this] {
      hide();
      windowVisible_ = false;
    });
  }
}

}  // namespace brevora
