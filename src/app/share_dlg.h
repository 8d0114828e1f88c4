// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <string>

#include "config/program_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace brevora {

class ShareControl;
class UserPrompt;

// "Share on this network...": turns sharing of the published news on and
// off, with its port and who may connect, and shows the feed address as text
// and as a QR code for a phone to scan. Every change takes effect at once
// and is kept in Brevora.ini.
class CShareDlg : public QDialog {
  Q_OBJECT

 public:
  CShareDlg(ShareControl& control, const std::string& dataFolder, UserPrompt& prompt,
            QWidget* parent);

 private:
  // Starts, restarts or stops sharing as the controls say, and keeps the choice.
  void Apply();
  void OnNewAddress();
  void ShowAddress();
  void Keep();

  ShareControl& control_;
  std::string dataFolder_;
  UserPrompt& prompt_;
  ShareSettings settings_;
  QCheckBox* shareCheck_;
  QSpinBox* portSpin_;
  QRadioButton* allNetworksRadio_;
  QRadioButton* thisComputerRadio_;
  QLabel* problemLabel_;
  QComboBox* addressBox_;
  QPushButton* copyButton_;
  QLabel* qrLabel_;
};

}  // namespace brevora
