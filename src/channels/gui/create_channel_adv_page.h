// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "channels/channel_editor_rules.h"
#include "channels/channel_record.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace brevora {

class CCreateEditChannel;

// The "Advanced" page of the channel editor: where the channel's start
// document lies and how the crawler follows and filters links. Apart from the
// URL, from which the basic page takes the categories, the crawler alone
// reads these values.
class CCreateChannelAdvPage : public QWidget {
  Q_OBJECT
 public:
  CCreateChannelAdvPage(CCreateEditChannel& sheet, ChannelRecord& record,
                        QWidget* parent = nullptr);

  // The first time the tab is shown in a run of the sheet.
  void OnInitDialog();
  // Each time the tab is shown.
  void OnSetActive();

  // Controls to values. The first numeric field out of its range gets its
  // message and the focus, and false is returned.
  bool TakeValues();
  // The values into a record (after TakeValues passed).
  void StoreValues(ChannelRecord& record) const { StoreAdvancedValues(values_, record); }

 private:
  void OnUrlChanged(const QString& text);
  void OnSchemeChanged(int index);
  void OnBrowse();
  void SelectScheme(const std::string& url);
  void PutValues();
  QWidget* FieldOf(const std::string& label) const;

  CCreateEditChannel& sheet_;
  ChannelRecord& record_;
  AdvancedPageValues values_;

  QComboBox* schemeCombo_;
  QLineEdit* urlEdit_;
  QPushButton* browseButton_;
  QLineEdit* webSiteUrlsEdit_;
  QSpinBox* crawlDepthSpin_;
  QComboBox* numberOfCharactersCombo_;
  QSpinBox* linesToSkipSpin_;
  QLineEdit* linkFilterEdit_;
  QLineEdit* linksInLeafNodeEdit_;
  QLineEdit* extraLinkFilterEdit_;
  QLineEdit* linksForExtraFilteringEdit_;
  QLineEdit* negativeLinkFilterEdit_;
  QComboBox* useParagraphTagCombo_;
  QComboBox* paragraphEndExistsCombo_;
  QComboBox* useSpanTagCombo_;
  QComboBox* useRemarkStringCombo_;
  QLineEdit* startRemarkStringEdit_;
  QLineEdit* endRemarkStringEdit_;
  QLineEdit* loginUrlEdit_;
  QLineEdit* rssFilterEdit_;
  QLineEdit* negativeLinkTextFilterEdit_;
};

}  // namespace brevora
