// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <string>

class QTextBrowser;

namespace brevora {

// The help pages of the program folder's "help" folder, starting at
// index.html, in a window of their own. Without the pages it shows one plain
// page saying so.
class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  HelpWindow(const std::string& programFolder, QWidget* parent = nullptr);
  // Shows the contents page (again) and brings the window to the front.
  void ShowContents();

 private:
  QTextBrowser* browser_;
  QString index_;
};

}  // namespace brevora
