// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/gui/feed_search_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "base/user_prompt.h"
#include "channels/channel_editor_rules.h"
#include "channels/feed_channels.h"
#include "channels/gui/create_edit_channel.h"
#include "channels/gui/dialog_widgets.h"

namespace brevora {

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// One entry of the list: the title, then what the feed holds.
QString FeedEntry(const FoundFeed& feed) {
  QString entry = feed.title.empty() ? QStringLiteral("(no title)") : Text(feed.title);
  entry += QStringLiteral("\n    %1 %2").arg(feed.items).arg(feed.items == 1 ? "item" : "items");
  if (!feed.language.empty()) entry += QStringLiteral(", language %1").arg(Text(feed.language));
  for (const std::string& title : feed.newest) entry += QStringLiteral("\n    - ") + Text(title);
  return entry;
}

}  // namespace

CFeedSearchDlg::CFeedSearchDlg(const ChannelDialogServices& services, FeedSearcher& searcher,
                               std::vector<std::string> taken, QWidget* parent)
    : QDialog(parent), services_(services), searcher_(searcher), taken_(std::move(taken)) {
  setObjectName(QStringLiteral("feedSearchDialog"));
  setWindowTitle(QStringLiteral("Add a Channel from an Address"));
  auto* addressLabel = new QLabel(QStringLiteral("&Address of a site or a feed:"), this);
  addressEdit_ = new QLineEdit(this);
  addressEdit_->setObjectName(QStringLiteral("addressEdit"));
  addressEdit_->setPlaceholderText(QStringLiteral("https://example.org/"));
  addressLabel->setBuddy(addressEdit_);
  findButton_ = MakeButton("&Find", "findButton", this);
  statusLabel_ = new QLabel(this);
  statusLabel_->setObjectName(QStringLiteral("statusLabel"));
  statusLabel_->setWordWrap(true);
  feedList_ = new QListWidget(this);
  feedList_->setObjectName(QStringLiteral("feedList"));
  feedList_->setSelectionMode(QAbstractItemView::SingleSelection);
  feedList_->setMinimumSize(420, 200);
  feedList_->setSpacing(3);
  auto* nameLabel = new QLabel(QStringLiteral("&Name:"), this);
  nameEdit_ = new QLineEdit(this);
  nameEdit_->setObjectName(QStringLiteral("nameEdit"));
  nameLabel->setBuddy(nameEdit_);
  editButton_ = MakeButton("&Edit...", "editButton", this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  okButton_ = buttons->button(QDialogButtonBox::Ok);
  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setAutoDefault(false);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
  buttons->button(QDialogButtonBox::Cancel)->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->addWidget(addressLabel, 0, 0, 1, 3);
  grid->addWidget(addressEdit_, 1, 0, 1, 2);
  grid->addWidget(findButton_, 1, 2);
  grid->addWidget(statusLabel_, 2, 0, 1, 3);
  grid->addWidget(feedList_, 3, 0, 1, 3);
  grid->addWidget(nameLabel, 4, 0);
  grid->addWidget(nameEdit_, 4, 1);
  grid->addWidget(editButton_, 4, 2);
  grid->addWidget(buttons, 5, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);

  // Enter in the address field searches; it never presses OK.
  connect(addressEdit_, &QLineEdit::returnPressed, this, &CFeedSearchDlg::OnFind);
  connect(findButton_, &QPushButton::clicked, this, &CFeedSearchDlg::OnFind);
  connect(feedList_, &QListWidget::currentRowChanged, this, &CFeedSearchDlg::OnFeedChosen);
  connect(nameEdit_, &QLineEdit::textChanged, this, &CFeedSearchDlg::UpdateButtons);
  connect(editButton_, &QPushButton::clicked, this, &CFeedSearchDlg::OnEdit);
  connect(buttons, &QDialogButtonBox::accepted, this, &CFeedSearchDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CFeedSearchDlg::reject);
  UpdateButtons();
}

CFeedSearchDlg::~CFeedSearchDlg() {
  StopSearch();
}

int CFeedSearchDlg::DoModal() {
  return RunModal(services_, *this);
}

void CFeedSearchDlg::StopSearch() {
  if (!worker_.joinable()) return;
  cancel_.Set();
  worker_.join();
  ++search_;  // whatever it posted is no longer shown
}

void CFeedSearchDlg::OnFind() {
  if (Searching()) {
    StopSearch();
    statusLabel_->setText(QStringLiteral("The search was stopped."));
    UpdateButtons();
    emit searchEnded();
    return;
  }
  const std::string address = addressEdit_->text().trimmed().toStdString();
  if (address.empty()) {
    statusLabel_->setText(QStringLiteral("Paste the address of a news site or of its feed."));
    return;
  }
  feeds_.clear();
  feedList_->clear();
  hasEdited_ = false;
  cancel_.Reset();
  const int search = ++search_;
  statusLabel_->setText(QStringLiteral("Looking for the feeds of %1...").arg(Text(address)));
  worker_ = std::thread([this, address, search] {
    const FeedSearch found = searcher_.Find(address, cancel_);
    QMetaObject::invokeMethod(
        this,
        [this, found, search] {
          if (search != search_) return;  // stopped, or the dialog has moved on
          OnSearchEnded(found);
        },
        Qt::QueuedConnection);
  });
  UpdateButtons();
}

void CFeedSearchDlg::OnSearchEnded(const FeedSearch& search) {
  if (worker_.joinable()) worker_.join();
  feeds_ = search.feeds;
  for (const FoundFeed& feed : feeds_) feedList_->addItem(FeedEntry(feed));
  if (feeds_.empty()) {
    statusLabel_->setText(QStringLiteral("No feed found: %1").arg(Text(search.error)));
  } else {
    statusLabel_->setText(
        feeds_.size() == 1
            ? QStringLiteral("One feed found. Check its name and press OK.")
            : QStringLiteral("%1 feeds found. Choose one and press OK.").arg(feeds_.size()));
    feedList_->setCurrentRow(0);
  }
  UpdateButtons();
  emit searchEnded();
}

void CFeedSearchDlg::OnFeedChosen() {
  hasEdited_ = false;
  const int row = feedList_->currentRow();
  if (row >= 0 && row < static_cast<int>(feeds_.size())) {
    nameEdit_->setText(Text(UniqueChannelName(feeds_[row].title, taken_)));
  }
  UpdateButtons();
}

void CFeedSearchDlg::UpdateButtons() {
  const bool chosen = !Searching() && feedList_->currentRow() >= 0;
  findButton_->setText(Searching() ? QStringLiteral("&Stop") : QStringLiteral("&Find"));
  editButton_->setEnabled(chosen);
  okButton_->setEnabled(chosen && !nameEdit_->text().trimmed().isEmpty());
}

ChannelRecord CFeedSearchDlg::Channel() const {
  const FoundFeed& feed = feeds_[feedList_->currentRow()];
  ChannelRecord record = hasEdited_ ? edited_ : FeedChannel({}, feed.url);
  record.name = nameEdit_->text().trimmed().toStdString();
  return record;
}

void CFeedSearchDlg::OnEdit() {
  if (feedList_->currentRow() < 0) return;
  CCreateEditChannel editor(services_, Channel(), this);
  if (editor.DoModal() != QDialog::Accepted) return;
  edited_ = editor.Record();
  hasEdited_ = true;
  const QSignalBlocker quiet(nameEdit_);
  nameEdit_->setText(Text(edited_.name));
  UpdateButtons();
}

void CFeedSearchDlg::accept() {
  if (Searching() || feedList_->currentRow() < 0) return;
  UserPrompt& prompt = *services_.prompt;
  const ChannelRecord record = Channel();
  if (!IsCleanChannelName(record.name)) {
    prompt.Notify(
        "A channel's name begins with a letter from A to Z and holds no \"|\", \",\" or control "
        "characters.");
    return;
  }
  if (FindNameIgnoringCase(taken_, record.name) >= 0) {
    prompt.Notify("A channel named " + record.name + " exists already. Choose another name.");
    return;
  }
  const std::string problem = AppendChannels(services_.programFolder, {record});
  if (!problem.empty()) {
    prompt.Notify(problem);
    return;
  }
  added_ = record.name;
  QDialog::accept();
}

void CFeedSearchDlg::reject() {
  StopSearch();
  QDialog::reject();
}

}  // namespace brevora
