// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <csignal>
#include <fstream>

#include "fakes/clock.h"
#include "fakes/temp_folder.h"
#include "gui/gui_fakes.h"

using namespace brevora;
using brevora::testing::EndlessEngine;
using brevora::testing::Monday;
using brevora::testing::TempFolder;
using brevora::testing::WindowHarness;

namespace {

// The stand-in crawler: writes one article, or none when the program folder
// holds "empty", or hangs when it holds "hang" (writing its process id first,
// so the test can wait for it).
const char kCrawler[] = R"SCRIPT(#!/bin/sh
for P; do :; done
if [ -e "${P}hang" ]; then echo $$ > "${P}crawler.pid"; exec sleep 600; fi
W=$(sed -n 's/^WorkingFolder=//p' "${P}Brevora.cfg" | tr -d '\r')
mkdir -p "$W/Top/news"
if [ ! -e "${P}empty" ]; then printf 'News.' > "$W/Top/news/a.txt"; fi
)SCRIPT";

const char kIdle[] = "Idle. Run starts the schedule; Run Now makes one run at once.";

// How a test's program folder is set up.
struct Setup {
  std::string format = "text";
  std::string startTimes = "07:00:00,17:00:00";
  bool speech = true;  // false: no engine, text-only mode
  bool endlessSpeech = false;
};

// A program folder with the command interpreter and a stand-in Java.
struct Program {
  TempFolder folder;
  WindowHarness h;
  std::time_t now = 0;

  explicit Program(const Setup& setup = {}) {
    symlink(BREVORA_CMD_PATH, (folder.path() + "brevora-cmd").c_str());
    const std::string java = folder.Write("java/bin/java", kCrawler);
    chmod(java.c_str(), 0755);
    setenv("JAVA_HOME", (folder.path() + "java").c_str(), 1);
    folder.Write("Brevora.cfg",
                 "WorkingFolder=" + folder.path() + "work\r\nExecutingFolder=" + folder.path() +
                     "exec\r\nStartDownloading=Mon\r\nStartTimes=" + setup.startTimes +
                     "\r\nChannels=News\r\nFormat=" + setup.format +
                     "\r\nVoice=\r\nAdvanced=False\r\n");
    if (setup.endlessSpeech) h.createEngine = [] { return std::make_unique<EndlessEngine>(); };
    std::optional<std::vector<VoiceInfo>> voices;
    if (setup.speech) voices = std::vector<VoiceInfo>{{"English", "en"}};
    h.Create(folder.path(), voices, [this] { return now; });
    h.window->OnInitDialog();
  }
  const MainWindowControls& c() const { return h.window->Controls(); }
  QString Status() const { return c().statusLabel->text(); }
};

// The enabled state of the lock set (all alike), "Cancel Run" and "Stop".
QString States(const CBrevoraDlg& window) {
  const MainWindowControls& c = window.Controls();
  const std::vector<QWidget*> lockSet{c.firstStartTimeEdit,
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
                                      c.exitButton,
                                      c.dayChecks[0],
                                      c.dayChecks[1],
                                      c.dayChecks[2],
                                      c.dayChecks[3],
                                      c.dayChecks[4],
                                      c.dayChecks[5],
                                      c.dayChecks[6]};
  int enabled = 0;
  for (QWidget* control : lockSet) enabled += control->isEnabled();
  const QString set = enabled == int(lockSet.size()) ? "unlocked"
                      : enabled == 0                 ? "locked"
                                                     : "mixed";
  return set + (c.cancelRunButton->isEnabled() ? " cancel" : "") +
         (c.stopButton->isEnabled() ? " stop" : "");
}

bool ProcessGone(pid_t pid) {
  return kill(pid, 0) != 0;
}

}  // namespace

class TestRunControl : public QObject {
  Q_OBJECT

 private slots:
  // "Run" waits, "Cancel Run" returns to Idle; no run starts on its own.
  void runThenCancel() {
    Program p;
    QCOMPARE(States(*p.h.window), QStringLiteral("unlocked cancel stop"));
    p.now = Monday(6, 0, 0);
    QTest::mouseClick(p.c().runButton, Qt::LeftButton);
    QCOMPARE(States(*p.h.window), QStringLiteral("locked cancel"));
    QVERIFY(p.c().statusLabel->text().startsWith(QStringLiteral("Waiting for Mon 07:00")));
    QTest::mouseClick(p.c().cancelRunButton, Qt::LeftButton);
    QCOMPARE(States(*p.h.window), QStringLiteral("unlocked cancel stop"));
    QVERIFY(!p.h.window->Scheduled() && !p.h.window->Running());
  }

  // A folder typed with a line feed is refused by "Run" and "Run Now" with a
  // message: nothing is written, no run starts, the window stays Idle.
  void folderWithALineFeedIsRefused() {
    Program p;
    const std::string before = p.folder.Read("Brevora.cfg");
    p.c().workingFolderEdit->setText(QStringLiteral("/srv/w\nExecutingFolder=/etc"));
    QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
    QTest::mouseClick(p.c().runButton, Qt::LeftButton);
    const std::string message =
        "The working folder cannot contain a line break or another control character!";
    QCOMPARE(p.h.prompt.shown, (std::vector<std::string>{message, message}));
    QVERIFY(!p.h.window->Running() && !p.h.window->Scheduled());
    QCOMPARE(States(*p.h.window), QStringLiteral("unlocked cancel stop"));
    QCOMPARE(p.folder.Read("Brevora.cfg"), before);
  }

  // "Run Now" in text format runs to the end and returns to Idle.
  void runNowToTheEnd() {
    Program p;
    QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
    QCOMPARE(States(*p.h.window), QStringLiteral("locked stop"));
    QTRY_VERIFY_WITH_TIMEOUT(!p.h.window->Running(), 20000);
    QCOMPARE(States(*p.h.window), QStringLiteral("unlocked cancel stop"));
    QVERIFY(p.folder.Exists("exec/Top/news/a.txt") == false);  // text files are not published
    QVERIFY(p.folder.Exists("work/Top/news/a.txt"));
    QVERIFY(p.c().statusLabel->text().contains(QStringLiteral("Last run")));
  }

  // "Run", then ticks of the timer: the first tick in the start minute starts
  // a run (Scheduled run), whose end returns the window to Waiting.
  void scheduledRunReturnsToWaiting() {
    Program p;
    p.now = Monday(6, 59, 30);
    QTest::mouseClick(p.c().runButton, Qt::LeftButton);
    p.now = Monday(6, 59, 45);
    p.h.window->OnTimer();
    QVERIFY(!p.h.window->Running());
    p.now = Monday(7, 0, 0);
    p.h.window->OnTimer();
    QVERIFY(p.h.window->Running());
    QCOMPARE(States(*p.h.window), QStringLiteral("locked stop"));
    QTRY_VERIFY_WITH_TIMEOUT(!p.h.window->Running(), 20000);
    QCOMPARE(States(*p.h.window), QStringLiteral("locked cancel"));
    p.now = Monday(7, 0, 15);
    p.h.window->OnTimer();
    QVERIFY(!p.h.window->Running());
    QTest::mouseClick(p.c().cancelRunButton, Qt::LeftButton);
  }

  // "Stop" while the crawler hangs ends the run and kills the crawler; the
  // buttons change only when the run's end arrives.
  void stopDuringTheCrawler() {
    Program p;
    p.folder.Write("hang", "");
    QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(p.folder.Exists("crawler.pid"), 20000);
    QTest::mouseClick(p.c().stopButton, Qt::LeftButton);
    QCOMPARE(States(*p.h.window), QStringLiteral("locked stop"));
    QTRY_VERIFY_WITH_TIMEOUT(!p.h.window->Running(), 20000);
    QCOMPARE(States(*p.h.window), QStringLiteral("unlocked cancel stop"));
    QTRY_VERIFY(ProcessGone(std::stoi(p.folder.Read("crawler.pid"))));
    QVERIFY(!p.folder.Exists("exec/Top"));
  }

  // "Cancel Run" in a start minute already armed: a tick on its way starts
  // nothing afterwards, and the window is Idle.
  void cancelRunInAnArmedMinute() {
    Program p;
    p.now = Monday(6, 59, 30);
    QTest::mouseClick(p.c().runButton, Qt::LeftButton);
    p.now = Monday(6, 59, 45);
    p.h.window->OnTimer();  // arms 07:00
    QTest::mouseClick(p.c().cancelRunButton, Qt::LeftButton);
    p.now = Monday(7, 0, 0);
    p.h.window->OnTimer();
    QVERIFY(!p.h.window->Running() && !p.h.window->Scheduled());
    QCOMPARE(p.Status(), QString::fromUtf8(kIdle));
    QCOMPARE(States(*p.h.window), QStringLiteral("unlocked cancel stop"));
  }

  // A start due while the day's first run still goes starts no second run;
  // the status line shows the run, not the wait.
  void startDueDuringARun() {
    Program p({.startTimes = "07:00:00,07:01:00"});
    p.folder.Write("hang", "");
    p.now = Monday(6, 59, 30);
    QTest::mouseClick(p.c().runButton, Qt::LeftButton);
    QCOMPARE(p.Status(), QStringLiteral("Waiting for Mon 07:00."));
    p.now = Monday(6, 59, 45);
    p.h.window->OnTimer();
    p.now = Monday(7, 0, 0);
    p.h.window->OnTimer();
    QTRY_VERIFY_WITH_TIMEOUT(p.folder.Exists("crawler.pid"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(p.Status(), QStringLiteral("Crawling the channels..."), 20000);
    const std::string crawler = p.folder.Read("crawler.pid");
    p.now = Monday(7, 1, 0);
    p.h.window->OnTimer();
    QVERIFY(p.h.window->Running());
    QCOMPARE(p.folder.Read("crawler.pid"), crawler);
    QCOMPARE(States(*p.h.window), QStringLiteral("locked stop"));
    QTest::mouseClick(p.c().stopButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!p.h.window->Running(), 20000);
    QCOMPARE(States(*p.h.window), QStringLiteral("locked cancel"));  // waiting again
    QTest::mouseClick(p.c().cancelRunButton, Qt::LeftButton);
  }

  // "Run Now" after "Stop" makes a whole run: the status says what it did,
  // not that it was stopped.
  void runNowAfterStop() {
    Program p;
    p.now = Monday(8, 0, 0);
    p.folder.Write("hang", "");
    QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(p.folder.Exists("crawler.pid"), 20000);
    QTest::mouseClick(p.c().stopButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!p.h.window->Running(), 20000);
    QCOMPARE(p.Status(), QString::fromUtf8(kIdle) + "\nLast run Mon 08:00-08:00: stopped.");
    unlink((p.folder.path() + "hang").c_str());
    p.now = Monday(8, 5, 0);
    QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!p.h.window->Running(), 20000);
    QCOMPARE(p.Status(),
             QString::fromUtf8(kIdle) + "\nLast run Mon 08:05-08:05: published the text.");
  }

  // A run whose crawler found no article, in either format: it says so, its
  // entry is counted, and what was published before stays.
  void runWithoutArticles() {
    for (const char* format : {"mp3", "text"}) {
      Program p({.format = format});
      p.now = Monday(8, 0, 0);
      p.folder.Write("empty", "");
      p.folder.Write("exec/Top/old.mp3", "published before");
      QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(!p.h.window->Running(), 20000);
      QCOMPARE(p.Status(), QString::fromUtf8(kIdle) +
                               "\nLast run Mon 08:00-08:00: the crawler found no articles; "
                               "nothing was published; 1 problem written to Brevora.log.");
      QCOMPARE(p.folder.Read("exec/Top/old.mp3"), std::string("published before"));
    }
  }

  // While an article is spoken the status says whether it is also encoded;
  // closing the window then stops the run before the engine is released.
  void speakingThenClosing() {
    EndlessEngine::releasedWhileSpeaking = false;
    for (const char* format : {"wav", "mp3"}) {
      Program p({.format = format, .endlessSpeech = true});
      QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
      QTRY_COMPARE_WITH_TIMEOUT(
          p.Status(),
          QString::fromUtf8(std::string(format) == "mp3" ? "Speaking and encoding" : "Speaking") +
              " article 1 of 1: a.txt",
          20000);
      QTRY_VERIFY_WITH_TIMEOUT(EndlessEngine::speaking > 0, 20000);
      p.h.prompt.answers = {Answer::Yes};
      p.h.window->close();
      QVERIFY(p.h.window->Ended() && !p.h.window->Running());
      QVERIFY(!p.Status().contains(QStringLiteral("Speaking")));
      QCOMPARE(EndlessEngine::speaking.load(), 0);
      QVERIFY(!EndlessEngine::releasedWhileSpeaking);
      p.h.window.reset();
    }
  }

  // Without speech the format stays "text" and its box disabled, after a run
  // as before it.
  void textOnlyModeAfterARun() {
    Program p({.speech = false});
    QVERIFY(!p.c().formatCombo->isEnabled() && !p.c().voiceCombo->isEnabled());
    QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!p.h.window->Running(), 20000);
    QCOMPARE(p.c().formatCombo->currentText(), QStringLiteral("text"));
    QVERIFY(!p.c().formatCombo->isEnabled() && !p.c().voiceCombo->isEnabled());
    QVERIFY(p.c().runNowButton->isEnabled());
  }

  // Closing the window during a run (no notification area) asks first; then
  // it stops the run and waits for the worker: no child process is left, and
  // with nothing changed no configuration question follows.
  void closeDuringARun() {
    Program p;
    p.folder.Write("hang", "");
    QTest::mouseClick(p.c().runNowButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(p.folder.Exists("crawler.pid"), 20000);
    const pid_t crawler = std::stoi(p.folder.Read("crawler.pid"));
    p.h.prompt.answers = {Answer::Yes};
    p.h.window->close();
    QVERIFY(p.h.window->Ended());
    QVERIFY(!p.h.window->Running());
    QTRY_VERIFY(ProcessGone(crawler));
    QVERIFY(p.h.prompt.unexpected.empty());
    QCOMPARE(p.h.prompt.shown,
             std::vector<std::string>{"Brevora is running. Stop the run and quit?"});
    p.h.window.reset();
  }

  // Closing the window never ends the schedule unasked. Without a
  // notification area: asked, and Cancel keeps the window and the schedule.
  // With one: the window hides and the schedule goes on, and the tray's
  // Close asks before it quits.
  void closingKeepsTheSchedule() {
    {
      Program p;
      p.now = Monday(6, 0, 0);
      QTest::mouseClick(p.c().runButton, Qt::LeftButton);
      p.h.prompt.answers = {Answer::Cancel};
      p.h.window->close();
      QCOMPARE(p.h.prompt.shown, std::vector<std::string>{
                                     "Brevora is waiting to run at Mon 07:00. Stop it and quit?"});
      QVERIFY(!p.h.window->Ended() && p.h.window->Scheduled());
      QCOMPARE(p.Status(), QStringLiteral("Waiting for Mon 07:00."));
    }
    Program p;
    p.h.trayAvailable = [] { return true; };
    p.h.Create(p.folder.path(), std::vector<VoiceInfo>{{"English", "en"}}, [&p] { return p.now; });
    QVERIFY(p.h.window->OnInitDialog());
    p.now = Monday(6, 0, 0);
    p.h.window->show();
    QTest::mouseClick(p.c().runButton, Qt::LeftButton);
    p.h.window->close();
    QVERIFY(!p.h.window->Ended() && p.h.window->Scheduled());
    QVERIFY(!p.h.window->isVisible() && !p.h.window->WindowVisible());
    QVERIFY(p.h.prompt.shown.empty());
    p.h.prompt.answers = {Answer::No};
    p.h.window->OnTrayClose();
    QCOMPARE(p.h.prompt.shown.back(),
             std::string("Quitting stops the schedule: Brevora will not run at Mon 07:00. Quit?"));
    QVERIFY(!p.h.window->Ended() && p.h.window->Scheduled());
    p.h.prompt.answers = {Answer::Yes};
    p.h.window->OnTrayClose();
    QVERIFY(p.h.window->Ended() && !p.h.window->Scheduled());
  }

  // Run and Run Now with no channel chosen: a message, no run, no result.
  void runWithoutChannels() {
    Program p;
    p.c().channelList->clear();
    for (QPushButton* button : {p.c().runNowButton, p.c().runButton}) {
      p.h.prompt.shown.clear();
      QTest::mouseClick(button, Qt::LeftButton);
      QCOMPARE(p.h.prompt.shown, std::vector<std::string>{"Choose at least one channel first."});
      QVERIFY(!p.h.window->Running() && !p.h.window->Scheduled());
      QCOMPARE(p.Status(), QString::fromUtf8(kIdle));
    }
    QVERIFY(!p.folder.Exists("work"));
  }
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  TestRunControl test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_run_control.moc"
