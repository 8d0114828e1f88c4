// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/app_icon.h"
#include "app/brevora_version.h"

namespace brevora {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutDialog"));
  setWindowTitle(QStringLiteral("About Brevora"));
  setWindowIcon(AppIcon());
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* version = new QLabel(QStringLiteral("Brevora Version " BREVORA_VERSION), this);
  version->setObjectName(QStringLiteral("versionLabel"));
  version->setTextFormat(Qt::PlainText);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* grid = new QGridLayout(this);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->setHorizontalSpacing(16);
  grid->addWidget(icon, 0, 0, 2, 1);
  grid->addWidget(version, 0, 1);
  grid->addWidget(buttons, 1, 1);
  grid->setColumnMinimumWidth(1, 220);
}

}  // namespace brevora
