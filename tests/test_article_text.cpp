// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/article_text.h"

#include <gtest/gtest.h>

#include "fakes/temp_folder.h"

namespace brevora {
namespace {

using testing::TempFolder;

TEST(TextFile, Utf16WithMarkAndUtf8Read) {
  TempFolder folder;
  // "Hé€" in UTF-16 little-endian after FF FE, and an odd last byte.
  const std::string utf16("\xff\xfeH\0\xe9\0\xac\x20!", 9);
  EXPECT_EQ(ReadArticleText(folder.Write("a.txt", utf16)), std::u16string(u"H\u00e9\u20ac"));
  EXPECT_EQ(ReadArticleText(folder.Write("b.txt", "H\xc3\xa9\xe2\x82\xac")),
            std::u16string(u"H\u00e9\u20ac"));
  EXPECT_EQ(ReadArticleText(folder.Write("c.txt", "\xff\xfe")), std::u16string());
  EXPECT_EQ(ReadArticleText(folder.Write("d.txt", "")), std::u16string());
  // Big-endian UTF-16 is not recognised: read as 8-bit text.
  EXPECT_EQ(ReadArticleText(folder.Write("e.txt", std::string("\xfe\xff\0A", 4))),
            std::u16string(u"\ufffd\ufffd\0A", 4));
  EXPECT_FALSE(ReadArticleText(folder.path() + "missing.txt").has_value());
}

// Bytes that are not UTF-8 never fail the text.
TEST(TextFile, InvalidUtf8BecomesReplacement) {
  EXPECT_EQ(DecodeUtf8("a\x80z"), u"a\ufffdz");
  EXPECT_EQ(DecodeUtf8("\xe2\x82"), u"\ufffd");              // cut short
  EXPECT_EQ(DecodeUtf8("\xc0\xaf!"), u"\ufffd!");            // overlong form
  EXPECT_EQ(DecodeUtf8("\xed\xa0\x80x"), u"\ufffdx");        // a surrogate
  EXPECT_EQ(DecodeUtf8("\xf4\x90\x80\x80"), u"\ufffd");      // past U+10FFFF
  EXPECT_EQ(DecodeUtf8("\xf0\x9f\x93\xb0"), u"\U0001F4F0");  // a newspaper, as a pair
  EXPECT_EQ(EncodeUtf8(u"\U0001F4F0 \u00e9"), "\xf0\x9f\x93\xb0 \xc3\xa9");
  EXPECT_EQ(EncodeUtf8(std::u16string(1, u'\xd800')), "\xef\xbf\xbd");
}

}  // namespace
}  // namespace brevora
