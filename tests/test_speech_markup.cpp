// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "speech/speech_markup.h"

namespace brevora {
namespace {

// Plain text that merely contains markup characters is spoken as text.
TEST(SpeechMarkup, EscapesWhatIsNotMarkup) {
  EXPECT_EQ(PrepareSpeechMarkup("AT&T says a<b and c>d."), "AT&amp;T says a&lt;b and c&gt;d.");
  EXPECT_EQ(PrepareSpeechMarkup("x < y <z"), "x &lt; y &lt;z");
  EXPECT_EQ(PrepareSpeechMarkup("if a<b then b>a"), "if a&lt;b then b&gt;a");
  EXPECT_EQ(PrepareSpeechMarkup("<unknown tag>"), "&lt;unknown tag&gt;");
  EXPECT_EQ(PrepareSpeechMarkup("&amp; &#38; &#x26; &nbsp; & ;"),
            "&amp; &#38; &#x26; &amp;nbsp; &amp; ;");
  EXPECT_EQ(PrepareSpeechMarkup(std::string("a\0b", 3)), "a b");
  EXPECT_EQ(PrepareSpeechMarkup(std::string("<p x=\"\0\">", 9)), "<p x=\" \">");
  EXPECT_EQ(PrepareSpeechMarkup("<p <s>"), "&lt;p <s>");
}

TEST(SpeechMarkup, SsmlPassesUnchanged) {
  const std::string ssml =
      "<speak><prosody rate=\"150%\">Fast</prosody> <break time=\"500ms\"/>"
      "<say-as interpret-as='characters'>BBC</say-as></speak>";
  EXPECT_EQ(PrepareSpeechMarkup(ssml), ssml);
}

TEST(SpeechMarkup, WindowsSpeechTagsBecomeSsml) {
  EXPECT_EQ(PrepareSpeechMarkup("<volume level=\"20\">quiet</volume> loud"),
            "<prosody volume=\"20\">quiet</prosody> loud");
  EXPECT_EQ(PrepareSpeechMarkup("<rate speed=\"10\">x</rate><rate absspeed=\"-10\">y</rate>"),
            "<prosody rate=\"300%\">x</prosody><prosody rate=\"33%\">y</prosody>");
  EXPECT_EQ(PrepareSpeechMarkup("<pitch middle=\"5\">up</pitch>"),
            "<prosody pitch=\"+50%\">up</prosody>");
  EXPECT_EQ(PrepareSpeechMarkup("a<silence msec=\"800\"/>b"), "a<break time=\"800ms\"/>b");
  EXPECT_EQ(PrepareSpeechMarkup("<EMPH>now</EMPH> <spell>NATO</spell>"),
            "<emphasis>now</emphasis> <say-as interpret-as=\"characters\">NATO</say-as>");
  EXPECT_EQ(PrepareSpeechMarkup("<sapi><bookmark mark=\"x\"/>text</sapi>"), "text");
}

// Markup from a page cannot stretch an article: pauses are bounded one by one
// and together, rates stay within a third and three times the normal one,
// durations and audio elements are left out.
TEST(SpeechMarkup, MarkupFromPagesIsBounded) {
  EXPECT_EQ(PrepareSpeechMarkup("a<break time=\"1000s\"/>b<break time='250ms'></break>c"),
            "a<break time=\"3000ms\"/>b<break time=\"250ms\"/>c");
  EXPECT_EQ(PrepareSpeechMarkup("<silence msec=\"99999\"/><break strength=\"x-strong\"/>"
                                "<break strength=\"forever\"/><break time=\"1e9d\"/>"),
            "<break time=\"3000ms\"/><break strength=\"x-strong\"/><break strength=\"medium\"/>"
            "<break strength=\"medium\"/>");
  std::string many;
  for (int i = 0; i < 40; ++i) many += "<break time=\"3s\"/>x";
  const std::string bounded = PrepareSpeechMarkup(many);
  EXPECT_EQ(std::count(bounded.begin(), bounded.end(), '/'), 20);  // 60 s in all
  EXPECT_EQ(std::count(bounded.begin(), bounded.end(), 'x'), 40);
  EXPECT_EQ(
      PrepareSpeechMarkup("<prosody rate=\"1%\" duration=\"9999s\" pitch=\"high\">a</prosody>"
                          "<prosody rate=\"-90%\">b</prosody><prosody rate=\"0.1\">c</prosody>"
                          "<prosody rate=\"x-slow\" volume='\"x'>d</prosody>"),
      "<prosody pitch=\"high\" rate=\"33%\">a</prosody><prosody rate=\"33%\">b</prosody>"
      "<prosody rate=\"33%\">c</prosody><prosody rate=\"x-slow\">d</prosody>");
  EXPECT_EQ(PrepareSpeechMarkup("<audio src=\"/dev/zero\">the sound</audio>"), "the sound");
}

// An empty-element tag lasts to the end of the element around it, or of the text.
TEST(SpeechMarkup, EmptyElementsLastToTheEndOfTheirScope) {
  EXPECT_EQ(PrepareSpeechMarkup("a <volume level=\"50\"/>b"),
            "a <prosody volume=\"50\">b</prosody>");
  EXPECT_EQ(PrepareSpeechMarkup("<rate speed=\"0\">a<volume level=\"10\"/>b</rate>c"),
            "<prosody rate=\"100%\">a<prosody volume=\"10\">b</prosody></prosody>c");
  // Closing tags without an opening one, and values that are not numbers.
  EXPECT_EQ(PrepareSpeechMarkup("</volume>a<volume level=\"loud\">b</volume>"), "ab");
}

}  // namespace
}  // namespace brevora
