// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace brevora {

class UserPrompt;

// "Publishing...": the podcast address, the address under which a web server
// serves the executing folder, and the feeds' owner's e-mail address, kept in
// Brevora.ini. The podcast feeds' addresses are made absolute from the first;
// empty, they stay relative to each feed. The e-mail is given only when set.
class CPublishingDlg : public QDialog {
  Q_OBJECT

 public:
  CPublishingDlg(const std::string& programFolder, UserPrompt& prompt, QWidget* parent);

  // "OK": an address that is not an http or https address with a host, or an
  // e-mail address that is not one, is named in a message and the dialog
  // stays; else both are written.
  void accept() override;

 private:
  std::string programFolder_;
  UserPrompt& prompt_;
  QLineEdit* addressEdit_;
  QLineEdit* emailEdit_;
};

}  // namespace brevora
