// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "channels/channel_editor_rules.h"
#include "channels/channel_file.h"
#include "channels/feed_channels.h"
#include "channels/feed_file.h"
#include "channels/gui/feed_search_dlg.h"
#include "fakes/temp_folder.h"
#include "gui/gui_fakes.h"
#include "run/feed_search.h"

using namespace brevora;
using brevora::testing::TempFolder;
using brevora::testing::WindowHarness;

namespace {

using Names = std::vector<std::string>;
using Step = std::function<int(QDialog&)>;

const char kFeed[] =
    "<rss><channel>\r\n\t\t<item><title>A</title></item>\r\n\t\t<item><title>B</title></item>\r\n"
    "\t\t<item><title>C</title></item>\r\n</channel></rss>\r\n";

template <typename Control>
Control* Find(QWidget& parent, const char* name) {
  auto* control = parent.findChild<Control*>(QString::fromUtf8(name));
  if (control == nullptr) qFatal("no control %s", name);
  return control;
}

// A modal step: the checks and actions of `body` on the dialog, then its result.
Step Act(std::function<void(QDialog&)> body) {
  return [body](QDialog& dialog) {
    body(dialog);
    return dialog.result();
  };
}

Names Texts(const QListWidget& list) {
  Names texts;
  for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
  return texts;
}

void Select(QListWidget& list, const Names& names) {
  list.clearSelection();
  for (int i = 0; i < list.count(); ++i) {
    const std::string text = list.item(i)->text().toStdString();
    if (std::find(names.begin(), names.end(), text) != names.end()) list.item(i)->setSelected(true);
  }
}

void Click(QWidget& dialog, const char* name) {
  Find<QPushButton>(dialog, name)->click();
}

void ShowTab(QWidget& editor, int index) {
  Find<QTabWidget>(editor, "editorTabs")->setCurrentIndex(index);
}

void ChooseScheme(QWidget& editor, int index) {
  QComboBox* scheme = Find<QComboBox>(editor, "schemeCombo");
  scheme->setCurrentIndex(index);
  emit scheme->activated(index);
}

std::string Line(const ChannelRecord& record) {
  std::string line;
  FormatChannel(record, line);
  return line + "\r\n";
}

ChannelRecord Channel(const std::string& name, const std::string& url = {}) {
  ChannelRecord record;
  record.name = name;
  record.url = url;
  return record;
}

std::string ConfigurationText(const std::string& channels) {
  return "WorkingFolder=/w\r\nExecutingFolder=/e\r\nStartDownloading=Mon\r\n"
         "StartTimes=07:00:00,17:00:00\r\nChannels=" +
         channels + "\r\nFormat=text\r\nVoice=\r\nAdvanced=False\r\n";
}

Names Titles(const std::string& path) {
  FeedFile feed;
  testing::GuiPrompt prompt;
  feed.OpenFeed(path, prompt);
  feed.CollectItems();
  return feed.titles;
}

// Answers a search once the test releases it, or "cancelled" when the
// dialog cancels it first; tells which.
class GatedSearcher : public FeedSearcher {
 public:
  FeedSearch answer;
  std::atomic<bool> cancelled{false};
  std::vector<std::string> addresses;

  FeedSearch Find(const std::string& address, CancelEvent& cancel) override {
    std::unique_lock<std::mutex> lock(mutex_);
    addresses.push_back(address);
    while (!released_) {
      if (cancel.IsSet()) {
        cancelled = true;
        return {address, {}, "cancelled"};
      }
      changed_.wait_for(lock, std::chrono::milliseconds(5));
    }
    released_ = false;
    return answer;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
};

}  // namespace

class TestChannelDialogs : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempFolder> folder_;  // both new for every test
  std::unique_ptr<WindowHarness> h_;

  // A main window over Channels.txt, the feed file and a configuration whose
  // run list is `runList`.
  void Open(const std::string& channels, const std::string& runList) {
    folder_->Write("Channels.txt", channels);
    folder_->Write("feeds/world.xml", kFeed);
    folder_->Write("Brevora.cfg", ConfigurationText(runList));
    h_->Create(folder_->path(), std::vector<VoiceInfo>{{"English", "en"}});
    QVERIFY(h_->window->OnInitDialog());
    QVERIFY(h_->prompt.shown.empty());
  }

  void PressAdd() { h_->window->Controls().addButton->click(); }

  // The feed dialog's search, started from the address field with Enter.
  static void Search(QDialog& dialog, const QString& address) {
    QLineEdit* edit = Find<QLineEdit>(dialog, "addressEdit");
    edit->setText(address);
    QTest::keyClick(edit, Qt::Key_Return);
  }

 private slots:
  void init() {
    h_.reset();
    folder_ = std::make_unique<TempFolder>();
    h_ = std::make_unique<WindowHarness>();
  }

  void cleanup() {
    QVERIFY(h_->modal.steps.empty());
    QCOMPARE(h_->modal.unexpected, Names{});
    QCOMPARE(h_->prompt.unexpected, Names{});
  }

  // "Add", "Create" with the new channel's defaults on both pages, a URL typed
  // on "Advanced" filling the categories, then "OK" with two names selected:
  // the file holds the new line as the core writes it, and the run list gains
  // only the name it did not hold.
  void createFromTheMainWindow() {
    const std::string original = Line(Channel("World"));
    Open(original, "World");
    h_->modal.steps = {
        Act([](QDialog& list) {
          QListWidget* names = Find<QListWidget>(list, "channelListBox");
          QCOMPARE(Texts(*names), Names{"World"});
          Click(list, "createButton");
          QCOMPARE(Texts(*names), (Names{"World", "News"}));
          Select(*names, {"World", "News"});
          Click(list, "okButton");
        }),
        Act([](QDialog& editor) {
          QCOMPARE(editor.windowTitle(), QStringLiteral("Create Channel"));
          QLineEdit* name = Find<QLineEdit>(editor, "nameEdit");
          QCOMPARE(name->text(), QStringLiteral("New Channel"));
          QVERIFY(name->isEnabled());
          QCOMPARE(Find<QSpinBox>(editor, "categoryCountSpin")->value(), 5);
          QListWidget* categories = Find<QListWidget>(editor, "categoryList");
          QVERIFY(categories->isEnabled() && categories->count() == 0);
          QVERIFY(!Find<QCheckBox>(editor, "cookiesCheck")->isChecked());
          QVERIFY(!Find<QLineEdit>(editor, "userNameEdit")->isEnabled());
          QCOMPARE(Find<QLineEdit>(editor, "passwordEdit")->echoMode(), QLineEdit::Password);
          QVERIFY(!Find<QLineEdit>(editor, "passwordEdit")->isEnabled());
          name->setText(QStringLiteral("News"));

          ShowTab(editor, 1);
          QCOMPARE(Find<QComboBox>(editor, "schemeCombo")->currentText(), QStringLiteral("file"));
          QVERIFY(Find<QPushButton>(editor, "browseButton")->isEnabled());
          QCOMPARE(Find<QSpinBox>(editor, "crawlDepthSpin")->value(), 3);
          QCOMPARE(Find<QComboBox>(editor, "numberOfCharactersCombo")->currentText(),
                   QStringLiteral("10000"));
          QCOMPARE(Find<QSpinBox>(editor, "linesToSkipSpin")->value(), 0);
          QCOMPARE(Find<QLineEdit>(editor, "linksInLeafNodeEdit")->text(), QStringLiteral("0"));
          QCOMPARE(Find<QLineEdit>(editor, "linksForExtraFilteringEdit")->text(),
                   QStringLiteral("100"));
          for (const char* flag : {"useParagraphTagCombo", "paragraphEndExistsCombo",
                                   "useSpanTagCombo", "useRemarkStringCombo"}) {
            QCOMPARE(Find<QComboBox>(editor, flag)->currentText(), QStringLiteral("false"));
          }
          QCOMPARE(Find<QLineEdit>(editor, "negativeLinkFilterEdit")->text().toStdString(),
                   std::string(kDefaultNegativeLinkFilter));
          QCOMPARE(Find<QLineEdit>(editor, "rssFilterEdit")->text().toStdString(),
                   std::string(kDefaultRssFilter));
          QCOMPARE(Find<QLineEdit>(editor, "negativeLinkTextFilterEdit")->text().toStdString(),
                   std::string(kDefaultNegativeLinkTextFilter));
          QVERIFY(!Find<QLineEdit>(editor, "loginUrlEdit")->isEnabled());
          Find<QLineEdit>(editor, "urlEdit")->setText(QStringLiteral("feeds/world.xml"));

          ShowTab(editor, 0);
          QCOMPARE(Texts(*categories), (Names{"A", "B", "C"}));
          Find<QSpinBox>(editor, "categoryCountSpin")->setValue(3);
          Click(editor, "okButton");
        }),
    };
    PressAdd();

    ChannelRecord news = Channel("News", "feeds/world.xml");
    news.categoriesToDownload = 3;
    news.negativeLinkFilter = kDefaultNegativeLinkFilter;
    news.rssFilter = kDefaultRssFilter;
    news.negativeLinkTextFilter = kDefaultNegativeLinkTextFilter;
    QCOMPARE(folder_->Read("Channels.txt"), TextWithChannel(original, news));
    QCOMPARE(h_->window->ChannelNames(), (Names{"World", "News"}));
    QCOMPARE(h_->prompt.shown, Names{});
  }

  // Names: "News" beside "NewsWorld" asks nothing and, with "Advanced" never
  // shown, stores the record defaults; "news" asks, No shows the editor again
  // with the stored values and Cancel then writes nothing; Yes adds "news" as
  // a line of its own. Irregular names and texts that would break the line
  // are never written.
  void createNamesAndOverwrites() {
    Open(Line(Channel("NewsWorld")), "");
    const auto named = [](const char* text, int count = 5) {
      return Act([text, count](QDialog& editor) {
        Find<QLineEdit>(editor, "nameEdit")->setText(QString::fromUtf8(text));
        Find<QSpinBox>(editor, "categoryCountSpin")->setValue(count);
        Click(editor, "okButton");
      });
    };
    std::string expected = Line(Channel("NewsWorld"));
    h_->modal.steps = {
        Act([&](QDialog& list) {
          Click(list, "createButton");
          expected = TextWithChannel(expected, Channel("News"));
          QCOMPARE(folder_->Read("Channels.txt"), expected);

          h_->prompt.answers = {Answer::No};
          Click(list, "createButton");
          QCOMPARE(folder_->Read("Channels.txt"), expected);

          h_->prompt.answers = {Answer::Yes};
          Click(list, "createButton");
          expected = TextWithChannel(expected, Channel("news"));  // a line of its own
          QCOMPARE(folder_->Read("Channels.txt"), expected);

          Click(list, "createButton");  // "1st"
          Click(list, "createButton");  // "A||B", then Cancel
          QCOMPARE(folder_->Read("Channels.txt"), expected);
          QCOMPARE(Texts(*Find<QListWidget>(list, "channelListBox")),
                   (Names{"NewsWorld", "News", "news"}));
          list.reject();
        }),
        named("News"),
        named("news", 7),
        Act([](QDialog& editor) {
          QCOMPARE(Find<QLineEdit>(editor, "nameEdit")->text(), QStringLiteral("New Channel"));
          QCOMPARE(Find<QSpinBox>(editor, "categoryCountSpin")->value(), 7);
          Click(editor, "cancelButton");
        }),
        named("news"),
        named("1st"),
        Act([](QDialog& editor) {
          Find<QLineEdit>(editor, "nameEdit")->setText(QStringLiteral("A||B"));
          Click(editor, "okButton");
          QCOMPARE(editor.result(), int(QDialog::Rejected));  // still open
          QCOMPARE(Find<QLineEdit>(editor, "nameEdit")->text(), QStringLiteral("A||B"));
          Click(editor, "cancelButton");
        }),
    };
    PressAdd();
    QCOMPARE(
        h_->prompt.shown,
        (Names{kOverwriteChannelQuestion, kOverwriteChannelQuestion,
               "The name of the channel must start with an alphanumeric!", kIrregularChannelName,
               "The field \"Name\" cannot contain \"||\" or a line break, and cannot end "
               "with \"|\"!"}));
  }

  // Every field of both pages typed, a range message for a count above 100
  // first, then "OK": the written line holds every value in its place. A new
  // channel named as the file's first line asks before it is added.
  void everyFieldReachesItsPlace() {
    const std::string original = Line(Channel("World"));
    Open(original, "");
    h_->modal.steps = {
        Act([](QDialog& list) {
          Click(list, "createButton");
          Click(list, "createButton");
          list.reject();
        }),
        Act([this](QDialog& editor) {
          Find<QLineEdit>(editor, "nameEdit")->setText(QStringLiteral("Full"));
          Find<QCheckBox>(editor, "cookiesCheck")->click();
          Find<QLineEdit>(editor, "userNameEdit")->setText(QStringLiteral("reader"));
          Find<QLineEdit>(editor, "passwordEdit")->setText(QStringLiteral("s3cret"));
          ShowTab(editor, 1);
          Find<QLineEdit>(editor, "urlEdit")->setText(QStringLiteral("feeds/world.xml"));
          Find<QLineEdit>(editor, "webSiteUrlsEdit")->setText(QStringLiteral("example.org"));
          Find<QSpinBox>(editor, "crawlDepthSpin")->setValue(4);
          Find<QComboBox>(editor, "numberOfCharactersCombo")->setEditText(QStringLiteral("2500"));
          Find<QSpinBox>(editor, "linesToSkipSpin")->setValue(2);
          Find<QLineEdit>(editor, "linkFilterEdit")->setText(QStringLiteral("m#news#"));
          Find<QLineEdit>(editor, "linksInLeafNodeEdit")->setText(QStringLiteral("20"));
          Find<QLineEdit>(editor, "extraLinkFilterEdit")->setText(QStringLiteral("m#story#"));
          Find<QLineEdit>(editor, "linksForExtraFilteringEdit")->setText(QStringLiteral("101"));
          Find<QLineEdit>(editor, "negativeLinkFilterEdit")->setText(QStringLiteral("m#ads#"));
          Find<QComboBox>(editor, "useParagraphTagCombo")->setCurrentIndex(1);
          Find<QComboBox>(editor, "paragraphEndExistsCombo")->setCurrentIndex(1);
          Find<QComboBox>(editor, "useSpanTagCombo")->setCurrentIndex(1);
          Find<QComboBox>(editor, "useRemarkStringCombo")->setCurrentIndex(1);
          Find<QLineEdit>(editor, "startRemarkStringEdit")->setText(QStringLiteral("<!--s-->"));
          Find<QLineEdit>(editor, "endRemarkStringEdit")->setText(QStringLiteral("<!--e-->"));
          Find<QLineEdit>(editor, "loginUrlEdit")->setText(QStringLiteral("http://example.org/in"));
          Find<QLineEdit>(editor, "rssFilterEdit")->setText(QStringLiteral("m#rss#"));
          Find<QLineEdit>(editor, "negativeLinkTextFilterEdit")->setText(QStringLiteral("m#more#"));
          Click(editor, "okButton");
          QCOMPARE(editor.result(), int(QDialog::Rejected));
          QCOMPARE(h_->prompt.shown.back(),
                   std::string("Please enter a whole number between 0 and 100."));
          Find<QLineEdit>(editor, "linksForExtraFilteringEdit")->setText(QStringLiteral("100"));
          ShowTab(editor, 0);
          Find<QSpinBox>(editor, "categoryCountSpin")->setValue(15);
          Click(editor, "okButton");
          QCOMPARE(editor.result(), int(QDialog::Accepted));
        }),
        Act([this](QDialog& editor) {
          Find<QLineEdit>(editor, "nameEdit")->setText(QStringLiteral("World"));
          h_->prompt.answers = {Answer::No};
          Click(editor, "okButton");
        }),
        Act([](QDialog& editor) {  // shown again after "No"
          QCOMPARE(Find<QLineEdit>(editor, "nameEdit")->text(), QStringLiteral("New Channel"));
          Click(editor, "cancelButton");
        }),
    };
    PressAdd();
    ChannelRecord full = Channel("Full", "feeds/world.xml");
    full.categoriesToDownload = 15;
    full.userName = "reader";
    full.password = ScramblePassword("s3cret");
    full.webSiteUrls = "example.org";
    full.crawlDepth = 4;
    full.linesToSkip = 2;
    full.numberOfCharacters = 2500;
    full.linkFilter = "m#news#";
    full.linksInLeafNode = 20;
    full.extraLinkFilter = "m#story#";
    full.linksForExtraFiltering = 100;
    full.negativeLinkFilter = "m#ads#";
    full.useParagraphTag = full.paragraphEndExists = full.useSpanTag = full.useRemarkString = true;
    full.startRemarkString = "<!--s-->";
    full.endRemarkString = "<!--e-->";
    full.loginUrl = "http://example.org/in";
    full.rssFilter = "m#rss#";
    full.negativeLinkTextFilter = "m#more#";
    QCOMPARE(folder_->Read("Channels.txt"), TextWithChannel(original, full));
    QCOMPARE(h_->prompt.shown,
             (Names{"Please enter a whole number between 0 and 100.", kOverwriteChannelQuestion}));
  }

  // "Edit": the selection messages; an existing channel's page; Cancel writes
  // nothing, "OK" writes the category order into the feed file and the
  // password, which the next edit shows unchanged.
  void editChannel() {
    ChannelRecord world = Channel("World", "feeds/world.xml");
    world.categoriesToDownload = 4;
    world.loginUrl = " http://example.org/login";  // a leading blank: no login
    const std::string original = Line(world) + Line(Channel("Sports"));
    Open(original, "");
    const std::string feedPath = folder_->path() + "feeds/world.xml";
    const auto moveCUp = [](QDialog& editor) {
      QListWidget* categories = Find<QListWidget>(editor, "categoryList");
      categories->setCurrentRow(2);
      for (int i = 0; i < 3; ++i) Click(editor, "categoryUpButton");
      QCOMPARE(Texts(*categories), (Names{"C", "A", "B"}));
      QCOMPARE(categories->currentRow(), 0);
    };
    h_->modal.steps = {
        Act([&](QDialog& list) {
          QListWidget* names = Find<QListWidget>(list, "channelListBox");
          Click(list, "editButton");
          Select(*names, {"World", "Sports"});
          Click(list, "editButton");
          QCOMPARE(h_->prompt.shown, (Names{kSelectChannel, kMultipleSelectionInEdit}));
          Select(*names, {"World"});
          Click(list, "editButton");  // Cancel
          QCOMPARE(folder_->Read("Channels.txt"), original);
          QCOMPARE(folder_->Read("feeds/world.xml"), std::string(kFeed));
          Select(*names, {"World"});
          Click(list, "editButton");  // OK
          QCOMPARE(Titles(feedPath), (Names{"C", "A", "B"}));
          Select(*names, {"World"});
          Click(list, "editButton");  // shows the password again
          list.reject();
        }),
        Act([&](QDialog& editor) {
          QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Channel"));
          QCOMPARE(Find<QLineEdit>(editor, "nameEdit")->text(), QStringLiteral("World"));
          QVERIFY(!Find<QLineEdit>(editor, "nameEdit")->isEnabled());
          QCOMPARE(Find<QSpinBox>(editor, "categoryCountSpin")->value(), 4);
          QVERIFY(!Find<QCheckBox>(editor, "cookiesCheck")->isChecked());
          moveCUp(editor);
          Click(editor, "cancelButton");
        }),
        Act([&](QDialog& editor) {
          QCOMPARE(Texts(*Find<QListWidget>(editor, "categoryList")), (Names{"A", "B", "C"}));
          moveCUp(editor);
          Find<QCheckBox>(editor, "cookiesCheck")->click();
          QVERIFY(Find<QLineEdit>(editor, "passwordEdit")->isEnabled());
          Find<QLineEdit>(editor, "passwordEdit")->setText(QStringLiteral("pa|ss\\1"));
          Click(editor, "okButton");
        }),
        Act([](QDialog& editor) {
          QCOMPARE(Find<QLineEdit>(editor, "passwordEdit")->text(), QStringLiteral("pa|ss\\1"));
          Click(editor, "cancelButton");
        }),
    };
    PressAdd();
    world.password = ScramblePassword("pa|ss\\1");
    QCOMPARE(folder_->Read("Channels.txt"), TextWithChannel(original, world));
  }

  // The advanced page: the scheme selector and the typed URL keep each other
  // and the categories in step, browsing sets the URL, and a number out of
  // range keeps the tab and the sheet open until it is mended.
  void advancedPage() {
    const std::string original = Line(Channel("World", "feeds/world.xml"));
    Open(original, "");
    const std::string feedPath = folder_->path() + "feeds/world.xml";
    h_->dialogs.paths = {std::nullopt, feedPath};
    h_->modal.steps = {
        Act([](QDialog& list) {
          Select(*Find<QListWidget>(list, "channelListBox"), {"World"});
          Click(list, "editButton");
          list.reject();
        }),
        Act([&](QDialog& editor) {
          QListWidget* categories = Find<QListWidget>(editor, "categoryList");
          QLineEdit* url = Find<QLineEdit>(editor, "urlEdit");
          QPushButton* browse = Find<QPushButton>(editor, "browseButton");
          QComboBox* scheme = Find<QComboBox>(editor, "schemeCombo");
          ShowTab(editor, 1);
          QCOMPARE(url->text(), QStringLiteral("feeds/world.xml"));
          ChooseScheme(editor, 1);
          QCOMPARE(url->text(), QStringLiteral("http:/"));
          QVERIFY(!browse->isEnabled());
          QVERIFY(categories->count() == 0 && !categories->isEnabled());
          QVERIFY(!Find<QSpinBox>(editor, "categoryCountSpin")->isEnabled());
          QVERIFY(!Find<QPushButton>(editor, "categoryUpButton")->isEnabled());
          QVERIFY(!Find<QPushButton>(editor, "categoryDownButton")->isEnabled());
          ChooseScheme(editor, 0);
          QCOMPARE(url->text(), QStringLiteral("file:/"));
          QVERIFY(browse->isEnabled() && categories->isEnabled() && categories->count() == 0);
          QVERIFY(Find<QPushButton>(editor, "categoryUpButton")->isEnabled());
          url->setText(QStringLiteral("FTP://example.org/feed"));
          QCOMPARE(scheme->currentText(), QStringLiteral("net"));
          QVERIFY(!browse->isEnabled());
          url->clear();
          QCOMPARE(scheme->currentText(), QStringLiteral("file"));
          QVERIFY(browse->isEnabled());
          browse->click();  // cancelled
          QCOMPARE(url->text(), QString());
          browse->click();
          QCOMPARE(url->text().toStdString(), feedPath);
          QCOMPARE(Texts(*categories), (Names{"A", "B", "C"}));

          QTabWidget* tabs = Find<QTabWidget>(editor, "editorTabs");
          Find<QSpinBox>(editor, "crawlDepthSpin")->setValue(11);
          tabs->setCurrentIndex(0);
          QCOMPARE(tabs->currentIndex(), 1);
          Find<QLineEdit>(editor, "linksInLeafNodeEdit")->setText(QStringLiteral("abc"));
          Click(editor, "okButton");
          QCOMPARE(editor.result(), int(QDialog::Rejected));
          QCOMPARE(h_->prompt.shown, (Names{"Please enter a whole number between 0 and 10.",
                                            "Please enter a positive whole number."}));

          // An emptied up-down field stays empty when it loses the focus, and is named.
          Find<QLineEdit>(editor, "linksInLeafNodeEdit")->setText(QStringLiteral("50"));
          QSpinBox* depth = Find<QSpinBox>(editor, "crawlDepthSpin");
          depth->findChild<QLineEdit*>()->clear();
          depth->interpretText();  // what losing the focus does
          QCOMPARE(depth->text(), QString());
          Click(editor, "okButton");
          QCOMPARE(editor.result(), int(QDialog::Rejected));
          QCOMPARE(h_->prompt.shown.back(),
                   std::string("Please enter a whole number between 0 and 10."));
          Find<QSpinBox>(editor, "crawlDepthSpin")->setValue(0);
          Find<QComboBox>(editor, "numberOfCharactersCombo")->setEditText(QStringLiteral("2500"));
          Find<QComboBox>(editor, "useSpanTagCombo")->setEditText(QStringLiteral("TRUE"));
          Find<QComboBox>(editor, "useRemarkStringCombo")->setCurrentIndex(1);
          Click(editor, "okButton");
          QCOMPARE(editor.result(), int(QDialog::Accepted));
        }),
    };
    PressAdd();
    ChannelRecord world = Channel("World", feedPath);
    world.crawlDepth = 0;
    world.linksInLeafNode = 50;
    world.numberOfCharacters = 2500;
    world.useRemarkString = true;
    QCOMPARE(folder_->Read("Channels.txt"), TextWithChannel(original, world));
  }

  // "Delete": nothing selected, No, a file that cannot be replaced (the file
  // and both lists stay), then two of three with a commented-out line kept;
  // the run list loses those names only ("NewsWorld" stays). A missing file
  // gives an empty list.
  void deleteChannels() {
    const std::string original = "News||a\r\n#Old||o\r\nSports||s\r\n\r\n\r\nWeather||w";
    Open(original, "NewsWorld,News,Weather,Other");
    h_->modal.steps = {
        Act([&](QDialog& list) {
          QListWidget* names = Find<QListWidget>(list, "channelListBox");
          QCOMPARE(Texts(*names), (Names{"News", "Sports", "Weather"}));
          Click(list, "deleteButton");
          Select(*names, {"News", "Weather"});
          h_->prompt.answers = {Answer::No};
          Click(list, "deleteButton");
          QCOMPARE(folder_->Read("Channels.txt"), original);

          std::filesystem::remove(folder_->path() + "Channels.txt");
          folder_->Write("Channels.txt/blocked", "");
          h_->prompt.answers = {Answer::Yes};
          Click(list, "deleteButton");
          QCOMPARE(Texts(*names), (Names{"News", "Sports", "Weather"}));
          QCOMPARE(h_->window->ChannelNames(), (Names{"NewsWorld", "News", "Weather", "Other"}));
          std::filesystem::remove_all(folder_->path() + "Channels.txt");
          folder_->Write("Channels.txt", original);

          h_->prompt.answers = {Answer::Yes};
          Click(list, "deleteButton");
          QCOMPARE(Texts(*names), Names{"Sports"});
          list.reject();
        }),
        Act([](QDialog& list) {
          QCOMPARE(Find<QListWidget>(list, "channelListBox")->count(), 0);
          list.reject();
        }),
    };
    PressAdd();
    QCOMPARE(folder_->Read("Channels.txt"), std::string("#Old||o\r\n\r\nSports||s\r\n\r\n"));
    QCOMPARE(h_->window->ChannelNames(), (Names{"NewsWorld", "Other"}));
    std::filesystem::remove(folder_->path() + "Channels.txt");
    PressAdd();
    QCOMPARE(h_->prompt.shown,
             (Names{kSelectChannel, kDeleteChannelsQuestion, kDeleteChannelsQuestion,
                    kChannelsNotFound, kDeleteChannelsQuestion, kChannelsNotFound}));
  }

  // "From address...": the search runs while the dialog stays usable and
  // nothing can be written; of two feeds the second is chosen, opened in the
  // editor, renamed there, and written by OK with its feed's settings; the
  // list shows it selected and OK hands it to the run list.
  void channelFromAddress() {
    const std::string original = Line(Channel("World"));
    Open(original, "");
    GatedSearcher searcher;
    searcher.answer = {"https://site.test/",
                       {{"https://site.test/a.xml", "Site news", 12, {"One", "Two", "Three"}, "en"},
                        {"https://site.test/world.xml", "WORLD", 1, {"Only"}, "fr-FR"}},
                       ""};
    h_->feedSearcher = &searcher;
    h_->Create(folder_->path(), std::vector<VoiceInfo>{{"English", "en"}});
    QVERIFY(h_->window->OnInitDialog());
    h_->modal.steps = {
        Act([](QDialog& list) {
          Click(list, "fromAddressButton");
          QListWidget* names = Find<QListWidget>(list, "channelListBox");
          QCOMPARE(Texts(*names), (Names{"World", "Mine"}));
          QCOMPARE(names->selectedItems().size(), 1);
          QCOMPARE(names->selectedItems().front()->text(), QStringLiteral("Mine"));
          Click(list, "okButton");
        }),
        Act([&](QDialog& dialog) {
          auto& feeds = static_cast<CFeedSearchDlg&>(dialog);
          QPushButton* ok = Find<QPushButton>(dialog, "okButton");
          QVERIFY(!ok->isEnabled());
          Search(dialog, QStringLiteral(" site.test "));
          QVERIFY(feeds.Searching() && dialog.result() == QDialog::Rejected);
          QCOMPARE(Find<QPushButton>(dialog, "findButton")->text(), QStringLiteral("&Stop"));
          QVERIFY(!ok->isEnabled());
          QTest::keyClick(Find<QLineEdit>(dialog, "nameEdit"), Qt::Key_Return);
          QVERIFY(dialog.result() == QDialog::Rejected && feeds.Searching());
          searcher.Release();
          QTRY_VERIFY_WITH_TIMEOUT(!feeds.Searching(), 60000);
          QCOMPARE(searcher.addresses, Names{"site.test"});
          QListWidget* list = Find<QListWidget>(dialog, "feedList");
          QCOMPARE(list->count(), 2);
          QCOMPARE(list->item(0)->text(),
                   QStringLiteral("Site news\n    12 items, language en\n    - One\n    - Two\n"
                                  "    - Three"));
          QCOMPARE(Find<QLineEdit>(dialog, "nameEdit")->text(), QStringLiteral("Site news"));
          list->setCurrentRow(1);
          QCOMPARE(Find<QLineEdit>(dialog, "nameEdit")->text(), QStringLiteral("WORLD (2)"));
          QVERIFY(folder_->Read("Channels.txt") == original);
          Click(dialog, "editButton");
          QCOMPARE(Find<QLineEdit>(dialog, "nameEdit")->text(), QStringLiteral("Mine"));
          Click(dialog, "okButton");
        }),
        Act([](QDialog& editor) {
          QCOMPARE(editor.windowTitle(), QStringLiteral("Create Channel"));
          QLineEdit* name = Find<QLineEdit>(editor, "nameEdit");
          QCOMPARE(name->text(), QStringLiteral("WORLD (2)"));
          ShowTab(editor, 1);
          QCOMPARE(Find<QLineEdit>(editor, "urlEdit")->text(),
                   QStringLiteral("https://site.test/world.xml"));
          QCOMPARE(Find<QComboBox>(editor, "numberOfCharactersCombo")->currentText(),
                   QStringLiteral("0"));
          QCOMPARE(Find<QLineEdit>(editor, "rssFilterEdit")->text(), QString());
          ShowTab(editor, 0);
          name->setText(QStringLiteral("Mine"));
          Click(editor, "okButton");
        }),
    };
    PressAdd();
    QCOMPARE(folder_->Read("Channels.txt"),
             original + Line(FeedChannel("Mine", "https://site.test/world.xml")) + "\r\n");
    QCOMPARE(h_->window->ChannelNames(), Names{"Mine"});
  }

  // Cancel while the search goes on: the search is stopped, nothing written;
  // a search that finds nothing says why and OK stays disabled.
  void cancelledAndFailedSearches() {
    const std::string original = Line(Channel("World"));
    Open(original, "");
    GatedSearcher searcher;
    searcher.answer = {"http://x.test/", {}, "cannot read http://x.test/: connection refused"};
    ChannelDialogServices services{folder_->path(), &h_->prompt, &h_->dialogs, {}, nullptr, {}};
    {
      CFeedSearchDlg dialog(services, searcher, {"World"});
      Search(dialog, QStringLiteral("x.test"));
      QVERIFY(dialog.Searching());
      Click(dialog, "cancelButton");
      QVERIFY(searcher.cancelled && !dialog.Searching());
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    CFeedSearchDlg dialog(services, searcher, {"World"});
    Search(dialog, QStringLiteral("x.test"));
    searcher.Release();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Searching(), 60000);
    QCOMPARE(Find<QLabel>(dialog, "statusLabel")->text(),
             QStringLiteral("No feed found: cannot read http://x.test/: connection refused"));
    QVERIFY(!Find<QPushButton>(dialog, "okButton")->isEnabled());
    QCOMPARE(folder_->Read("Channels.txt"), original);
  }

  // "Import OPML..." and "Export OPML...": the summary or the reason shown,
  // the list showing the file; a hostile file changes nothing.
  void opmlImportAndExport() {
    const std::string original = Line(Channel("World", "http://w.test/rss"));
    Open(original, "");
    const std::string good =
        folder_->Write("in.opml",
                       "<opml version=\"2.0\"><body><outline text=\"Tech\"><outline text=\"Ars\" "
                       "xmlUrl=\"https://ars.test/feed\"/></outline><outline text=\"W\" "
                       "xmlUrl=\"http://w.test/rss\"/></body></opml>");
    const std::string bad = folder_->Write("bad.opml", "<opml><body><outline");
    h_->dialogs.paths = {good, bad, folder_->path() + "out.opml"};
    h_->modal.steps = {Act([&](QDialog& list) {
      Click(list, "importOpmlButton");
      QCOMPARE(Texts(*Find<QListWidget>(list, "channelListBox")), (Names{"World", "Ars"}));
      Click(list, "importOpmlButton");
      Click(list, "exportOpmlButton");
      Click(list, "cancelButton");
    })};
    PressAdd();
    QCOMPARE(h_->prompt.shown.size(), size_t(3));
    QCOMPARE(h_->prompt.shown[0], std::string("1 channel added, 1 present already."));
    QVERIFY(h_->prompt.shown[1].starts_with(bad + ": The file is not OPML: "));
    QCOMPARE(h_->prompt.shown[2], "Exported 2 channels to " + folder_->path() + "out.opml.");
    QCOMPARE(folder_->Read("Channels.txt"),
             original + Line(FeedChannel("Ars", "https://ars.test/feed")) + "\r\n");
    QVERIFY(folder_->Read("out.opml").find("xmlUrl=\"https://ars.test/feed\"") !=
            std::string::npos);
  }
};

QTEST_MAIN(TestChannelDialogs)
#include "test_channel_dialogs.moc"
