// SPDX-License-Identifier: GPL-3.0-or-later
// "Share on this network...": the switch, the port message, the address and
// its QR code, the status line, and sharing back on at the next start.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "config/program_settings.h"
#include "fakes/temp_folder.h"
#include "gui/gui_fakes.h"
#include "sharing/qr_code.h"

using namespace brevora;
using brevora::testing::TempFolder;
using brevora::testing::WindowHarness;

namespace {

// A socket listening on a free port of this computer, for a port that is taken.
class Listener {
 public:
  Listener() : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    socklen_t length = sizeof address;
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, 1);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
  }
  ~Listener() { close(fd_); }
  int port = 0;

 private:
  int fd_;
};

// A port nobody listens on now.
int FreePort() {
  const Listener probe;
  return probe.port;
}

// Whether the label shows the QR code of `text`: each module's centre dark
// exactly where the code has a dark module.
bool ShowsQrCodeOf(const QLabel& label, const std::string& text) {
  const QrModules modules = MakeQrCode(text);
  const QImage image = label.pixmap().toImage();
  if (modules.empty() || image.isNull()) return false;
  const int count = static_cast<int>(modules.size());
  const int scale = image.width() / (count + 8);
  for (int y = 0; y < count; ++y) {
    for (int x = 0; x < count; ++x) {
      const QRgb pixel = image.pixel((x + 4) * scale + scale / 2, (y + 4) * scale + scale / 2);
      if ((qGray(pixel) < 128) != modules[y][x]) return false;
    }
  }
  return true;
}

}  // namespace

class TestShareDialog : public QObject {
  Q_OBJECT

 private slots:
  // A taken port is named in the dialog and sharing stays off; another port
  // shares, the address and its code appear, the status line says where,
  // the feed is served there, and the next start shares again.
  void sharesAndComesBackOn() {
    TempFolder folder;
    folder.Write("exec/Top/podcast.xml", "<rss>news</rss>");
    const Listener taken;
    const int free = FreePort();
    ShareSettings settings;
    settings.port = taken.port;
    settings.allInterfaces = false;
    QCOMPARE(WriteShareSettings(folder.path(), settings), 0);

    std::string address;
    {
      WindowHarness h;
      h.Create(folder.path(), std::vector<VoiceInfo>{});
      QVERIFY(h.window->OnInitDialog());
      h.window->Controls().executingFolderEdit->setText(
          QString::fromStdString(folder.path() + "exec"));
      QString problem, placeholder;
      bool codeShown = false;
      h.modal.steps = {[&](QDialog& dialog) {
        auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("shareCheck"));
        auto* qr = dialog.findChild<QLabel*>(QStringLiteral("qrLabel"));
        placeholder = qr->text();
        check->setChecked(true);
        problem = dialog.findChild<QLabel*>(QStringLiteral("problemLabel"))->text();
        if (check->isChecked()) return -1;
        auto* port = dialog.findChild<QSpinBox*>(QStringLiteral("portSpin"));
        port->setValue(free);
        check->setChecked(true);
        if (!check->isChecked()) return -2;
        address =
            dialog.findChild<QComboBox*>(QStringLiteral("addressBox"))->currentText().toStdString();
        codeShown = ShowsQrCodeOf(*qr, address);
        return int(QDialog::Rejected);
      }};
      h.window->OnShare();
      QVERIFY(h.modal.steps.empty());
      QCOMPARE(problem, QStringLiteral("Port %1 is in use by another program. Choose another port.")
                            .arg(taken.port));
      QCOMPARE(placeholder, QStringLiteral("The code appears while the news is shared."));
      const ShareSettings kept = ReadShareSettings(folder.path());
      QCOMPARE(address,
               "http://127.0.0.1:" + std::to_string(free) + "/" + kept.token + "/podcast.xml");
      QVERIFY(codeShown);
      QVERIFY(kept.enabled);
      QCOMPARE(kept.port, free);
      QVERIFY(h.window->Controls().statusLabel->toolTip().endsWith(
          QString::fromStdString("\nSharing at " + address)));
      httplib::Client client("127.0.0.1", free);
      auto feed = client.Get("/" + kept.token + "/podcast.xml");
      QVERIFY(feed && feed->status == 200);
      QCOMPARE(feed->body, std::string("<rss>news</rss>"));
    }
    // The window is gone, and so is the server; at the next start it shares again.
    WindowHarness again;
    again.Create(folder.path(), std::vector<VoiceInfo>{});
    QVERIFY(again.window->OnInitDialog());
    QCOMPARE(again.window->SharedPort(), free);
    QVERIFY(again.window->Controls().statusLabel->toolTip().endsWith(
        QString::fromStdString("\nSharing at " + address)));
  }

  // Sharing lengthens the status, never the window: the box keeps its size,
  // the address loses its middle and the tooltip has it whole. The window
  // opens again where it was closed, and where no screen is no more.
  void windowKeepsItsSizeAndPlace() {
    TempFolder folder;
    folder.Write("Brevora.cfg", "WorkingFolder=" + folder.path() + "work\r\nExecutingFolder=" +
                                    folder.path() + "exec\r\nFormat=text\r\n");
    {
      WindowHarness h;
      h.Create(folder.path(), std::vector<VoiceInfo>{});
      QVERIFY(h.window->OnInitDialog());
      h.window->show();
      QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
      QLabel* status = h.window->Controls().statusLabel;
      const QSize window = h.window->size(), box = status->size();
      ShareSettings settings;
      settings.enabled = true;
      settings.port = FreePort();
      settings.token = std::string(26, 'w');
      QCOMPARE(QString::fromStdString(h.window->StartSharing(settings)), QString());
      QCoreApplication::processEvents();
      QCOMPARE(h.window->size(), window);
      QCOMPARE(status->size(), box);
      QVERIFY(status->toolTip().contains(QString::fromStdString(settings.token)));
      QVERIFY(status->text().contains(QChar(0x2026)));  // the middle left out
      h.window->move(123, 77);
      h.window->StopSharing();
      QTest::mouseClick(h.window->Controls().exitButton, Qt::LeftButton);
      QVERIFY(h.window->Ended());
    }
    WindowHarness again;
    again.Create(folder.path(), std::vector<VoiceInfo>{});
    QVERIFY(again.window->OnInitDialog());
    QCOMPARE(again.window->pos(), QPoint(123, 77));
    again.window.reset();
    QCOMPARE(WriteWindowPosition(folder.path(), 50000, 50000), 0);
    WindowHarness nowhere;
    nowhere.Create(folder.path(), std::vector<VoiceInfo>{});
    QVERIFY(nowhere.window->OnInitDialog());
    QVERIFY(nowhere.window->pos().x() < 50000);
  }

  // "New address" asks first, and then the old address leads nowhere.
  void newAddressRetiresTheOldOne() {
    TempFolder folder;
    folder.Write("exec/Top/podcast.xml", "<rss/>");
    ShareSettings settings;
    settings.enabled = true;
    settings.port = FreePort();
    settings.allInterfaces = false;
    settings.token = "abcdefghijklmnopqrstuvwxyz";
    QCOMPARE(WriteShareSettings(folder.path(), settings), 0);
    folder.Write("Brevora.cfg", "WorkingFolder=" + folder.path() + "work\r\nExecutingFolder=" +
                                    folder.path() + "exec\r\nFormat=text\r\n");
    WindowHarness h;
    h.Create(folder.path(), std::vector<VoiceInfo>{});
    QVERIFY(h.window->OnInitDialog());
    QCOMPARE(h.window->SharedPort(), settings.port);
    h.prompt.shown.clear();
    h.prompt.answers = {Answer::No, Answer::Yes};
    h.modal.steps = {[](QDialog& dialog) {
      auto* button = dialog.findChild<QPushButton*>(QStringLiteral("newAddressButton"));
      button->click();
      button->click();
      return int(QDialog::Rejected);
    }};
    h.window->OnShare();
    QCOMPARE(h.prompt.shown.size(), size_t(2));
    const std::string token = ReadShareSettings(folder.path()).token;
    QVERIFY(token != settings.token && token.size() == 26);
    httplib::Client client("127.0.0.1", settings.port);
    auto old = client.Get("/abcdefghijklmnopqrstuvwxyz/podcast.xml");
    QVERIFY(old && old->status == 404);
    auto fresh = client.Get("/" + token + "/podcast.xml");
    QVERIFY(fresh && fresh->status == 200);
  }
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  TestShareDialog test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_share_dialog.moc"
