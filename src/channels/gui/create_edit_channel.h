// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <string>

#include "channels/channel_record.h"
#include "channels/gui/channel_dialog_services.h"

class QDialogButtonBox;
class QTabWidget;

namespace brevora {

class CCreateChannelAdvPage;
class CCreateChannelPage;

// The channel editor: the tabs "Basic" and "Advanced" over one record, with
// "OK" and "Cancel". Built with a channel name, it edits that channel of
// Channels.txt ("Edit Channel"); built with an empty name, a new one
// ("Create Channel"). After "OK" the record holds what the pages stored; the
// caller writes it.
class CCreateEditChannel : public QDialog {
  Q_OBJECT
 public:
  CCreateEditChannel(const ChannelDialogServices& services, const std::string& name,
                     QWidget* parent = nullptr);
  // A new channel that starts from `draft` (its name and every field) rather
  // than from the editor's proposals; nothing is read from Channels.txt.
  CCreateEditChannel(const ChannelDialogServices& services, const ChannelRecord& draft,
                     QWidget* parent = nullptr);
  ~CCreateEditChannel() override;

  // One modal run: the pages are set up anew and "Basic" is shown first. The
  // same sheet may run again; the record keeps what the last "OK" stored.
  int DoModal();

  const ChannelRecord& Record() const { return record_; }
  bool IsNewChannel() const { return isNewChannel_; }
  bool HasDraft() const { return hasDraft_; }
  CCreateChannelPage& BasicPage() { return *basicPage_; }
  const ChannelDialogServices& Services() const { return services_; }

  // Whether the login fields are in use; the basic page's box switches it,
  // the advanced page enables "Login URL" from it.
  bool CookiesEnabled() const { return cookiesEnabled_; }
  void SetCookiesEnabled(bool enabled) { cookiesEnabled_ = enabled; }

  // "OK": the pages' checks, then their values into the record.
  void accept() override;

 private:
  void Build();
  void OnTabChanged(int index);
  void ShowTabQuietly(int index);

  const ChannelDialogServices& services_;
  ChannelRecord record_;
  bool isNewChannel_ = true;
  bool hasDraft_ = false;
  bool cookiesEnabled_ = true;
  // The advanced page takes part in "OK" only once its tab has been shown in
  // this run.
  bool advancedCreated_ = false;
  int shownTab_ = 0;

  QTabWidget* tabs_;
  CCreateChannelPage* basicPage_;
  CCreateChannelAdvPage* advancedPage_;
  QDialogButtonBox* buttons_;
};

}  // namespace brevora
