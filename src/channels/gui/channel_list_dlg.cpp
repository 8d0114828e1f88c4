// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/gui/channel_list_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <optional>

#include "base/file_dialogs.h"
#include "base/user_prompt.h"
#include "channels/channel_editor_rules.h"
#include "channels/gui/create_channel_page.h"
#include "channels/gui/create_edit_channel.h"
#include "channels/gui/dialog_widgets.h"
#include "channels/gui/feed_search_dlg.h"
#include "channels/opml.h"
#include "run/feed_search.h"

namespace brevora {

CChannelListDlg::CChannelListDlg(ChannelDialogServices services, ChannelListOwner& owner,
                                 QWidget* parent)
    : QDialog(parent), services_(std::move(services)), owner_(owner) {
  setObjectName(QStringLiteral("channelListDialog"));
  setWindowTitle(QStringLiteral("Add Channel"));
  channelList_ = new QListWidget(this);
  channelList_->setObjectName(QStringLiteral("channelListBox"));
  channelList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  createButton_ = MakeButton("Create", "createButton", this);
  editButton_ = MakeButton("Edit", "editButton", this);
  deleteButton_ = MakeButton("Delete", "deleteButton", this);
  fromAddressButton_ = MakeButton("From address...", "fromAddressButton", this);
  importButton_ = MakeButton("Import OPML...", "importOpmlButton", this);
  exportButton_ = MakeButton("Export OPML...", "exportOpmlButton", this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));

  auto* commands = new QVBoxLayout;
  commands->addWidget(createButton_);
  commands->addWidget(editButton_);
  commands->addWidget(deleteButton_);
  commands->addSpacing(12);
  commands->addWidget(fromAddressButton_);
  commands->addWidget(importButton_);
  commands->addWidget(exportButton_);
  commands->addStretch(1);
  auto* grid = new QGridLayout(this);
  grid->addWidget(channelList_, 0, 0);
  grid->addLayout(commands, 0, 1);
  grid->addWidget(buttons, 1, 0);
  grid->setColumnStretch(0, 1);

  connect(createButton_, &QPushButton::clicked, this, &CChannelListDlg::OnCreateChannel);
  connect(editButton_, &QPushButton::clicked, this, &CChannelListDlg::OnEditChannel);
  connect(deleteButton_, &QPushButton::clicked, this, &CChannelListDlg::OnDeleteChannel);
  connect(fromAddressButton_, &QPushButton::clicked, this, &CChannelListDlg::OnFromAddress);
  connect(importButton_, &QPushButton::clicked, this, &CChannelListDlg::OnImportOpml);
  connect(exportButton_, &QPushButton::clicked, this, &CChannelListDlg::OnExportOpml);
  connect(buttons, &QDialogButtonBox::accepted, this, &CChannelListDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CChannelListDlg::reject);
}

int CChannelListDlg::DoModal() {
  OnInitDialog();
  return RunModal(services_, *this);
}

void CChannelListDlg::FillChannelList() {
  channelList_->clear();
  ReadChannelFileLines(services_.programFolder, *services_.prompt, fileLines_);
  for (const std::string& name : ListedNames(fileLines_)) {
    channelList_->addItem(QString::fromStdString(name));
  }
}

std::vector<int> CChannelListDlg::SelectedRows() const {
  std::vector<int> rows;
  for (const QListWidgetItem* item : channelList_->selectedItems()) {
    rows.push_back(channelList_->row(item));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CChannelListDlg::OnCreateChannel() {
  UserPrompt& prompt = *services_.prompt;
  CCreateEditChannel sheet(services_, std::string(), this);
  while (sheet.DoModal() == QDialog::Accepted) {
    const std::string& name = sheet.BasicPage().NameText();
    if (!IsRegularChannelName(name)) {
      prompt.Notify(kIrregularChannelName);
      return;  // nothing written, nothing to read again
    }
    if (FindNameIgnoringCase(ListedNames(fileLines_), name) >= 0 &&
        prompt.AskYesNo(kOverwriteChannelQuestion) != Answer::Yes) {
      continue;  // the same sheet again
    }
    SaveChannel(sheet.Record(), services_.programFolder, prompt);
    break;
  }
  FillChannelList();
}

void CChannelListDlg::OnEditChannel() {
  UserPrompt& prompt = *services_.prompt;
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) {
    prompt.Notify(kSelectChannel);
  } else if (rows.size() > 1) {
    prompt.Notify(kMultipleSelectionInEdit);
  } else {
    CCreateEditChannel sheet(services_, channelList_->item(rows.front())->text().toStdString(),
                             this);
    if (sheet.DoModal() == QDialog::Accepted) {
      sheet.BasicPage().SaveCategoryOrder();
      // A channel stored under an irregular name (typed into the file by
      // hand) is never written back under it.
      if (IsRegularChannelName(sheet.Record().name)) {
        SaveChannel(sheet.Record(), services_.programFolder, prompt);
      } else {
        prompt.Notify(kIrregularChannelName);
      }
    }
  }
  FillChannelList();
}

// The file is replaced as a whole before either list changes, so a failed
// write leaves the file and both lists as they were.
void CChannelListDlg::OnDeleteChannel() {
  UserPrompt& prompt = *services_.prompt;
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) {
    prompt.Notify(kSelectChannel);
    return;
  }
  if (prompt.AskYesNo(kDeleteChannelsQuestion) != Answer::Yes) return;
  if (!DeleteChannels(services_.programFolder, fileLines_, rows, prompt)) return;
  const std::vector<std::string> names = ListedNames(fileLines_);
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) owner_.RemoveChannel(names[*row]);
  FillChannelList();  // the list shows the file as it is now
}

void CChannelListDlg::OnFromAddress() {
  std::optional<CrawlerFeedSearcher> crawler;
  FeedSearcher* searcher = services_.feedSearcher;
  if (searcher == nullptr) {
    crawler.emplace(services_.installFolder.empty() ? services_.programFolder
                                                    : services_.installFolder);
    searcher = &*crawler;
  }
  CFeedSearchDlg dialog(services_, *searcher, ListedNames(fileLines_), this);
  if (dialog.DoModal() != QDialog::Accepted) return;
  FillChannelList();
  const auto found =
      channelList_->findItems(QString::fromStdString(dialog.AddedName()), Qt::MatchExactly);
  if (!found.isEmpty()) {
    channelList_->clearSelection();
    found.front()->setSelected(true);
    channelList_->setCurrentItem(found.front());
  }
}

void CChannelListDlg::OnImportOpml() {
  const std::optional<std::string> path = services_.fileDialogs->OpenFileName(
      {"Import OPML", {}, {}, {}, {"OPML Files (*.opml *.xml)", "All Files (*)"}});
  if (!path) return;
  OpmlImport import;
  const std::string problem = ImportOpmlFile(services_.programFolder, *path, import);
  services_.prompt->Notify(problem.empty() ? ImportSummary(import)
                                           : problem + " No channel was added.");
  FillChannelList();
}

void CChannelListDlg::OnExportOpml() {
  const std::optional<std::string> path = services_.fileDialogs->SaveFileName(
      {"Export OPML", {}, "Brevora channels", "opml", {"OPML Files (*.opml)"}});
  if (!path) return;
  int count = 0;
  const std::string problem =
      ExportOpmlFile(services_.programFolder, *path, std::time(nullptr), count);
  services_.prompt->Notify(problem.empty()
                               ? "Exported " + std::to_string(count) +
                                     (count == 1 ? " channel" : " channels") + " to " + *path + "."
                               : problem);
}

void CChannelListDlg::accept() {
  for (int row : SelectedRows()) owner_.AddChannel(channelList_->item(row)->text().toStdString());
  fileLines_.clear();
  QDialog::accept();
}

void CChannelListDlg::reject() {
  fileLines_.clear();
  QDialog::reject();
}

}  // namespace brevora
