// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/message_box_prompt.h"

#include <QMessageBox>

namespace brevora {

namespace {

QMessageBox::StandardButton Show(QWidget* parent, const std::string& text,
                                 QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Brevora"), QString::fromStdString(text),
                  buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void MessageBoxPrompt::Notify(const std::string& text) {
  Show(parent_, text, QMessageBox::Ok);
}

Answer MessageBoxPrompt::AskYesNo(const std::string& text) {
  return Show(parent_, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes ? Answer::Yes
                                                                                     : Answer::No;
}

Answer MessageBoxPrompt::AskYesNoCancel(const std::string& text) {
  switch (Show(parent_, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

Answer MessageBoxPrompt::AskOkCancel(const std::string& text) {
  return Show(parent_, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok
             ? Answer::Yes
             : Answer::Cancel;
}

}  // namespace brevora
