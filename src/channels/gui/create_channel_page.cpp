// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/gui/create_channel_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "channels/gui/create_edit_channel.h"
#include "channels/gui/dialog_widgets.h"

namespace brevora {

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QLineEdit* Edit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromUtf8(name));
  return edit;
}

QLabel* Label(const char* text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

CCreateChannelPage::CCreateChannelPage(CCreateEditChannel& sheet, ChannelRecord& record,
                                       QWidget* parent)
    : QWidget(parent), sheet_(sheet), record_(record) {
  setObjectName(QStringLiteral("basicPage"));
  nameEdit_ = Edit("nameEdit", this);
  categoryList_ = new QListWidget(this);
  categoryList_->setObjectName(QStringLiteral("categoryList"));
  categoryList_->setSelectionMode(QAbstractItemView::SingleSelection);
  upButton_ = MakeButton("Up", "categoryUpButton", this);
  downButton_ = MakeButton("Down", "categoryDownButton", this);
  categoryCountSpin_ = new QSpinBox(this);
  categoryCountSpin_->setObjectName(QStringLiteral("categoryCountSpin"));
  categoryCountSpin_->setRange(1, 20);
  categoryCountSpin_->setAlignment(Qt::AlignRight);
  cookiesCheck_ = new QCheckBox(QStringLiteral("Cookies Authentication"), this);
  cookiesCheck_->setObjectName(QStringLiteral("cookiesCheck"));
  userNameEdit_ = Edit("userNameEdit", this);
  passwordEdit_ = Edit("passwordEdit", this);
  passwordEdit_->setEchoMode(QLineEdit::Password);

  auto* moves = new QVBoxLayout;
  moves->addWidget(upButton_);
  moves->addWidget(downButton_);
  moves->addStretch(1);
  countLabel_ = Label("Number of categories\nto download", categoryCountSpin_, this);
  auto* count = new QHBoxLayout;
  count->addWidget(countLabel_);
  count->addWidget(categoryCountSpin_);
  count->addStretch(1);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label("Name", nameEdit_, this), 0, 0);
  grid->addWidget(nameEdit_, 0, 1);
  grid->addWidget(Label("Categories", categoryList_, this), 1, 0, Qt::AlignTop);
  grid->addWidget(categoryList_, 1, 1);
  grid->addLayout(moves, 1, 2);
  grid->addLayout(count, 2, 1);
  grid->addWidget(cookiesCheck_, 3, 1);
  grid->addWidget(Label("User Name", userNameEdit_, this), 4, 0);
  grid->addWidget(userNameEdit_, 4, 1);
  grid->addWidget(Label("Password", passwordEdit_, this), 5, 0);
  grid->addWidget(passwordEdit_, 5, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);

  connect(upButton_, &QPushButton::clicked, this, &CCreateChannelPage::OnUp);
  connect(downButton_, &QPushButton::clicked, this, &CCreateChannelPage::OnDown);
  connect(cookiesCheck_, &QCheckBox::clicked, this, &CCreateChannelPage::OnCookiesClicked);
}

void CCreateChannelPage::OnInitDialog() {
  categoryCountSpin_->setValue(5);
  categories_.Reset();
  categoryList_->clear();
  if (!sheet_.IsNewChannel()) RefreshCategories();
  nameEdit_->setText(Text(sheet_.IsNewChannel() && !sheet_.HasDraft() ? std::string("New Channel")
                                                                      : record_.name));
  nameEdit_->setEnabled(sheet_.IsNewChannel());
  categoryCountSpin_->setValue(record_.categoriesToDownload & 0xFFFF);
  userNameEdit_->setText(Text(record_.userName));
  passwordEdit_->setText(Text(ScramblePassword(record_.password)));
  const bool hasLogin = HasLogin(record_.loginUrl);
  cookiesCheck_->setChecked(hasLogin);
  EnableLogin(hasLogin);
}

void CCreateChannelPage::OnSetActive() {
  RefreshCategories();
}

void CCreateChannelPage::RefreshCategories() {
  if (!categories_.RefreshCategories(record_.url, sheet_.Services().programFolder,
                                     *sheet_.Services().prompt)) {
    return;
  }
  const bool enabled = categories_.listEnabled();
  categoryList_->setEnabled(enabled);
  // Up and Down order the list: greyed with it.
  upButton_->setEnabled(enabled);
  downButton_->setEnabled(enabled);
  countLabel_->setEnabled(enabled);
  categoryCountSpin_->setEnabled(enabled);
  ShowCategories(-1);
}

void CCreateChannelPage::ShowCategories(int selected) {
  categoryList_->clear();
  for (const std::string& title : categories_.categories().Titles()) {
    categoryList_->addItem(Text(title));
  }
  if (selected >= 0) categoryList_->setCurrentRow(selected);
}

void CCreateChannelPage::OnUp() {
  const int selected = categories_.categories().MoveUp(categoryList_->currentRow());
  if (selected >= 0) ShowCategories(selected);
}

void CCreateChannelPage::OnDown() {
  const int selected = categories_.categories().MoveDown(categoryList_->currentRow());
  if (selected >= 0) ShowCategories(selected);
}

void CCreateChannelPage::OnCookiesClicked() {
  EnableLogin(cookiesCheck_->isChecked());
}

// The fields keep their text while disabled.
void CCreateChannelPage::EnableLogin(bool enabled) {
  userNameEdit_->setEnabled(enabled);
  passwordEdit_->setEnabled(enabled);
  sheet_.SetCookiesEnabled(enabled);
}

std::string CCreateChannelPage::TakeValues() {
  nameText_ = nameEdit_->text().toStdString();
  return BasicPageNameMessage(nameText_);
}

void CCreateChannelPage::StoreValues(ChannelRecord& record) const {
  record.categoriesToDownload = categoryCountSpin_->value();
  record.name = nameText_;
  record.password = ScramblePassword(passwordEdit_->text().toStdString());
  record.userName = userNameEdit_->text().toStdString();
}

bool CCreateChannelPage::SaveCategoryOrder() {
  return categories_.SaveCategoryOrder(*sheet_.Services().prompt);
}

}  // namespace brevora
