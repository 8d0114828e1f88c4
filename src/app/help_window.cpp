// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help_window.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/app_icon.h"

namespace brevora {

HelpWindow::HelpWindow(const std::string& programFolder, QWidget* parent)
    : QDialog(parent),
      browser_(new QTextBrowser(this)),
      index_(QString::fromStdString(programFolder) + QStringLiteral("help/index.html")) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(QStringLiteral("Brevora Help"));
  setWindowIcon(AppIcon());
  setWindowFlags(Qt::Window);
  browser_->setObjectName(QStringLiteral("helpBrowser"));
  browser_->setOpenExternalLinks(true);
  auto* contents = new QPushButton(QStringLiteral("Contents"), this);
  contents->setObjectName(QStringLiteral("helpContentsButton"));
  auto* back = new QPushButton(QStringLiteral("Back"), this);
  back->setObjectName(QStringLiteral("helpBackButton"));
  back->setEnabled(false);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("helpCloseButton"));
  connect(contents, &QPushButton::clicked, this, &HelpWindow::ShowContents);
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents);
  buttons->addWidget(back);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(browser_, 1);
  resize(720, 560);
}

void HelpWindow::ShowContents() {
  if (QFileInfo(index_).isFile()) {
    browser_->setSource(QUrl::fromLocalFile(index_));
  } else {
    browser_->setHtml(
        QStringLiteral("<h2>Brevora Help</h2><p>The help pages were not found. They belong "
                       "in the folder <tt>%1</tt>, beside the program.</p>")
            .arg(QFileInfo(index_).absolutePath().toHtmlEscaped()));
  }
  show();
  raise();
  activateWindow();
}

}  // namespace brevora
