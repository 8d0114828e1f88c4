// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "config/main_window_rules.h"
#include "speech/voice_list.h"

namespace brevora {
namespace {

using Names = std::vector<std::string>;

// Combo boxes and the channel list select the first item that begins with the
// value, ignoring case; an empty value selects nothing.
TEST(MainWindowRules, FirstItemBeginningWith) {
  const Names formats{"mp3", "text", "wav"};
  EXPECT_EQ(FindFirstBeginningWith(formats, "TEXT"), 1);
  EXPECT_EQ(FindFirstBeginningWith(formats, "te"), 1);
  EXPECT_EQ(FindFirstBeginningWith(formats, "text "), -1);
  EXPECT_EQ(FindFirstBeginningWith(formats, "ogg"), -1);
  EXPECT_EQ(FindFirstBeginningWith(formats, ""), -1);
  EXPECT_EQ(FindFirstBeginningWith({"News Weekly", "News"}, "news"), 0);
}

// "Up" on the first and "Down" on the last item keep order and selection;
// without a selection nothing moves.
TEST(MainWindowRules, UpAndDown) {
  Names list{"A", "B", "C"};
  EXPECT_EQ(MoveChannelUp(list, 0), 0);
  EXPECT_EQ(MoveChannelDown(list, 2), 2);
  EXPECT_EQ(list, (Names{"A", "B", "C"}));
  EXPECT_EQ(MoveChannelUp(list, 2), 1);
  EXPECT_EQ(list, (Names{"A", "C", "B"}));
  EXPECT_EQ(MoveChannelDown(list, 0), 1);
  EXPECT_EQ(list, (Names{"C", "A", "B"}));
  EXPECT_EQ(MoveChannelUp(list, -1), -1);
  EXPECT_EQ(MoveChannelDown(list, 3), -1);
  EXPECT_EQ(list, (Names{"C", "A", "B"}));
}

// AddChannel compares whole names ignoring case.
TEST(MainWindowRules, AddChannel) {
  Names list{"News Weekly"};
  EXPECT_TRUE(AddChannelName(list, "News"));
  EXPECT_FALSE(AddChannelName(list, "news weekly"));
  EXPECT_EQ(list, (Names{"News Weekly", "News"}));
}

TEST(MainWindowRules, FolderFromPicker) {
  EXPECT_EQ(FolderFromPicker("/srv/news//"), "/srv/news/");
  EXPECT_EQ(FolderFromPicker("/srv/news"), "/srv/news/");
  EXPECT_EQ(FolderFromPicker(""), "");
  EXPECT_EQ(FolderFromPicker("/"), "/");
  EXPECT_EQ(FolderFromPicker("//"), "/");
}

// The box is sorted by description; the voice selected speaks the user's
// language, its region's where there is one, else English, else it is the one
// the engine listed first, wherever it lands.
TEST(MainWindowRules, VoiceBoxSortedWithTheUsersLanguageSelected) {
  const std::vector<VoiceInfo> voices = {{"English (America)", "gmw/en-US", "en-us"},
                                         {"Afrikaans", "gmw/af", "af"},
                                         {"English (Great Britain)", "gmw/en", "en-gb"},
                                         {"german", "gmw/de", "de"}};
  const auto selected = [&](const std::string& language) {
    const VoiceBoxItems box = SortVoicesForBox(voices, language);
    return box.items[box.selected].token;
  };
  const VoiceBoxItems box = SortVoicesForBox(voices, "en-gb");
  ASSERT_EQ(box.items.size(), 4u);
  EXPECT_EQ(box.items[0].token, "gmw/af");
  EXPECT_EQ(box.items[3].token, "gmw/de");
  EXPECT_EQ(selected("en-gb"), "gmw/en");
  EXPECT_EQ(selected("en-us"), "gmw/en-US");
  EXPECT_EQ(selected("en-au"), "gmw/en-US");  // another English: the first in the box
  EXPECT_EQ(selected("de-at"), "gmw/de");
  EXPECT_EQ(selected("fr-fr"), "gmw/en-US");  // no French: English
  EXPECT_EQ(selected(""), "gmw/en-US");
  // Voices that name no language: the one the engine listed first.
  EXPECT_EQ(SortVoicesForBox({{"Zulu", "zu"}, {"Afrikaans", "af"}}, "en-gb").selected, 1);
  EXPECT_EQ(SortVoicesForBox({}).selected, -1);
}

TEST(MainWindowRules, UserLanguage) {
  EXPECT_EQ(UserLanguage(nullptr, nullptr, "en_GB.UTF-8"), "en-gb");
  EXPECT_EQ(UserLanguage("", "de_AT@euro", "en_GB.UTF-8"), "de-at");
  EXPECT_EQ(UserLanguage("pt_BR", "de_AT", "en_GB"), "pt-br");
  EXPECT_EQ(UserLanguage("C.UTF-8", nullptr, "en_GB"), "");
  EXPECT_EQ(UserLanguage(nullptr, nullptr, nullptr), "");
}

}  // namespace
}  // namespace brevora
