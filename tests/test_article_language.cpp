// SPDX-License-Identifier: GPL-3.0-or-later
// Each article's language, from what its page declared and what its text
// says, and the voice that reads it.
#include <gtest/gtest.h>

#include <memory>

#include "speech/article_language.h"
#include "speech/espeak_engine.h"

namespace brevora {
namespace {

struct Sample {
  const char* language;
  const char* text;
};

// Short news texts of our own, one per language.
const Sample kSamples[] = {
    {"en",
     "The city council met on Tuesday evening and agreed on a new budget for the schools, "
     "which will receive more money for teachers and repairs over the next two years."},
    {"fr",
     "Le conseil municipal s'est réuni mardi soir et a adopté un nouveau budget pour les "
     "écoles, qui recevront davantage d'argent pour les enseignants et les travaux."},
    {"de",
     "Der Stadtrat hat am Dienstagabend getagt und einen neuen Haushalt für die Schulen "
     "beschlossen, die in den nächsten zwei Jahren mehr Geld für Lehrer erhalten."},
    {"es",
     "El ayuntamiento se reunió el martes por la noche y aprobó un nuevo presupuesto para "
     "las escuelas, que recibirán más dinero para profesores y reparaciones."},
    {"it",
     "Il consiglio comunale si è riunito martedì sera e ha approvato un nuovo bilancio per "
     "le scuole, che riceveranno più fondi per gli insegnanti e le riparazioni."},
    {"pt",
     "A câmara municipal reuniu-se na terça-feira à noite e aprovou um novo orçamento para "
     "as escolas, que vão receber mais dinheiro para professores e obras."},
    {"nl",
     "De gemeenteraad kwam dinsdagavond bijeen en keurde een nieuwe begroting voor de "
     "scholen goed, die de komende twee jaar meer geld krijgen voor leraren."},
    {"pl",
     "Rada miasta zebrała się we wtorek wieczorem i przyjęła nowy budżet dla szkół, które "
     "otrzymają więcej pieniędzy na nauczycieli i remonty w ciągu dwóch lat."},
    {"ru",
     "Городской совет собрался во вторник вечером и утвердил новый бюджет для школ, "
     "которые получат больше денег на учителей и ремонт в ближайшие два года."},
    {"tr",
     "Belediye meclisi salı akşamı toplandı ve okullar için yeni bir bütçeyi onayladı; "
     "okullar önümüzdeki iki yıl içinde öğretmenler için daha fazla para alacak."},
    {"zh",
     "市议会星期二晚上召开会议，通过了学校的新预算。未来两年，学校将获得更多资金，"
     "用于聘请教师和维修校舍。"},
    {"ar",
     "اجتمع مجلس المدينة مساء الثلاثاء ووافق على ميزانية جديدة للمدارس التي ستحصل على "
     "مزيد من المال للمعلمين والإصلاحات خلال العامين المقبلين."},
};

// Declared against detected: a declaration stands unless the text plainly
// says another language; hostile declarations are ignored; a text too short
// to tell keeps the declaration, or stays undecided.
TEST(ArticleLanguage, DeclaredAgainstDetected) {
  for (const Sample& sample : kSamples) {
    const DetectedLanguage detected = DetectLanguage(sample.text);
    EXPECT_EQ(detected.code, sample.language) << sample.text;
    EXPECT_TRUE(detected.reliable) << sample.language;
    EXPECT_EQ(ChooseArticleLanguage(detected, ""), sample.language);
  }
  const DetectedLanguage french = DetectLanguage(kSamples[1].text, "en");
  EXPECT_EQ(ChooseArticleLanguage(french, "en-US"), "fr");     // the text wins
  EXPECT_EQ(ChooseArticleLanguage(french, "fr-CA"), "fr-CA");  // the region kept
  const DetectedLanguage shortText = DetectLanguage("OK");
  EXPECT_EQ(ChooseArticleLanguage(shortText, "de"), "de");
  EXPECT_EQ(ChooseArticleLanguage(shortText, ""), "");

  EXPECT_EQ(CleanLanguageTag(" pt_br "), "pt-BR");
  EXPECT_EQ(CleanLanguageTag("zh-Hant-TW"), "zh-Hant-TW");
  for (const std::string& hostile :
       {std::string("x"), std::string("../../"), std::string(1 << 20, 'a'), std::string("en\n"),
        std::string("e1"), std::string("en--us"), std::string("de-DE-1-2-3-4"),
        std::string("fr;DROP")}) {
    EXPECT_EQ(CleanLanguageTag(hostile), "") << hostile.substr(0, 20);
    EXPECT_EQ(ChooseArticleLanguage(shortText, hostile), "");
  }
}

// The voice of each language: the chosen voice for its own language, the
// user's choice from Brevora.ini, the user's region, the language's main
// voice; a language no voice speaks is read by the chosen voice and named
// once; undecided articles take their channel's most common language.
TEST(ArticleLanguage, VoicesForLanguages) {
  const std::vector<VoiceInfo> voices = {
      {"English (Great Britain)", "en", "en-gb"}, {"English (America)", "en-us", "en-us"},
      {"Portuguese (Portugal)", "pt", "pt"},      {"Portuguese (Brazil)", "pt-br", "pt-br"},
      {"French (France)", "fr", "fr-fr"},         {"French (Belgium)", "fr-be", "fr-be"},
      {"Chinese (Mandarin)", "cmn", "cmn"},       {"German", "de", "de"}};
  VoiceChoice choice{"en-us", "en-us", "pt-br", {{"fr", "French (Belgium)"}}};
  EXPECT_EQ(VoiceForLanguage("en-GB", voices, choice), "en-us");  // the chosen voice's language
  EXPECT_EQ(VoiceForLanguage("pt", voices, choice), "pt-br");     // the user's region
  EXPECT_EQ(VoiceForLanguage("fr-FR", voices, choice), "fr-be");  // set in Brevora.ini
  EXPECT_EQ(VoiceForLanguage("zh", voices, choice), "cmn");
  EXPECT_EQ(VoiceForLanguage("de-AT", voices, choice), "de");
  EXPECT_EQ(VoiceForLanguage("tlh", voices, choice), "");
  choice.userLanguage = "en-gb";
  EXPECT_EQ(VoiceForLanguage("pt-PT", voices, choice), "pt");
  EXPECT_EQ(VoiceForLanguage("pt-BR", voices, choice), "pt-br");  // the declared region
  const std::vector<VoiceInfo> spanish = {{"Spanish (Latin America)", "es-419", "es-419"},
                                          {"Spanish (Spain)", "es", "es-es"}};
  EXPECT_EQ(VoiceForLanguage("es", spanish, choice), "es");  // the main voice first

  const std::vector<ArticleToSpeak> articles = {
      {"Mixed/A/01 Fr.txt", kSamples[1].text, ""},   {"Mixed/A/02 De.txt", kSamples[2].text, "de"},
      {"Mixed/A/03 Short.txt", "Oui.", ""},          {"Mixed/A/04 Ar.txt", kSamples[11].text, "ar"},
      {"Mixed/B/05 Fr.txt", kSamples[1].text, "fr"}, {"Other/A/01 Short.txt", "Ok.", ""},
  };
  const VoicePlan plan = PlanArticleVoices(articles, voices, choice);
  EXPECT_EQ(plan.languages.at("Mixed/A/03 Short.txt"), "fr");  // two French in its channel
  EXPECT_EQ(plan.voices.at("Mixed/A/03 Short.txt"), "fr-be");
  EXPECT_EQ(plan.voices.at("Mixed/A/02 De.txt"), "de");
  EXPECT_EQ(plan.voices.at("Mixed/A/04 Ar.txt"), "en-us");        // no Arabic voice here
  EXPECT_EQ(plan.languages.at("Other/A/01 Short.txt"), "en-GB");  // the user's
  EXPECT_EQ(plan.unspoken, std::vector<std::string>{"ar"});
}

// With the real engine every language of the samples has a voice of its own.
TEST(ArticleLanguage, EveryLanguageOfTheSamplesHasAVoice) {
  const auto engine = EspeakEngine::Create();
  ASSERT_NE(engine, nullptr);
  const std::vector<VoiceInfo> voices = engine->Voices();
  const VoiceChoice choice{"chosen", "en-gb", "en-gb", {}};
  for (const Sample& sample : kSamples) {
    const std::string token = VoiceForLanguage(sample.language, voices, choice);
    EXPECT_FALSE(token.empty()) << sample.language;
  }
}

}  // namespace
}  // namespace brevora
