#include <gtest/gtest.h>

#include "config/main_window_rules.h"
#include "pipeline/voice_list.h"

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
  EXPECT_EQ(FolderFromPicker("/srv/news/"), "/srv/news");
  EXPECT_EQ(FolderFromPicker("/srv/news"), "/srv/news");
  EXPECT_EQ(FolderFromPicker("/"), "/");
  EXPECT_EQ(FolderFromPicker("//"), "/");
}

// The box is sorted by description; the voice selected is the one the engine
// listed first, wherever it lands.
TEST(MainWindowRules, VoiceBoxSortedWithFirstEnumeratedSelected) {
  const VoiceBoxItems box =
      SortVoicesForBox({{"English (Great Britain)", "en"}, {"Afrikaans", "af"}, {"german", "de"}});
  ASSERT_EQ(box.items.size(), 3u);
  EXPECT_EQ(box.items[0].token, "af");
  EXPECT_EQ(box.items[1].token, "en");
  EXPECT_EQ(box.items[2].token, "de");
  EXPECT_EQ(box.selected, 1);
  EXPECT_EQ(SortVoicesForBox({}).selected, -1);
}

}  // namespace
}  // namespace brevora
