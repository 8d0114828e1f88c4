// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the program's windows to PNG files, for looking at them:
//   render_windows OUTPUT_FOLDER
// The main window runs over a temporary program folder with the help pages
// and a few channels; nothing is shown on a screen.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "app/about_dlg.h"
#include "app/help_window.h"
#include "app/publishing_dlg.h"
#include "app/share_dlg.h"
#include "app/voices_dlg.h"
#include "channels/gui/channel_list_dlg.h"
#include "channels/gui/create_edit_channel.h"
#include "channels/gui/feed_search_dlg.h"
#include "fakes/temp_folder.h"
#include "gui/gui_fakes.h"
#include "run/feed_search.h"

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
  brevora::CPublishingDlg publishing(folder.path(), harness.prompt, nullptr);
  publishing.adjustSize();
  ok = Save(publishing, out, "publishing") && ok;
  {
    brevora::CShareDlg share(*harness.window, folder.path(), harness.prompt, nullptr);
    share.adjustSize();
    ok = Save(share, out, "share_off") && ok;
    share.findChild<QCheckBox*>(QStringLiteral("shareCheck"))->setChecked(true);
    share.adjustSize();
    ok = Save(share, out, "share_on") && ok;
    ok = Save(*harness.window, out, "main_window_sharing") && ok;
    harness.window->StopSharing();
  }

  {
    folder.Write("Brevora.ini", "[Voices]\nPerArticle=1\nSeen=af,de,en,zu\nzu=the chosen voice\n");
    brevora::CVoicesDlg voices(folder.path(),
                               {{"Afrikaans", "af", "af"},
                                {"English (Great Britain)", "en", "en-gb"},
                                {"German", "de", "de"},
                                {"Zulu", "zu", "zu"}},
                               {"en", "en-gb", "en-gb", {}}, harness.prompt, nullptr);
    voices.adjustSize();
    ok = Save(voices, out, "voices") && ok;
  }

  brevora::HelpWindow help(folder.path());
  help.ShowContents();
  ok = Save(help, out, "help_window") && ok;
  brevora::HelpWindow missing(folder.path() + "nowhere/");
  missing.ShowContents();
  ok = Save(missing, out, "help_missing") && ok;

  // The channel dialogs over a Channels.txt with a local feed of categories.
  folder.Write("feeds/world.xml",
               "<rss><channel>\n\t\t<item><title>Europe</title></item>\n"
               "\t\t<item><title>Asia and Pacific</title></item>\n"
               "\t\t<item><title>Americas</title></item>\n"
               "\t\t<item><title>Africa</title></item>\n</channel></rss>\n");
  folder.Write(
      "Channels.txt",
      "World||feeds/world.xml||||3||||10000||4||0||||0||||100||m#^zzzzz#i||false||false||"
      "false||false||||||reader||||http://example.org/login||m#\\.(?:xml|rdf)$#i||"
      "m#^zzzzz#i\r\nSports||https://example.org/sports.rss||||2||||5000||5||0||||0||||"
      "100||||false||false||false||false||||||||||||||\r\nWeather||||||3||||10000||5||0||||"
      "0||||100||||false||false||false||false||||||||||||||\r\n");
  brevora::ChannelDialogServices services{
      folder.path(), &harness.prompt, &harness.dialogs, {}, nullptr, {}};
  services.runModal = [&](QDialog& dialog) {
    dialog.adjustSize();
    if (auto* list = qobject_cast<brevora::CChannelListDlg*>(&dialog)) {
      list->findChild<QListWidget*>(QStringLiteral("channelListBox"))->item(1)->setSelected(true);
      ok = Save(dialog, out, "channel_list") && ok;
      return int(QDialog::Rejected);
    }
    const bool existing = dialog.windowTitle() == QStringLiteral("Edit Channel");
    auto* categories = dialog.findChild<QListWidget*>(QStringLiteral("categoryList"));
    if (existing && categories->count() > 1) categories->setCurrentRow(1);
    ok = Save(dialog, out, existing ? "editor_basic_edit" : "editor_basic_new") && ok;
    dialog.findChild<QTabWidget*>(QStringLiteral("editorTabs"))->setCurrentIndex(1);
    dialog.adjustSize();
    ok = Save(dialog, out, existing ? "editor_advanced_edit" : "editor_advanced_new") && ok;
    return int(QDialog::Rejected);
  };
  brevora::CChannelListDlg list(services, *harness.window);
  list.DoModal();
  brevora::CCreateEditChannel created(services, std::string());
  created.DoModal();
  brevora::CCreateEditChannel edited(services, "World");
  edited.DoModal();

  // "From address..." after a search that found two feeds.
  struct TwoFeeds : brevora::FeedSearcher {
    brevora::FeedSearch Find(const std::string&, brevora::CancelEvent&) override {
      return {"https://example.org/",
              {{"https://example.org/news.rss",
                "Example News: Top Stories",
                40,
                {"Council agrees on the new school budget", "Rail strike called off",
                 "Storm warning for the coast"},
                "en-GB"},
               {"https://example.org/world/atom.xml",
                "Example News: World",
                25,
                {"Talks resume in Geneva"},
                "en-GB"}},
              ""};
    }
  } searcher;
  brevora::CFeedSearchDlg feeds(services, searcher, {"World", "Sports", "Weather"});
  feeds.findChild<QLineEdit*>(QStringLiteral("addressEdit"))
      ->setText(QStringLiteral("example.org"));
  QEventLoop loop;
  QObject::connect(&feeds, &brevora::CFeedSearchDlg::searchEnded, &loop, &QEventLoop::quit);
  feeds.OnFind();
  loop.exec();
  feeds.adjustSize();
  ok = Save(feeds, out, "feed_search") && ok;
  return ok ? 0 : 1;
}
