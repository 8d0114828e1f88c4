// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimeEdit>

#include "app/command_line_options.h"
#include "app/help_window.h"
#include "config/autostart.h"
#include "config/configuration.h"
#include "fakes/temp_folder.h"
#include "gui/gui_fakes.h"

using namespace brevora;
using brevora::testing::TempFolder;
using brevora::testing::WindowHarness;

namespace {

const char kNoFile[] = "Config file does not exist! The default parameters will be used!";
const char kTextOnly[] =
    "Text-to-speech software has not been installed!\nCurrently, only text format is available!";
const char kQuestion[] = "Do you want to save changes into Brevora.cfg file?";

const std::vector<VoiceInfo> kVoices{
    {"Zulu", "zu", "zu"}, {"Afrikaans", "af", "af"}, {"English", "en", "en-gb"}};

std::string WriterFile(const std::string& format, const std::string& voice,
                       const std::string& channels = "World,Sports,Weather") {
  return "WorkingFolder=/w\r\nExecutingFolder=/e\r\nStartDownloading=Mon\r\n"
         "StartTimes=07:00:00,17:00:00\r\nChannels=" +
         channels + "\r\nFormat=" + format + "\r\nVoice=" + voice + "\r\nAdvanced=False\r\n";
}

std::vector<std::string> Texts(const QListWidget& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
  return texts;
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  // First start: the message, the default file, a backup equal to it, and the
  // voice box sorted; the default file's empty voice selects the voice of the
  // user's language, and a voice the engine does not have selects it too.
  void startsWithoutConfiguration() {
    TempFolder folder;
    WindowHarness h;
    qputenv("LC_ALL", "");
    qputenv("LC_MESSAGES", "");
    qputenv("LANG", "en_GB.UTF-8");
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    QCOMPARE(h.prompt.shown, std::vector<std::string>{kNoFile});
    QCOMPARE(folder.Read("Brevora.cfg"), DefaultConfigurationText(folder.path()));
    QCOMPARE(folder.Read("Brevora.bak"), folder.Read("Brevora.cfg"));
    const MainWindowControls& c = h.window->Controls();
    QCOMPARE(c.voiceCombo->itemText(0), QStringLiteral("Afrikaans"));
    QCOMPARE(c.voiceCombo->currentText(), QStringLiteral("English"));
    QCOMPARE(c.voiceCombo->currentData().toString(), QStringLiteral("en"));
    h.window->Record().voiceName = "Klingon";
    h.window->PutControlValues();
    QCOMPARE(c.voiceCombo->currentText(), QStringLiteral("English"));
    h.window->Record().voiceName = "Zulu";
    h.window->PutControlValues();
    QCOMPARE(c.voiceCombo->currentText(), QStringLiteral("Zulu"));
    QCOMPARE(c.workingFolderEdit->text().toStdString(), folder.path());
    QVERIFY(c.dayChecks[0]->isChecked() && !c.dayChecks[1]->isChecked());
    QCOMPARE(c.firstStartTimeEdit->time(), QTime(7, 0));
    QCOMPARE(c.secondStartTimeEdit->time(), QTime(17, 0));
    QCOMPARE(c.formatCombo->currentText(), QStringLiteral("text"));
    QVERIFY(c.formatCombo->isEnabled() && c.voiceCombo->isEnabled());
  }

  // No engine: text-only mode with its message after the configuration's;
  // the box shows "text" over the file's "mp3" and the next write stores it.
  void textOnlyMode() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("mp3", ""));
    WindowHarness h;
    h.Create(folder.path(), std::nullopt);
    QVERIFY(h.window->OnInitDialog());
    QCOMPARE(h.prompt.shown, std::vector<std::string>{kTextOnly});
    const MainWindowControls& c = h.window->Controls();
    QCOMPARE(c.formatCombo->currentText(), QStringLiteral("text"));
    QVERIFY(!c.formatCombo->isEnabled() && !c.voiceCombo->isEnabled());
    h.prompt.answers = {Answer::Yes};
    QTest::mouseClick(c.exitButton, Qt::LeftButton);
    QVERIFY(h.window->Ended());
    QCOMPARE(folder.Read("Brevora.cfg"), WriterFile("text", ""));
  }

  // An engine without voices still counts as speech: no message.
  void engineWithoutVoices() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("wav", ""));
    WindowHarness h;
    h.Create(folder.path(), std::vector<VoiceInfo>{});
    QVERIFY(h.window->OnInitDialog());
    QVERIFY(h.prompt.shown.empty());
    QVERIFY(h.window->Controls().formatCombo->isEnabled());
  }

  // The channel list's buttons and AddChannel, with their edge cases.
  void channelList() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("text", "", "News Weekly,Sports,Weather"));
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    const MainWindowControls& c = h.window->Controls();
    using Names = std::vector<std::string>;
    QTest::mouseClick(c.upButton, Qt::LeftButton);  // nothing selected
    QCOMPARE(Texts(*c.channelList), (Names{"News Weekly", "Sports", "Weather"}));
    c.channelList->setCurrentRow(0);
    QTest::mouseClick(c.upButton, Qt::LeftButton);
    QCOMPARE(c.channelList->currentRow(), 0);
    QVERIFY(c.channelList->currentItem()->isSelected());
    QTest::mouseClick(c.downButton, Qt::LeftButton);
    QTest::mouseClick(c.downButton, Qt::LeftButton);
    QTest::mouseClick(c.downButton, Qt::LeftButton);  // last stays last
    QCOMPARE(Texts(*c.channelList), (Names{"Sports", "Weather", "News Weekly"}));
    QCOMPARE(c.channelList->currentRow(), 2);
    QVERIFY(c.channelList->currentItem()->isSelected());
    QTest::mouseClick(c.removeButton, Qt::LeftButton);
    QCOMPARE(Texts(*c.channelList), (Names{"Sports", "Weather"}));
    QVERIFY(c.channelList->selectedItems().isEmpty());
    h.window->AddChannel("News Weekly");
    h.window->AddChannel("News");
    h.window->AddChannel("news weekly");
    h.window->AddChannel("SPORTS");
    QCOMPARE(Texts(*c.channelList), (Names{"Sports", "Weather", "News Weekly", "News"}));
    h.window->RemoveChannel("News Weekly");
    QCOMPARE(Texts(*c.channelList), (Names{"Sports", "Weather", "News"}));
    // The list is written in its order; no file is written before that.
    QCOMPARE(folder.Read("Brevora.cfg"), WriterFile("text", "", "News Weekly,Sports,Weather"));
  }

  // "Exit" answered Cancel keeps the window and Brevora.cfg as it was (the
  // change stays in the controls); No then restores the backup and ends the
  // window.
  void exitAnsweredCancelThenNo() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("text", "English"));
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    const std::string original = folder.Read("Brevora.cfg");
    h.window->Controls().dayChecks[4]->setChecked(true);
    h.prompt.answers = {Answer::Cancel};
    QTest::mouseClick(h.window->Controls().exitButton, Qt::LeftButton);
    QVERIFY(!h.window->Ended());
    QVERIFY(h.prompt.cancelOffered.back());
    QCOMPARE(folder.Read("Brevora.cfg"), original);
    QVERIFY(h.window->Controls().dayChecks[4]->isChecked());
    h.prompt.answers = {Answer::No};
    QTest::mouseClick(h.window->Controls().exitButton, Qt::LeftButton);
    QVERIFY(h.window->Ended());
    QCOMPARE(folder.Read("Brevora.cfg"), original);
    QVERIFY(h.prompt.unexpected.empty());
  }

  // Closing (and Escape, which closes) asks with Yes and No only.
  void closeAndEscapeAskYesNo() {
    for (bool escape : {false, true}) {
      TempFolder folder;
      folder.Write("Brevora.cfg", WriterFile("text", "English"));
      WindowHarness h;
      h.Create(folder.path(), kVoices);
      QVERIFY(h.window->OnInitDialog());
      h.window->Controls().workingFolderEdit->setText(QStringLiteral("/srv/news"));
      h.prompt.answers = {Answer::Yes};
      if (escape) {
        h.window->show();
        QTest::keyClick(h.window.get(), Qt::Key_Escape);
      } else {
        h.window->close();
      }
      QVERIFY(h.window->Ended());
      QCOMPARE(h.prompt.shown, std::vector<std::string>{kQuestion});
      QVERIFY(!h.prompt.cancelOffered.back());
      QVERIFY(folder.Read("Brevora.cfg").find("WorkingFolder=/srv/news\r\n") != std::string::npos);
    }
  }

  // "Load Config..." and "Save Config...": the dialogs' settings, a file that
  // cannot be opened, and what each writes.
  void loadAndSaveConfiguration() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("text", "English"));
    const std::string other = folder.Write("other.cfg", WriterFile("wav", "Zulu", "A,B"));
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    const MainWindowControls& c = h.window->Controls();

    h.dialogs.paths = {folder.path()};  // a folder cannot be read
    QTest::mouseClick(c.loadConfigButton, Qt::LeftButton);
    QCOMPARE(h.prompt.shown, std::vector<std::string>{"The file could not be accessed!"});
    QCOMPARE(c.formatCombo->currentText(), QStringLiteral("text"));
    const FileDialogRequest& request = h.dialogs.requests.back();
    QCOMPARE(request.proposedName, std::string("Brevora"));
    QCOMPARE(request.defaultSuffix, std::string("cfg"));
    QCOMPARE(request.filters, (std::vector<std::string>{"Config Files (*.cfg)", "All Files (*)"}));

    h.dialogs.paths = {other};
    QTest::mouseClick(c.loadConfigButton, Qt::LeftButton);
    QCOMPARE(c.formatCombo->currentText(), QStringLiteral("wav"));
    QCOMPARE(c.voiceCombo->currentText(), QStringLiteral("Zulu"));
    QCOMPARE(Texts(*c.channelList), (std::vector<std::string>{"A", "B"}));
    QCOMPARE(folder.Read("Brevora.cfg"), WriterFile("text", "English"));  // nothing written

    h.dialogs.paths = {std::nullopt};  // cancelled
    QTest::mouseClick(c.saveConfigButton, Qt::LeftButton);
    QVERIFY(!folder.Exists("saved.cfg"));
    h.dialogs.paths = {folder.path() + "saved.cfg"};
    QTest::mouseClick(c.saveConfigButton, Qt::LeftButton);
    QCOMPARE(folder.Read("saved.cfg"), WriterFile("wav", "Zulu", "A,B"));
    QCOMPARE(folder.Read("Brevora.bak"), folder.Read("Brevora.cfg"));
    h.dialogs.paths = {folder.path()};  // a folder cannot be written
    QTest::mouseClick(c.saveConfigButton, Qt::LeftButton);
    QCOMPARE(h.prompt.shown.size(), size_t{2});
    QVERIFY(!h.window->Ended());
  }

  // One window per data folder: a second one is refused with a message. The
  // window's "Start at login" writes and removes the autostart entry.
  void oneWindowPerDataFolderAndStartAtLogin() {
    TempFolder folder;
    WindowHarness first, second;
    first.Create(folder.path(), kVoices);
    QVERIFY(first.window->OnInitDialog());
    second.Create(folder.path(), kVoices);
    QVERIFY(!second.window->OnInitDialog());
    QCOMPARE(second.prompt.shown.back(),
             "Brevora is already running with the data folder\n\n" + folder.path() +
                 "\n\nOnly one window may use a data folder at a time.");
    second.window.reset();
    QVERIFY(!first.window->StartsAtLogin());
    first.window->SetStartAtLogin(true);
    QVERIFY(first.window->StartsAtLogin());
    QCOMPARE(folder.Read("autostart/brevora.desktop"), AutostartEntry(folder.path() + "Brevora"));
    first.window->SetStartAtLogin(false);
    QVERIFY(!first.window->StartsAtLogin() && !folder.Exists("autostart/brevora.desktop"));
  }

  // Nothing is asked at Exit when nothing changed: the default voice shown
  // for an empty "Voice=" is written back empty. Enter in a text field opens
  // no dialog; F1 opens the help.
  void quietExitAndKeys() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("mp3", ""));
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    QVERIFY(!h.window->Controls().voiceCombo->currentText().isEmpty());
    QTest::keyClick(h.window->Controls().workingFolderEdit, Qt::Key_Return);
    QTest::keyClick(h.window->Controls().executingFolderEdit, Qt::Key_Enter);
    QVERIFY(h.dialogs.requests.empty() && h.modal.unexpected.empty() && !h.window->Ended());
    h.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    QTRY_VERIFY(h.window->Controls().workingFolderEdit->hasFocus());
    QTRY_VERIFY(!h.window->Controls().workingFolderEdit->hasSelectedText());
    QTest::keyClick(h.window.get(), Qt::Key_F1);
    QVERIFY(h.window->findChild<HelpWindow*>() != nullptr);
    QTest::mouseClick(h.window->Controls().exitButton, Qt::LeftButton);
    QVERIFY(h.window->Ended());
    QVERIFY(h.prompt.shown.empty());
    QCOMPARE(folder.Read("Brevora.cfg"), WriterFile("mp3", ""));
  }

  // One click on the tray icon shows the window, or hides it when it is
  // shown; the icon's tooltip is the status line's first line.
  void trayClick() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("text", ""));
    WindowHarness h;
    h.trayAvailable = [] { return true; };
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    h.window->show();
    auto* tray = h.window->findChild<QSystemTrayIcon*>();
    QVERIFY(tray != nullptr);
    QCOMPARE(
        tray->toolTip(),
        QStringLiteral("Brevora: Idle. Run starts the schedule; Run Now makes one run at once."));
    emit tray->activated(QSystemTrayIcon::Trigger);
    QVERIFY(!h.window->isVisible() && !h.window->WindowVisible());
    emit tray->activated(QSystemTrayIcon::Trigger);
    QVERIFY(h.window->isVisible() && h.window->WindowVisible());
    emit tray->activated(QSystemTrayIcon::Context);  // the menu's own click
    QVERIFY(h.window->isVisible());
  }

  // "Start at login" from a window started with --data-folder starts the
  // program with that folder.
  void startAtLoginKeepsTheDataFolder() {
    TempFolder folder;
    WindowHarness h;
    h.dataFolderOption = folder.path();
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    h.window->SetStartAtLogin(true);
    QCOMPARE(folder.Read("autostart/brevora.desktop"),
             AutostartEntry(folder.path() + "Brevora", folder.path()));
    QVERIFY(folder.Read("autostart/brevora.desktop").find(" --data-folder " + folder.path()) !=
            std::string::npos);
  }

  // "Voices for languages...": the languages met and those set, each with its
  // own voice, the chosen one, or any voice; OK writes [Voices] whole and
  // keeps the other sections of Brevora.ini.
  void voicesForLanguages() {
    TempFolder folder;
    folder.Write("Brevora.ini",
                 "[Publishing]\nPodcastAddress=http://x/\n\n[Voices]\n"
                 "PerArticle=1\nSeen=af,de\nzu=Zulu\n");
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    h.modal.steps = {[](QDialog& dialog) {
      auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("languagesTable"));
      [&] {
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("af"));
        const auto box = [&](const char* language) {
          return dialog.findChild<QComboBox*>(QStringLiteral("voiceFor_") + language);
        };
        QCOMPARE(box("af")->currentText(), QStringLiteral("Its own (Afrikaans)"));
        QCOMPARE(box("de")->currentText(),
                 QStringLiteral("Its own (none installed: the chosen voice)"));
        QCOMPARE(box("zu")->currentText(), QStringLiteral("Zulu"));
        box("de")->setCurrentIndex(box("de")->findText(QStringLiteral("the chosen voice")));
        box("zu")->setCurrentIndex(0);
        dialog.findChild<QCheckBox*>(QStringLiteral("perArticleCheck"))->setChecked(false);
      }();
      dialog.accept();
      return dialog.result();
    }};
    h.window->OnVoices();
    QVERIFY(h.modal.steps.empty());
    QCOMPARE(folder.Read("Brevora.ini"),
             std::string("[Publishing]\nPodcastAddress=http://x/\n\n[Voices]\nPerArticle=0\n"
                         "Seen=af,de\nde=the chosen voice\n"));
  }

  // The command line: every option, and what is refused with a reason.
  void commandLine() {
    const auto parse = [](QStringList arguments) {
      arguments.prepend(QStringLiteral("brevora"));
      return ParseCommandLine(arguments);
    };
    CommandLineOptions none = parse({});
    QVERIFY(!none.runNow && !none.help && !none.version && none.dataFolder.empty());
    QVERIFY(none.error.empty());
    CommandLineOptions run = parse({"--run-now", "--data-folder", "/srv/news"});
    QVERIFY(run.runNow && run.error.empty());
    QCOMPARE(run.dataFolder, std::string("/srv/news"));
    QCOMPARE(parse({"--data-folder=/d"}).dataFolder, std::string("/d"));
    QVERIFY(parse({"-v"}).version && parse({"--help"}).help);
    CommandLineOptions login = parse({"--minimized", "--start-schedule"});
    QVERIFY(login.minimized && login.startSchedule && !login.scheduled);
    QVERIFY(parse({"--scheduled"}).scheduled);
    QVERIFY(!parse({"--run-now", "--scheduled"}).error.empty());
    QCOMPARE(parse({"--bogus"}).error, std::string("Unknown option 'bogus'."));
    QVERIFY(!parse({"--data-folder"}).error.empty());
    QVERIFY(!parse({"--data-folder="}).error.empty());
    QCOMPARE(parse({"now"}).error, std::string("Unknown argument: now"));
    QCOMPARE(parse({"--scheduled", "--share"}).sharePort, 8642);
    QCOMPARE(parse({"--run-now", "--share=9000"}).sharePort, 9000);
    QCOMPARE(parse({"--run-now"}).sharePort, 0);
    QVERIFY(!parse({"--run-now", "--share=0"}).error.empty());
    QVERIFY(!parse({"--run-now", "--share=http"}).error.empty());
    QVERIFY(!parse({"--share"}).error.empty());  // the window has its own dialog
    CommandLineOptions add = parse({"--add-channel", "example.org", "--name", "Ex", "--feed", "2"});
    QVERIFY(add.error.empty());
    QCOMPARE(add.addChannel + "|" + add.channelName + "|" + std::to_string(add.feedNumber),
             std::string("example.org|Ex|2"));
    QVERIFY(!parse({"--add-channel", "a", "--feed", "0"}).error.empty());
    QVERIFY(!parse({"--feed", "1"}).error.empty());
    QVERIFY(!parse({"--add-channel", "a", "--import-opml", "f"}).error.empty());
    QVERIFY(!parse({"--channels", "--run-now"}).error.empty());
    CommandLineOptions config = parse({"--config", "Format=mp3", "Channels=A B"});
    QVERIFY(config.config && config.error.empty());
    QCOMPARE(config.settings, (std::vector<std::string>{"Format=mp3", "Channels=A B"}));
    QVERIFY(parse({"--config"}).settings.empty());
    QCOMPARE(parse({"--export-opml", "x.opml"}).exportOpml, std::string("x.opml"));
    for (const char* option : {"--run-now", "--add-channel", "--import-opml", "--export-opml",
                               "--channels", "--config"}) {
      QVERIFY(CommandLineHelp().contains(QLatin1String(option)));
    }
  }

  // "Publishing...": an address that is no http or https address with a host
  // is named and the dialog stays; a good one is written into Brevora.ini.
  void publishingDialog() {
    TempFolder folder;
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    h.prompt.shown.clear();
    h.modal.steps = {[](QDialog& dialog) {
      auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("addressEdit"));
      auto* email = dialog.findChild<QLineEdit*>(QStringLiteral("emailEdit"));
      edit->setText(QStringLiteral("myserver/news"));
      dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
      if (dialog.result() == QDialog::Accepted) return -1;
      edit->setText(QStringLiteral(" http://myserver/news/ "));
      email->setText(QStringLiteral("jo at example.org"));
      dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
      if (dialog.result() == QDialog::Accepted) return -1;
      email->setText(QStringLiteral(" jo@example.org "));
      dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
      return dialog.result();
    }};
    h.window->OnPublishing();
    QVERIFY(h.modal.steps.empty());
    QCOMPARE(h.prompt.shown,
             (std::vector<std::string>{"The podcast address must be an http or https address with "
                                       "a host, such as http://myserver/news/",
                                       "The owner's e-mail address must look like "
                                       "name@example.org."}));
    QCOMPARE(folder.Read("Brevora.ini"),
             std::string("[Publishing]\nPodcastAddress=http://myserver/news/\n"
                         "OwnerEmail=jo@example.org\n"));
  }

  // The combo boxes: towards the box the first item that begins with the
  // value, else the value itself in the edit field; from the box its text.
  void comboBoxDataExchange() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("TE", "English"));
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    const MainWindowControls& c = h.window->Controls();
    QCOMPARE(h.window->Record().outputFormat, std::string("TE"));
    QCOMPARE(c.formatCombo->currentText(), QStringLiteral("text"));
    h.window->Record().outputFormat = "ogg";
    h.window->Record().voiceName = "eng";
    h.window->PutControlValues();
    QCOMPARE(c.formatCombo->currentText(), QStringLiteral("ogg"));
    QCOMPARE(c.formatCombo->currentIndex(), -1);
    QCOMPARE(c.voiceCombo->currentText(), QStringLiteral("English"));
    h.window->TakeControlValues();
    QCOMPARE(h.window->Record().outputFormat, std::string("ogg"));
    QCOMPARE(h.window->Record().voiceName, std::string("English"));
  }

  // "Browse...": the folder dialog's title and start, the chosen folder
  // without its trailing "/", and a cancel that changes nothing.
  void browseFolders() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("text", "English"));
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    const MainWindowControls& c = h.window->Controls();
    h.dialogs.paths = {"/srv/news/", std::nullopt};
    c.executingFolderEdit->setText(QStringLiteral("/typed"));
    QTest::mouseClick(c.workingBrowseButton, Qt::LeftButton);
    QCOMPARE(h.dialogs.requests.back().title, std::string("Select the working folder"));
    QCOMPARE(h.dialogs.requests.back().folder, folder.path());
    QCOMPARE(c.workingFolderEdit->text(), QStringLiteral("/srv/news/"));
    QCOMPARE(c.executingFolderEdit->text(), QStringLiteral("/e"));  // members to all controls
    QTest::mouseClick(c.executingBrowseButton, Qt::LeftButton);
    QCOMPARE(h.dialogs.requests.back().title, std::string("Select the executing folder"));
    QCOMPARE(c.executingFolderEdit->text(), QStringLiteral("/e"));
  }

  // Help without its pages shows a page saying so.
  void helpWithoutPages() {
    TempFolder folder;
    folder.Write("Brevora.cfg", WriterFile("text", "English"));
    WindowHarness h;
    h.Create(folder.path(), kVoices);
    QVERIFY(h.window->OnInitDialog());
    QTest::mouseClick(h.window->Controls().helpButton, Qt::LeftButton);
    auto* browser = h.window->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
    QVERIFY(browser != nullptr);
    QVERIFY(browser->toPlainText().contains(QStringLiteral("not found")));
    QVERIFY(h.prompt.shown.empty());
  }
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  TestMainWindow test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_main_window.moc"
