// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/user_prompt.h"

class QWidget;

namespace brevora {

// Modal message boxes captioned "Brevora", without an icon.
class MessageBoxPrompt : public UserPrompt {
 public:
  explicit MessageBoxPrompt(QWidget* parent) : parent_(parent) {}
  void Notify(const std::string& text) override;
  Answer AskYesNo(const std::string& text) override;
  Answer AskYesNoCancel(const std::string& text) override;
  Answer AskOkCancel(const std::string& text) override;

 private:
  QWidget* parent_;
};

}  // namespace brevora
