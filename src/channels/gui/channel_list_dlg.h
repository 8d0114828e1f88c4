// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <vector>

#include "channels/channel_file.h"
#include "channels/gui/channel_dialog_services.h"

class QListWidget;
class QPushButton;

namespace brevora {

// "Add Channel": the channels of Channels.txt, where the user creates, edits
// and deletes channels, and picks those that "OK" appends to the owner's run
// list.
class CChannelListDlg : public QDialog {
  Q_OBJECT
 public:
  CChannelListDlg(ChannelDialogServices services, ChannelListOwner& owner,
                  QWidget* parent = nullptr);

  // Reads the list, then runs the dialog modally.
  int DoModal();
  void OnInitDialog() { FillChannelList(); }

  // Reads Channels.txt into the list.
  void FillChannelList();

  void OnCreateChannel();
  void OnEditChannel();
  void OnDeleteChannel();
  // "From address...": a channel from a site's or a feed's address.
  void OnFromAddress();
  // "Import OPML..." and "Export OPML...": the channel list to and from a
  // feed reader.
  void OnImportOpml();
  void OnExportOpml();
  // "OK": the selected names to the owner.
  void accept() override;
  // "Cancel" and closing the window: nothing handed over.
  void reject() override;

 private:
  std::vector<int> SelectedRows() const;

  ChannelDialogServices services_;
  ChannelListOwner& owner_;
  std::vector<ChannelFileLine> fileLines_;

  QListWidget* channelList_;
  QPushButton* createButton_;
  QPushButton* editButton_;
  QPushButton* deleteButton_;
  QPushButton* fromAddressButton_;
  QPushButton* importButton_;
  QPushButton* exportButton_;
};

}  // namespace brevora
