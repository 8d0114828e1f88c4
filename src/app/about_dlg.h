// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace brevora {

// "About Brevora": the program's icon, its name and version, and OK.
class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace brevora
