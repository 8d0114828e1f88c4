// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/gui/create_edit_channel.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/user_prompt.h"
#include "channels/channel_file.h"
#include "channels/gui/create_channel_adv_page.h"
#include "channels/gui/create_channel_page.h"

namespace brevora {

namespace {
constexpr int kBasicTab = 0;
constexpr int kAdvancedTab = 1;
}  // namespace

CCreateEditChannel::CCreateEditChannel(const ChannelDialogServices& services,
                                       const std::string& name, QWidget* parent)
    : QDialog(parent), services_(services) {
  setObjectName(QStringLiteral("channelEditor"));
  record_.name = name;
  isNewChannel_ = name.empty();
  if (!isNewChannel_) ReadChannel(record_, name, services_.programFolder, *services_.prompt);
  Build();
}

CCreateEditChannel::CCreateEditChannel(const ChannelDialogServices& services,
                                       const ChannelRecord& draft, QWidget* parent)
    : QDialog(parent), services_(services), record_(draft), hasDraft_(true) {
  setObjectName(QStringLiteral("channelEditor"));
  Build();
}

void CCreateEditChannel::Build() {
  setWindowTitle(isNewChannel_ ? QStringLiteral("Create Channel") : QStringLiteral("Edit Channel"));

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("editorTabs"));
  basicPage_ = new CCreateChannelPage(*this, record_);
  advancedPage_ = new CCreateChannelAdvPage(*this, record_);
  tabs_->addTab(basicPage_, QStringLiteral("Basic"));
  tabs_->addTab(advancedPage_, QStringLiteral("Advanced"));
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons_->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons_);

  connect(buttons_, &QDialogButtonBox::accepted, this, &CCreateEditChannel::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &CCreateEditChannel::reject);
  connect(tabs_, &QTabWidget::currentChanged, this, &CCreateEditChannel::OnTabChanged);
}

CCreateEditChannel::~CCreateEditChannel() = default;

int CCreateEditChannel::DoModal() {
  advancedCreated_ = false;
  ShowTabQuietly(kBasicTab);
  basicPage_->OnInitDialog();
  basicPage_->OnSetActive();
  return RunModal(services_, *this);
}

// Shows a tab without the pages' activation (the caller does what is due).
void CCreateEditChannel::ShowTabQuietly(int index) {
  const QSignalBlocker quiet(tabs_);
  tabs_->setCurrentIndex(index);
  shownTab_ = index;
}

// Leaving "Advanced" takes its values; a value out of range keeps the tab.
void CCreateEditChannel::OnTabChanged(int index) {
  if (shownTab_ == kAdvancedTab && index != kAdvancedTab && !advancedPage_->TakeValues()) {
    ShowTabQuietly(kAdvancedTab);
    return;
  }
  shownTab_ = index;
  if (index == kAdvancedTab) {
    if (!advancedCreated_) {
      advancedPage_->OnInitDialog();
      advancedCreated_ = true;
    }
    advancedPage_->OnSetActive();
  } else {
    basicPage_->OnSetActive();
  }
}

// The record takes the pages' values only when every text fits into a
// channel line, so nothing typed is lost to a refusal. A name the basic page
// refuses is reported and its page's values are left out, but the sheet
// still ends with "OK": the channel list tests the name again.
void CCreateEditChannel::accept() {
  if (advancedCreated_ && !advancedPage_->TakeValues()) {
    ShowTabQuietly(kAdvancedTab);
    return;
  }
  const std::string nameMessage = basicPage_->TakeValues();
  ChannelRecord stored = record_;
  if (nameMessage.empty()) basicPage_->StoreValues(stored);
  if (advancedCreated_) advancedPage_->StoreValues(stored);
  const std::string textMessage = CheckChannelTexts(stored);
  if (!textMessage.empty()) {
    services_.prompt->Notify(textMessage);
    return;
  }
  if (!nameMessage.empty()) services_.prompt->Notify(nameMessage);
  record_ = stored;
  QDialog::accept();
}

}  // namespace brevora
