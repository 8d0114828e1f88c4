// Renders the program's windows to PNG files, for looking at them:
//   render_windows OUTPUT_FOLDER
// The main window runs over a temporary program folder with the help pages
// and a few channels; nothing is shown on a screen.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "app/about_dlg.h"
#include "app/help_window.h"
#include "fakes/temp_folder.h"
#include "gui/gui_fakes.h"

namespace {

bool Save(QWidget& widget, const QString& folder, const char* name) {
  const QString path = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
  const bool saved = widget.grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: render_windows OUTPUT_FOLDER\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  brevora::testing::TempFolder folder;
  std::filesystem::copy(BREVORA_SOURCE_DIR "/res/help", folder.path() + "help");
  std::filesystem::copy(BREVORA_SOURCE_DIR "/res/icons", folder.path() + "icons");
  folder.Write("Brevora.cfg",
               "WorkingFolder=/home/user/Brevora/work\r\nExecutingFolder=/var/www/news\r\n"
               "StartDownloading=Mon,Wed,Fri\r\nStartTimes=07:00:00,17:30:00\r\n"
               "Channels=World,Sports,Weather,Science and Technology,Demo\r\nFormat=mp3\r\n"
               "Voice=English (Great Britain)\r\nAdvanced=False\r\n");
  brevora::testing::WindowHarness harness;
  harness.Create(folder.path(), std::vector<brevora::VoiceInfo>{{"English (Great Britain)", "en"},
                                                                {"English (America)", "en-us"},
                                                                {"German", "de"}});
  harness.window->OnInitDialog();
  harness.window->Controls().channelList->setCurrentRow(1);
  harness.window->adjustSize();
  bool ok = Save(*harness.window, out, "main_window");

  brevora::CAboutDlg about;
  about.adjustSize();
  ok = Save(about, out, "about_box") && ok;

  brevora::HelpWindow help(folder.path());
  help.ShowContents();
  ok = Save(help, out, "help_window") && ok;
  brevora::HelpWindow missing(folder.path() + "nowhere/");
  missing.ShowContents();
  ok = Save(missing, out, "help_missing") && ok;
  return ok ? 0 : 1;
}
