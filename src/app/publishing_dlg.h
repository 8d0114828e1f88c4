#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace brevora {

class UserPrompt;

// "Publishing...": the podcast address, the address under which a web server
// serves the executing folder, kept in Brevora.ini. The podcast feeds' addresses
// are made absolute from it; empty, they stay relative to each feed.
class CPublishingDlg : public QDialog {
  Q_OBJECT

 public:
  CPublishingDlg(const std::string& programFolder, UserPrompt& prompt, QWidget* parent);

  // "OK": an address that is not an http or https address with a host is
  // named in a message and the dialog stays; else it is written.
  void accept() override;

 private:
  std::string programFolder_;
  UserPrompt& prompt_;
  QLineEdit* addressEdit_;
};

}  // namespace brevora
