// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <string>
#include <thread>
#include <vector>

#include "channels/channel_record.h"
#include "channels/gui/channel_dialog_services.h"
#include "platform/cancel_event.h"
#include "run/feed_search.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace brevora {

// "From address...": the user pastes the address of a site or a feed, the
// search runs on a thread of its own (the window stays responsive, "Stop"
// cancels it), the feeds found are listed with their item counts, newest
// titles and languages, and the one picked becomes a channel that reads its
// items as articles. Nothing is written until "OK"; "Edit..." opens the
// channel editor on the channel first.
class CFeedSearchDlg : public QDialog {
  Q_OBJECT
 public:
  // `taken`: the names of Channels.txt, which the new name must differ from.
  CFeedSearchDlg(const ChannelDialogServices& services, FeedSearcher& searcher,
                 std::vector<std::string> taken, QWidget* parent = nullptr);
  ~CFeedSearchDlg() override;

  int DoModal();

  // "Find", or "Stop" while a search goes on.
  void OnFind();
  // "Edit...": the editor on the channel as it would be written.
  void OnEdit();
  // "OK": writes the channel into Channels.txt (the dialog stays on a name
  // the editor would refuse, or one that is taken).
  void accept() override;
  // "Cancel": stops a search; nothing is written.
  void reject() override;

  bool Searching() const { return worker_.joinable(); }
  // The name of the channel written by "OK"; empty before.
  const std::string& AddedName() const { return added_; }

 signals:
  // A search ended (found, failed or stopped) and the dialog shows it.
  void searchEnded();

 private:
  void OnSearchEnded(const FeedSearch& search);
  void OnFeedChosen();
  void StopSearch();
  void UpdateButtons();
  // The channel of the chosen feed with the name of the name field.
  ChannelRecord Channel() const;

  const ChannelDialogServices& services_;
  FeedSearcher& searcher_;
  std::vector<std::string> taken_;
  std::vector<FoundFeed> feeds_;
  std::string added_;
  // Settings the editor changed, kept while the same feed stays chosen.
  ChannelRecord edited_;
  bool hasEdited_ = false;

  CancelEvent cancel_;
  std::thread worker_;
  int search_ = 0;  // which search the shown results belong to

  QLineEdit* addressEdit_;
  QPushButton* findButton_;
  QLabel* statusLabel_;
  QListWidget* feedList_;
  QLineEdit* nameEdit_;
  QPushButton* editButton_;
  QPushButton* okButton_;
};

}  // namespace brevora
