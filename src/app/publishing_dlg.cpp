// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/publishing_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_icon.h"
#include "base/user_prompt.h"
#include "config/program_settings.h"
#include "publishing/podcast_feed.h"

namespace brevora {

CPublishingDlg::CPublishingDlg(const std::string& programFolder, UserPrompt& prompt,
                               QWidget* parent)
    : QDialog(parent), programFolder_(programFolder), prompt_(prompt) {
  setObjectName(QStringLiteral("publishingDialog"));
  setWindowTitle(QStringLiteral("Publishing"));
  setWindowIcon(AppIcon());
  auto* label = new QLabel(QStringLiteral("&Podcast address:"), this);
  addressEdit_ = new QLineEdit(QString::fromStdString(ReadPodcastAddress(programFolder)), this);
  addressEdit_->setObjectName(QStringLiteral("addressEdit"));
  addressEdit_->setPlaceholderText(QStringLiteral("http://myserver/news/"));
  addressEdit_->setMinimumWidth(addressEdit_->fontMetrics().averageCharWidth() * 48);
  label->setBuddy(addressEdit_);
  auto* note =
      new QLabel(QStringLiteral("The address under which a web server serves the executing folder. "
                                "Podcast apps find the episodes by it; leave it empty to keep the "
                                "feeds' addresses relative."),
                 this);
  note->setWordWrap(true);
  auto* emailLabel = new QLabel(QStringLiteral("Owner's &e-mail address (optional):"), this);
  emailEdit_ = new QLineEdit(QString::fromStdString(ReadOwnerEmail(programFolder)), this);
  emailEdit_->setObjectName(QStringLiteral("emailEdit"));
  emailEdit_->setPlaceholderText(QStringLiteral("name@example.org"));
  emailLabel->setBuddy(emailEdit_);
  auto* emailNote = new QLabel(
      QStringLiteral("Podcast directories show it as the feeds' owner; the feeds give none "
                     "when it is empty."),
      this);
  emailNote->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CPublishingDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(addressEdit_);
  layout->addWidget(note);
  layout->addSpacing(layout->spacing());
  layout->addWidget(emailLabel);
  layout->addWidget(emailEdit_);
  layout->addWidget(emailNote);
  layout->addWidget(buttons);
}

void CPublishingDlg::accept() {
  const std::string address = addressEdit_->text().trimmed().toStdString();
  const std::string problem = PodcastAddressProblem(address);
  if (!problem.empty()) {
    prompt_.Notify(problem);
    addressEdit_->setFocus();
    return;
  }
  const std::string email = emailEdit_->text().trimmed().toStdString();
  const std::string emailProblem = OwnerEmailProblem(email);
  if (!emailProblem.empty()) {
    prompt_.Notify(emailProblem);
    emailEdit_->setFocus();
    return;
  }
  if (WritePodcastAddress(programFolder_, address) != 0 ||
      WriteOwnerEmail(programFolder_, email) != 0) {
    prompt_.Notify("Brevora.ini could not be written!");
    return;
  }
  QDialog::accept();
}

}  // namespace brevora
