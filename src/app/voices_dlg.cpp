// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/voices_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app_icon.h"
#include "base/user_prompt.h"

namespace brevora {

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

CVoicesDlg::CVoicesDlg(const std::string& dataFolder, std::vector<VoiceInfo> voices,
                       const VoiceChoice& choice, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent),
      dataFolder_(dataFolder),
      voices_(std::move(voices)),
      prompt_(prompt),
      settings_(ReadLanguageSettings(dataFolder)),
      languages_(LanguagesOfTable(settings_)) {
  setObjectName(QStringLiteral("voicesDialog"));
  setWindowTitle(QStringLiteral("Voices for Languages"));
  setWindowIcon(AppIcon());
  perArticleCheck_ = new QCheckBox(QStringLiteral("&Read every article in its own language"), this);
  perArticleCheck_->setObjectName(QStringLiteral("perArticleCheck"));
  perArticleCheck_->setChecked(settings_.perArticle);
  table_ = new QTableWidget(static_cast<int>(languages_.size()), 2, this);
  table_->setObjectName(QStringLiteral("languagesTable"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Language"), QStringLiteral("Voice")});
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  VoiceChoice automatic = choice;
  automatic.languageVoices.clear();
  for (int row = 0; row < static_cast<int>(languages_.size()); ++row) {
    const std::string& language = languages_[row];
    auto* name = new QTableWidgetItem(Text(language));
    name->setFlags(Qt::ItemIsEnabled);
    table_->setItem(row, 0, name);
    auto* box = new QComboBox(table_);
    box->setObjectName(Text("voiceFor_" + language));
    const std::string token = VoiceForLanguage(language, voices_, automatic);
    std::string own = "none installed: the chosen voice";
    for (const VoiceInfo& voice : voices_) {
      if (!token.empty() && voice.token == token) own = voice.description;
    }
    box->addItem(Text("Its own (" + own + ")"), QString());
    box->addItem(Text(kTheChosenVoice), Text(kTheChosenVoice));
    for (const VoiceInfo& voice : voices_)
      box->addItem(Text(voice.description), Text(voice.description));
    const auto set = settings_.voices.find(language);
    if (set != settings_.voices.end()) {
      const int index = box->findData(Text(set->second), Qt::UserRole, Qt::MatchFixedString);
      box->setCurrentIndex(index >= 0 ? index : 0);
    }
    table_->setCellWidget(row, 1, box);
  }
  table_->setMinimumSize(420, 220);
  auto* note = new QLabel(
      languages_.empty()
          ? QStringLiteral("The languages of the articles appear here after a run.")
          : QStringLiteral("A language's own voice speaks with your region where it has one."),
      this);
  note->setObjectName(QStringLiteral("noteLabel"));
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CVoicesDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(perArticleCheck_, &QCheckBox::toggled, table_, &QWidget::setEnabled);
  table_->setEnabled(settings_.perArticle);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(perArticleCheck_);
  layout->addWidget(table_, 1);
  layout->addWidget(note);
  layout->addWidget(buttons);
}

void CVoicesDlg::accept() {
  settings_.perArticle = perArticleCheck_->isChecked();
  settings_.voices.clear();
  for (int row = 0; row < static_cast<int>(languages_.size()); ++row) {
    const auto* box = static_cast<QComboBox*>(table_->cellWidget(row, 1));
    const std::string voice = box->currentData().toString().toStdString();
    if (!voice.empty()) settings_.voices[languages_[row]] = voice;
  }
  if (WriteLanguageSettings(dataFolder_, settings_) != 0) {
    prompt_.Notify("Brevora.ini could not be written!");
    return;
  }
  QDialog::accept();
}

}  // namespace brevora
