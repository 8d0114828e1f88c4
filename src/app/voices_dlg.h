// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "config/program_settings.h"
#include "speech/article_language.h"

class QCheckBox;
class QTableWidget;

namespace brevora {

class UserPrompt;

// "Voices for languages...": whether every article is read in its own
// language, and the voice of each language met in the last runs or set
// before: its own (automatic), the voice chosen in the window, or any
// installed voice. Kept in Brevora.ini [Voices] by OK.
class CVoicesDlg : public QDialog {
  Q_OBJECT

 public:
  // `choice`: the window's voice and the user's language, for the automatic
  // voices shown.
  CVoicesDlg(const std::string& dataFolder, std::vector<VoiceInfo> voices,
             const VoiceChoice& choice, UserPrompt& prompt, QWidget* parent);

  void accept() override;

 private:
  std::string dataFolder_;
  std::vector<VoiceInfo> voices_;
  UserPrompt& prompt_;
  LanguageSettings settings_;
  std::vector<std::string> languages_;
  QCheckBox* perArticleCheck_;
  QTableWidget* table_;
};

}  // namespace brevora
