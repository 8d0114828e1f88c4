// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace brevora {

enum class Answer { Yes, No, Cancel };

// What the user must see: notices and questions. The main window shows them
// as modal message boxes captioned "Brevora"; tests answer them from a script.
class UserPrompt {
 public:
  virtual ~UserPrompt() = default;
  // A notice or error with an OK button.
  virtual void Notify(const std::string& text) = 0;
  // A question with Yes and No; returns Answer::Yes or Answer::No.
  virtual Answer AskYesNo(const std::string& text) = 0;
  // A question with Yes, No and Cancel.
  virtual Answer AskYesNoCancel(const std::string& text) = 0;
  // A question with OK and Cancel; returns Answer::Yes for OK. Where a
  // prompt has no such box, Yes and No stand for them.
  virtual Answer AskOkCancel(const std::string& text) {
    return AskYesNo(text) == Answer::Yes ? Answer::Yes : Answer::Cancel;
  }
};

}  // namespace brevora
