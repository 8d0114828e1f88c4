// SPDX-License-Identifier: GPL-3.0-or-later
// Articles read like the news: pauses, addresses, symbols and quotes.
#include <gtest/gtest.h>

#include "speech/espeak_engine.h"
#include "speech/news_reading.h"
#include "speech/speech_markup.h"

namespace brevora {
namespace {

// Every rule at once, in the words a listener hears.
TEST(NewsReading, TheRulesInOrder) {
  const std::string article =
      "Council agrees on the budget 🎉\n"
      "\n"
      "The council met on Tuesday. Details at "
      "https://www.example.com/news/2026/12/09/budget.html.\n"
      "══════════\n"
      "Three points were agreed:\n"
      "• more teachers\n"
      "- new roofs ★★★\n"
      "Write to «news@example.org» or see [the minutes] ***** now\n"
      "https://www.example.com/news/2026/12/09/budget.html\n"
      "mailto:desk@example.org\n";
  EXPECT_EQ(ReadLikeTheNews(article, "en-GB"),
            "Council agrees on the budget <break time=\"700ms\"/>\n"
            "The council met on Tuesday. Details at link.<break time=\"350ms\"/>\n"
            "Three points were agreed:<break time=\"250ms\"/>\n"
            "more teachers<break time=\"250ms\"/>\n"
            "new roofs <break time=\"350ms\"/>\n"
            "Write to \"link\" or see (the minutes)   now<break time=\"350ms\"/>\n"
            "example dot com<break time=\"350ms\"/>\n"
            "desk at example dot org");
  EXPECT_EQ(ReadLikeTheNews("Titre\n\nVoir https://exemple.fr/a et www.exemple.fr\n", "fr-CA"),
            "Titre<break time=\"700ms\"/>\nVoir lien et lien");
  // The pauses are what the speech markup lets through.
  EXPECT_NE(PrepareSpeechMarkup(ReadLikeTheNews(article)).find("<break time=\"700ms\"/>"),
            std::string::npos);
}

// No rule drops a whole article: one that is only an address is read as its
// site, one of symbols alone as it stands.
TEST(NewsReading, NothingIsLostWhole) {
  EXPECT_EQ(ReadLikeTheNews("https://www.example.com/only/this"), "example dot com");
  EXPECT_EQ(ReadLikeTheNews("Link\n\nhttps://example.com/x?y=1\n"),
            "Link<break time=\"700ms\"/>\nexample dot com");
  EXPECT_EQ(ReadLikeTheNews("★★★ ═══"), "★★★ ═══");
  EXPECT_EQ(ReadLikeTheNews(""), "");
  EXPECT_EQ(ReadLikeTheNews("AT&T <b>"), "AT&T <b>");
}

// With the real engine an address inside a sentence is not spelled out: the
// sentence takes far less time than with the address read letter by letter.
TEST(NewsReading, AddressesAreNotSpelledOut) {
  const auto engine = EspeakEngine::Create();
  ASSERT_NE(engine, nullptr);
  struct Counter : SampleSink {
    bool Samples(const int16_t*, size_t count) override {
      total += count;
      return true;
    }
    size_t total = 0;
  };
  const std::string sentence =
      "Read more at https://www.example.com/news/2026/12/09/council-agrees-on-the-new-school-"
      "budget-for-the-next-two-years.html today.";
  Counter raw, read;
  ASSERT_TRUE(engine->SelectVoice(""));
  ASSERT_TRUE(engine->Speak(PrepareSpeechMarkup(sentence), raw));
  ASSERT_TRUE(engine->Speak(PrepareSpeechMarkup(ReadLikeTheNews(sentence)), read));
  EXPECT_GT(read.total, 0u);
  EXPECT_LT(read.total * 3, raw.total) << read.total << " " << raw.total;
}

}  // namespace
}  // namespace brevora
