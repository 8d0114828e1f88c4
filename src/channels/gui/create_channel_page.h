// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <string>

#include "channels/channel_editor_rules.h"
#include "channels/channel_record.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace brevora {

class CCreateEditChannel;

// The "Basic" page of the channel editor: the name, the categories of a local
// feed file in the order the crawler takes them, the number to download, and
// the login fields switched by "Cookies Authentication".
class CCreateChannelPage : public QWidget {
  Q_OBJECT
 public:
  CCreateChannelPage(CCreateEditChannel& sheet, ChannelRecord& record, QWidget* parent = nullptr);

  // Each run of the sheet: the controls from the record.
  void OnInitDialog();
  // Each time the tab is shown: the categories again when the URL changed.
  void OnSetActive();

  // Controls to members; then the name's message, empty when the page may
  // store its values.
  std::string TakeValues();
  // The page's values into a record (name, count, user name, password).
  void StoreValues(ChannelRecord& record) const;

  // The categories from the record's URL, when it changed since the last time.
  void RefreshCategories();
  // Rewrites the feed file with the categories in the order shown.
  bool SaveCategoryOrder();

  // The name as last taken from its control.
  const std::string& NameText() const { return nameText_; }

 private:
  void OnUp();
  void OnDown();
  void OnCookiesClicked();
  void ShowCategories(int selected);
  void EnableLogin(bool enabled);

  CCreateEditChannel& sheet_;
  ChannelRecord& record_;
  ChannelCategories categories_;
  std::string nameText_;

  QLineEdit* nameEdit_;
  QListWidget* categoryList_;
  QPushButton* upButton_;
  QPushButton* downButton_;
  QLabel* countLabel_;
  QSpinBox* categoryCountSpin_;
  QCheckBox* cookiesCheck_;
  QLineEdit* userNameEdit_;
  QLineEdit* passwordEdit_;
};

}  // namespace brevora
