// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/share_dlg.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app_icon.h"
#include "base/user_prompt.h"
#include "sharing/qr_code.h"
#include "sharing/share_session.h"

namespace brevora {

namespace {

constexpr int kQuietModules = 4;  // the light border a scanner needs
constexpr int kCodePixels = 232;  // about the size of the code on screen

QPixmap QrPixmap(const QrModules& modules) {
  const int width = static_cast<int>(modules.size()) + 2 * kQuietModules;
  QImage image(width, width, QImage::Format_Mono);
  image.setColor(0, qRgb(255, 255, 255));
  image.setColor(1, qRgb(0, 0, 0));
  image.fill(0);
  for (size_t y = 0; y < modules.size(); ++y) {
    for (size_t x = 0; x < modules[y].size(); ++x) {
      if (modules[y][x]) {
        image.setPixel(static_cast<int>(x) + kQuietModules, static_cast<int>(y) + kQuietModules, 1);
      }
    }
  }
  const int scale = std::max(3, kCodePixels / width);
  return QPixmap::fromImage(
      image.scaled(width * scale, width * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

}  // namespace

CShareDlg::CShareDlg(ShareControl& control, const std::string& dataFolder, UserPrompt& prompt,
                     QWidget* parent)
    : QDialog(parent),
      control_(control),
      dataFolder_(dataFolder),
      prompt_(prompt),
      settings_(ReadShareSettings(dataFolder)) {
  setObjectName(QStringLiteral("shareDialog"));
  setWindowTitle(QStringLiteral("Share on this network"));
  setWindowIcon(AppIcon());
  // The address exists before sharing is first turned on, so that it can be
  // shown; it is kept from then on.
  if (settings_.token.empty()) {
    settings_.token = NewShareToken();
    Keep();
  }
  if (control_.SharedPort() != 0) settings_.port = control_.SharedPort();

  shareCheck_ = new QCheckBox(QStringLiteral("&Share the news with phones and computers of this "
                                             "network"),
                              this);
  shareCheck_->setObjectName(QStringLiteral("shareCheck"));
  shareCheck_->setChecked(control_.SharedPort() != 0);
  auto* portLabel = new QLabel(QStringLiteral("&Port:"), this);
  portSpin_ = new QSpinBox(this);
  portSpin_->setObjectName(QStringLiteral("portSpin"));
  portSpin_->setRange(1, 65535);
  portSpin_->setValue(settings_.port);
  portLabel->setBuddy(portSpin_);
  allNetworksRadio_ = new QRadioButton(QStringLiteral("&All networks of this computer"), this);
  allNetworksRadio_->setObjectName(QStringLiteral("allNetworksRadio"));
  thisComputerRadio_ = new QRadioButton(QStringLiteral("This &computer only"), this);
  thisComputerRadio_->setObjectName(QStringLiteral("thisComputerRadio"));
  (settings_.allInterfaces ? allNetworksRadio_ : thisComputerRadio_)->setChecked(true);
  problemLabel_ = new QLabel(this);
  problemLabel_->setObjectName(QStringLiteral("problemLabel"));
  problemLabel_->setWordWrap(true);
  problemLabel_->setStyleSheet(QStringLiteral("color: #b00020;"));
  problemLabel_->hide();

  auto* addressLabel = new QLabel(QStringLiteral("&Feed address:"), this);
  addressBox_ = new QComboBox(this);
  addressBox_->setObjectName(QStringLiteral("addressBox"));
  addressBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  addressLabel->setBuddy(addressBox_);
  copyButton_ = new QPushButton(QStringLiteral("C&opy"), this);
  copyButton_->setObjectName(QStringLiteral("copyButton"));
  qrLabel_ = new QLabel(this);
  qrLabel_->setObjectName(QStringLiteral("qrLabel"));
  qrLabel_->setAlignment(Qt::AlignCenter);
  qrLabel_->setMinimumSize(kCodePixels + 16, kCodePixels + 16);
  auto* note = new QLabel(QStringLiteral("A podcast app subscribes by scanning the code or by "
                                         "the address. Anybody with the address can listen; "
                                         "\"New address\" makes the old one stop working."),
                          this);
  note->setWordWrap(true);
  auto* newAddressButton = new QPushButton(QStringLiteral("&New address"), this);
  newAddressButton->setObjectName(QStringLiteral("newAddressButton"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("closeButton"));
  buttons->addButton(newAddressButton, QDialogButtonBox::ResetRole);

  auto* openLabel = new QLabel(QStringLiteral("Open to:"), this);
  auto* grid = new QGridLayout;
  grid->addWidget(portLabel, 0, 0);
  grid->addWidget(portSpin_, 0, 1, Qt::AlignLeft);
  grid->addWidget(openLabel, 1, 0);
  grid->addWidget(allNetworksRadio_, 1, 1);
  grid->addWidget(thisComputerRadio_, 2, 1);
  grid->setColumnStretch(1, 1);
  auto* addressRow = new QHBoxLayout;
  addressRow->addWidget(addressBox_, 1);
  addressRow->addWidget(copyButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(shareCheck_);
  layout->addLayout(grid);
  layout->addWidget(problemLabel_);
  layout->addSpacing(6);
  layout->addWidget(addressLabel);
  layout->addLayout(addressRow);
  layout->addWidget(qrLabel_);
  layout->addWidget(note);
  layout->addWidget(buttons);
  setMinimumWidth(fontMetrics().averageCharWidth() * 64);

  connect(shareCheck_, &QCheckBox::toggled, this, &CShareDlg::Apply);
  connect(portSpin_, &QSpinBox::editingFinished, this, [this] {
    if (portSpin_->value() != settings_.port) Apply();
  });
  connect(allNetworksRadio_, &QRadioButton::toggled, this, &CShareDlg::Apply);
  connect(addressBox_, &QComboBox::currentIndexChanged, this, &CShareDlg::ShowAddress);
  connect(copyButton_, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(addressBox_->currentText()); });
  connect(newAddressButton, &QPushButton::clicked, this, &CShareDlg::OnNewAddress);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  ShowAddress();
}

void CShareDlg::Apply() {
  settings_.port = portSpin_->value();
  settings_.allInterfaces = allNetworksRadio_->isChecked();
  settings_.enabled = shareCheck_->isChecked();
  problemLabel_->hide();
  if (settings_.enabled) {
    const std::string problem = control_.StartSharing(settings_);
    if (!problem.empty()) {
      problemLabel_->setText(QString::fromStdString(problem));
      problemLabel_->show();
      settings_.enabled = false;
      const QSignalBlocker quiet(shareCheck_);
      shareCheck_->setChecked(false);
    }
  } else {
    control_.StopSharing();
  }
  Keep();
  ShowAddress();
}

void CShareDlg::OnNewAddress() {
  if (prompt_.AskYesNo("Podcast apps subscribed with the present address will no longer reach "
                       "the news. Make a new address?") != Answer::Yes) {
    return;
  }
  settings_.token = NewShareToken();
  if (shareCheck_->isChecked()) {
    Apply();
  } else {
    Keep();
    ShowAddress();
  }
}

void CShareDlg::Keep() {
  if (WriteShareSettings(dataFolder_, settings_) != 0) {
    prompt_.Notify("Brevora.ini could not be written!");
  }
}

void CShareDlg::ShowAddress() {
  const bool on = control_.SharedPort() != 0;
  const int port = on ? control_.SharedPort() : portSpin_->value();
  const QString chosen = addressBox_->currentText();
  {
    const QSignalBlocker quiet(addressBox_);
    addressBox_->clear();
    for (const std::string& address : SharedFeedAddresses(settings_, port)) {
      addressBox_->addItem(QString::fromStdString(address));
    }
    const int again = addressBox_->findText(chosen);
    if (again >= 0) addressBox_->setCurrentIndex(again);
  }
  // Wide enough for the whole address, whatever letters its secret has.
  int widest = 0;
  for (int i = 0; i < addressBox_->count(); ++i) {
    widest =
        std::max(widest, addressBox_->fontMetrics().horizontalAdvance(addressBox_->itemText(i)));
  }
  addressBox_->setMinimumWidth(widest + 4 * addressBox_->fontMetrics().averageCharWidth() + 24);
  addressBox_->setEnabled(on);
  copyButton_->setEnabled(on);
  if (!on) {
    qrLabel_->setPixmap(QPixmap());
    qrLabel_->setText(QStringLiteral("The code appears while the news is shared."));
    return;
  }
  qrLabel_->setPixmap(QrPixmap(MakeQrCode(addressBox_->currentText().toStdString())));
}

}  // namespace brevora
