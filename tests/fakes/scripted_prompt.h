// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "base/user_prompt.h"

namespace brevora::testing {

// A UserPrompt that records every text shown and gives the answers a test
// queued. A question with no queued answer fails the test.
class ScriptedPrompt : public UserPrompt {
 public:
  void Notify(const std::string& text) override { shown.push_back(text); }
  Answer AskYesNo(const std::string& text) override { return Next(text); }
  Answer AskYesNoCancel(const std::string& text) override { return Next(text); }

  std::vector<std::string> shown;  // notices and questions, in order
  std::deque<Answer> answers;

 private:
  Answer Next(const std::string& text) {
    shown.push_back(text);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return Answer::No;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace brevora::testing
