// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/gui/create_channel_adv_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "base/file_dialogs.h"
#include "base/user_prompt.h"
#include "channels/gui/create_channel_page.h"
#include "channels/gui/create_edit_channel.h"

namespace brevora {

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// An edit with arrows at its right. Typing accepts any whole number up to six
// digits, so the page's range check can name a typed value out of range; an
// emptied field stays empty (rather than taking its last value back when it
// loses the focus), so the check can name that too. The arrows step only
// within [stepMinimum, stepMaximum].
class UpDownEdit : public QSpinBox {
 public:
  UpDownEdit(int stepMinimum, int stepMaximum, QWidget* parent)
      : QSpinBox(parent), stepMinimum_(stepMinimum), stepMaximum_(stepMaximum) {
    setRange(kEmpty, 999999);
    setAlignment(Qt::AlignRight);
  }
  void stepBy(int steps) override {
    setValue(std::clamp(value() + steps, stepMinimum_, stepMaximum_));
  }

 protected:
  static constexpr int kEmpty = -1;  // the value of an empty field
  QValidator::State validate(QString& input, int& position) const override {
    if (input.trimmed().isEmpty()) return QValidator::Acceptable;
    return QSpinBox::validate(input, position);
  }
  int valueFromText(const QString& text) const override {
    return text.trimmed().isEmpty() ? kEmpty : QSpinBox::valueFromText(text);
  }
  QString textFromValue(int value) const override {
    return value == kEmpty ? QString() : QSpinBox::textFromValue(value);
  }
  StepEnabled stepEnabled() const override {
    StepEnabled enabled = StepNone;
    if (value() < stepMaximum_) enabled |= StepUpEnabled;
    if (value() > stepMinimum_) enabled |= StepDownEnabled;
    return enabled;
  }

 private:
  int stepMinimum_;
  int stepMaximum_;
};

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromUtf8(name));
  return widget;
}

QComboBox* Choices(const char* name, std::initializer_list<const char*> items, QWidget* parent) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  for (const char* item : items) combo->addItem(QString::fromUtf8(item));
  return combo;
}

QComboBox* Flag(const char* name, QWidget* parent) {
  return Choices(name, {"false", "true"}, parent);
}

QLineEdit* NumberEdit(const char* name, QWidget* parent) {
  auto* edit = Named(new QLineEdit(parent), name);
  edit->setAlignment(Qt::AlignRight);
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
  return edit;
}

void PutText(QComboBox& combo, const std::string& text) {
  combo.setCurrentIndex(-1);
  combo.setEditText(Text(text));
}

void PutNumber(QSpinBox& spin, const std::string& text) {
  spin.setValue(static_cast<int>(ParseUnsignedField(text).value_or(0)));
}

}  // namespace

CCreateChannelAdvPage::CCreateChannelAdvPage(CCreateEditChannel& sheet, ChannelRecord& record,
                                             QWidget* parent)
    : QWidget(parent), sheet_(sheet), record_(record) {
  setObjectName(QStringLiteral("advancedPage"));
  schemeCombo_ = Named(new QComboBox(this), "schemeCombo");
  schemeCombo_->addItems({QStringLiteral("file"), QStringLiteral("net")});
  urlEdit_ = Named(new QLineEdit(this), "urlEdit");
  urlEdit_->setMinimumWidth(urlEdit_->fontMetrics().averageCharWidth() * 40);
  browseButton_ = Named(new QPushButton(QStringLiteral("..."), this), "browseButton");
  browseButton_->setAutoDefault(false);
  browseButton_->setMaximumWidth(browseButton_->fontMetrics().horizontalAdvance("...") + 24);
  webSiteUrlsEdit_ = Named(new QLineEdit(this), "webSiteUrlsEdit");
  crawlDepthSpin_ = Named(new UpDownEdit(1, 10, this), "crawlDepthSpin");
  numberOfCharactersCombo_ =
      Choices("numberOfCharactersCombo", {"500", "1000", "1500", "5000", "10000"}, this);
  linesToSkipSpin_ = Named(new UpDownEdit(0, 20, this), "linesToSkipSpin");
  linkFilterEdit_ = Named(new QLineEdit(this), "linkFilterEdit");
  linksInLeafNodeEdit_ = NumberEdit("linksInLeafNodeEdit", this);
  extraLinkFilterEdit_ = Named(new QLineEdit(this), "extraLinkFilterEdit");
  linksForExtraFilteringEdit_ = NumberEdit("linksForExtraFilteringEdit", this);
  negativeLinkFilterEdit_ = Named(new QLineEdit(this), "negativeLinkFilterEdit");
  useParagraphTagCombo_ = Flag("useParagraphTagCombo", this);
  paragraphEndExistsCombo_ = Flag("paragraphEndExistsCombo", this);
  useSpanTagCombo_ = Flag("useSpanTagCombo", this);
  useRemarkStringCombo_ = Flag("useRemarkStringCombo", this);
  startRemarkStringEdit_ = Named(new QLineEdit(this), "startRemarkStringEdit");
  endRemarkStringEdit_ = Named(new QLineEdit(this), "endRemarkStringEdit");
  loginUrlEdit_ = Named(new QLineEdit(this), "loginUrlEdit");
  rssFilterEdit_ = Named(new QLineEdit(this), "rssFilterEdit");
  negativeLinkTextFilterEdit_ = Named(new QLineEdit(this), "negativeLinkTextFilterEdit");

  // Label and field, in four columns: a row holds one wide field or two
  // short ones side by side.
  auto* grid = new QGridLayout(this);
  int row = 0;
  const auto label = [this](const char* text, QWidget* buddy) {
    auto* shown = new QLabel(QString::fromUtf8(text), this);
    shown->setBuddy(buddy);
    return shown;
  };
  const auto wide = [&](const char* text, QWidget* field) {
    grid->addWidget(label(text, field), row, 0);
    grid->addWidget(field, row++, 1, 1, 3);
  };
  const auto pair = [&](const char* leftText, QWidget* left, const char* rightText,
                        QWidget* right) {
    grid->addWidget(label(leftText, left), row, 0);
    grid->addWidget(left, row, 1, Qt::AlignLeft);
    if (right != nullptr) {
      grid->addWidget(label(rightText, right), row, 2);
      grid->addWidget(right, row, 3, Qt::AlignLeft);
    }
    ++row;
  };
  auto* url = new QHBoxLayout;
  url->addWidget(schemeCombo_);
  url->addWidget(urlEdit_, 1);
  url->addWidget(browseButton_);
  grid->addWidget(label("URL", schemeCombo_), row, 0);
  grid->addLayout(url, row++, 1, 1, 3);
  wide("Web Site URLs", webSiteUrlsEdit_);
  pair("Crawl Depth", crawlDepthSpin_, "Number of\nCharacters", numberOfCharactersCombo_);
  pair("Number of\nLines to Skip", linesToSkipSpin_, nullptr, nullptr);
  wide("Link Filter", linkFilterEdit_);
  pair("Number of Links\nin Leaf Node", linksInLeafNodeEdit_, nullptr, nullptr);
  wide("Extra Link Filter", extraLinkFilterEdit_);
  pair("Number of Links\nfor Extra Filtering", linksForExtraFilteringEdit_, nullptr, nullptr);
  wide("Negative Link Filter", negativeLinkFilterEdit_);
  pair("Use Paragraph Tag", useParagraphTagCombo_, "Paragraph End Exists",
       paragraphEndExistsCombo_);
  pair("Use Span Tag", useSpanTagCombo_, "Use Remark String", useRemarkStringCombo_);
  wide("Start Remark String", startRemarkStringEdit_);
  wide("End Remark String", endRemarkStringEdit_);
  wide("Login URL", loginUrlEdit_);
  wide("RSS Filter", rssFilterEdit_);
  wide("Negative Link\nText Filter", negativeLinkTextFilterEdit_);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(row, 1);

  connect(urlEdit_, &QLineEdit::textChanged, this, &CCreateChannelAdvPage::OnUrlChanged);
  connect(schemeCombo_, &QComboBox::activated, this, &CCreateChannelAdvPage::OnSchemeChanged);
  connect(browseButton_, &QPushButton::clicked, this, &CCreateChannelAdvPage::OnBrowse);
}

void CCreateChannelAdvPage::OnInitDialog() {
  ApplyNewChannelDefaults(values_);
  if (sheet_.IsNewChannel() && !sheet_.HasDraft()) {
    schemeCombo_->setCurrentIndex(0);
  } else {
    LoadAdvancedValues(record_, values_);
    SelectScheme(values_.url);
  }
  loginUrlEdit_->setEnabled(sheet_.CookiesEnabled());
  PutValues();
}

void CCreateChannelAdvPage::OnSetActive() {
  loginUrlEdit_->setEnabled(sheet_.CookiesEnabled());
}

void CCreateChannelAdvPage::SelectScheme(const std::string& url) {
  const bool network = IsNetworkUrl(url);
  schemeCombo_->setCurrentIndex(network ? 1 : 0);
  browseButton_->setEnabled(!network);
}

// Every change of the URL counts at once: the basic page takes its
// categories from the record when its tab is shown next.
void CCreateChannelAdvPage::OnUrlChanged(const QString& text) {
  record_.url = text.toStdString();
  SelectScheme(record_.url);
}

void CCreateChannelAdvPage::OnSchemeChanged(int index) {
  const std::string url = UrlOfScheme(schemeCombo_->itemText(index).toStdString());
  urlEdit_->setText(Text(url));  // through OnUrlChanged into the record
  record_.url = url;
  browseButton_->setEnabled(!IsNetworkUrl(url));
  sheet_.BasicPage().RefreshCategories();
}

void CCreateChannelAdvPage::OnBrowse() {
  const std::optional<std::string> path =
      sheet_.Services().fileDialogs->OpenFileName(FileDialogRequest{"Open", {}, {}, {}, {}});
  if (!path) return;
  urlEdit_->setText(Text(*path));
  record_.url = *path;
  SelectScheme(*path);
  sheet_.BasicPage().RefreshCategories();
}

void CCreateChannelAdvPage::PutValues() {
  urlEdit_->setText(Text(values_.url));
  webSiteUrlsEdit_->setText(Text(values_.webSiteUrls));
  PutNumber(*crawlDepthSpin_, values_.crawlDepth);
  PutText(*numberOfCharactersCombo_, values_.numberOfCharacters);
  PutNumber(*linesToSkipSpin_, values_.linesToSkip);
  linkFilterEdit_->setText(Text(values_.linkFilter));
  linksInLeafNodeEdit_->setText(Text(values_.linksInLeafNode));
  extraLinkFilterEdit_->setText(Text(values_.extraLinkFilter));
  linksForExtraFilteringEdit_->setText(Text(values_.linksForExtraFiltering));
  negativeLinkFilterEdit_->setText(Text(values_.negativeLinkFilter));
  PutText(*useParagraphTagCombo_, values_.useParagraphTag);
  PutText(*paragraphEndExistsCombo_, values_.paragraphEndExists);
  PutText(*useSpanTagCombo_, values_.useSpanTag);
  PutText(*useRemarkStringCombo_, values_.useRemarkString);
  startRemarkStringEdit_->setText(Text(values_.startRemarkString));
  endRemarkStringEdit_->setText(Text(values_.endRemarkString));
  loginUrlEdit_->setText(Text(values_.loginUrl));
  rssFilterEdit_->setText(Text(values_.rssFilter));
  negativeLinkTextFilterEdit_->setText(Text(values_.negativeLinkTextFilter));
}

bool CCreateChannelAdvPage::TakeValues() {
  const auto text = [](const auto* control) { return control->text().toStdString(); };
  values_.url = text(urlEdit_);
  values_.webSiteUrls = text(webSiteUrlsEdit_);
  values_.crawlDepth = crawlDepthSpin_->cleanText().toStdString();
  values_.numberOfCharacters = numberOfCharactersCombo_->currentText().toStdString();
  values_.linesToSkip = linesToSkipSpin_->cleanText().toStdString();
  values_.linkFilter = text(linkFilterEdit_);
  values_.linksInLeafNode = text(linksInLeafNodeEdit_);
  values_.extraLinkFilter = text(extraLinkFilterEdit_);
  values_.linksForExtraFiltering = text(linksForExtraFilteringEdit_);
  values_.negativeLinkFilter = text(negativeLinkFilterEdit_);
  values_.useParagraphTag = useParagraphTagCombo_->currentText().toStdString();
  values_.paragraphEndExists = paragraphEndExistsCombo_->currentText().toStdString();
  values_.useSpanTag = useSpanTagCombo_->currentText().toStdString();
  values_.useRemarkString = useRemarkStringCombo_->currentText().toStdString();
  values_.startRemarkString = text(startRemarkStringEdit_);
  values_.endRemarkString = text(endRemarkStringEdit_);
  values_.loginUrl = text(loginUrlEdit_);
  values_.rssFilter = text(rssFilterEdit_);
  values_.negativeLinkTextFilter = text(negativeLinkTextFilterEdit_);
  const std::optional<RangeProblem> problem = CheckAdvancedRanges(values_);
  if (!problem) return true;
  sheet_.Services().prompt->Notify(problem->message);
  FieldOf(problem->field)->setFocus();
  return false;
}

QWidget* CCreateChannelAdvPage::FieldOf(const std::string& label) const {
  if (label == "in Leaf Node") return linksInLeafNodeEdit_;
  if (label == "Lines to Skip") return linesToSkipSpin_;
  if (label == "for Extra Filtering") return linksForExtraFilteringEdit_;
  return crawlDepthSpin_;
}

}  // namespace brevora
