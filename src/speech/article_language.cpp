// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/article_language.h"

#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>

#include <algorithm>
#include <set>

#include "base/text.h"
#include "config/program_settings.h"

namespace brevora {

namespace {

// The text a detector needs; more only costs time.
constexpr size_t kDetectionBytes = 64 << 10;

std::string Primary(std::string_view tag) {
  return LowerAscii(tag.substr(0, tag.find('-')));
}

// The region subtag ("br" of "pt-BR"), lower case; empty when there is none.
std::string Region(std::string_view tag) {
  const size_t dash = tag.find('-');
  if (dash == std::string_view::npos) return {};
  const std::string_view rest = tag.substr(dash + 1);
  const std::string_view region = rest.substr(0, rest.find('-'));
  return region.size() == 2 ? LowerAscii(region) : std::string();
}

// "pt-br" from "pt" and "br"; empty when there is no region.
std::string WithRegion(const std::string& primary, const std::string& region) {
  if (region.empty()) return {};
  std::string tag = primary;
  tag.push_back('-');
  tag.append(region);
  return tag;
}

// The detector's codes where the engine names a language otherwise.
std::string EngineLanguage(const std::string& primary) {
  static const std::map<std::string, std::string> aliases = {
      {"zh", "cmn"}, {"iw", "he"}, {"no", "nb"}, {"in", "id"}, {"jw", "jv"}};
  const auto found = aliases.find(primary);
  return found == aliases.end() ? primary : found->second;
}

}  // namespace

std::string CleanLanguageTag(std::string_view declared) {
  const std::string_view tag = TrimBlanks(declared.substr(0, 64));
  if (tag.empty() || tag.size() > 35 || TrimBlanks(declared).size() > 35) return {};
  std::string clean;
  size_t start = 0;
  for (int part = 0; start <= tag.size(); ++part) {
    size_t end = tag.find_first_of("-_", start);
    if (end == std::string_view::npos) end = tag.size();
    const std::string_view subtag = tag.substr(start, end - start);
    const bool letters = std::all_of(subtag.begin(), subtag.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
    const bool alphanumeric = std::all_of(subtag.begin(), subtag.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
    if (part == 0 && (!letters || subtag.size() < 2 || subtag.size() > 3)) return {};
    if (part > 0 && (!alphanumeric || subtag.empty() || subtag.size() > 8 || part > 4)) return {};
    if (part == 0) {
      clean = LowerAscii(subtag);
    } else if (subtag.size() == 2 && letters) {
      std::string region(subtag);
      for (char& c : region) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      clean.push_back('-');
      clean.append(region);
    } else {
      clean.push_back('-');
      clean.append(subtag);
    }
    if (end == tag.size()) break;
    start = end + 1;
  }
  return clean;
}

DetectedLanguage DetectLanguage(std::string_view utf8Text, std::string_view declaredHint) {
  std::string_view text = utf8Text.substr(0, kDetectionBytes);
  // Never cut inside a character.
  while (!text.empty() && text.size() < utf8Text.size() &&
         (static_cast<unsigned char>(utf8Text[text.size()]) & 0xC0) == 0x80) {
    text.remove_suffix(1);
  }
  const std::string hint = CleanLanguageTag(declaredHint);
  CLD2::CLDHints hints{hint.empty() ? nullptr : hint.c_str(), nullptr, CLD2::UNKNOWN_ENCODING,
                       CLD2::UNKNOWN_LANGUAGE};
  CLD2::Language languages[3];
  int percents[3] = {0, 0, 0};
  double scores[3];
  int textBytes = 0;
  bool reliable = false;
  int validBytes = 0;
  const CLD2::Language found = CLD2::ExtDetectLanguageSummaryCheckUTF8(
      text.data(), static_cast<int>(text.size()), true, &hints, 0, languages, percents, scores,
      nullptr, &textBytes, &reliable, &validBytes);
  DetectedLanguage detected;
  if (found == CLD2::UNKNOWN_LANGUAGE || found == CLD2::TG_UNKNOWN_LANGUAGE) return detected;
  detected.code = CleanLanguageTag(CLD2::LanguageCode(found));
  detected.reliable = reliable;
  detected.percent = languages[0] == found ? percents[0] : 0;
  return detected;
}

std::string ChooseArticleLanguage(const DetectedLanguage& detected, std::string_view declared) {
  const std::string tag = CleanLanguageTag(declared);
  const bool sure = !detected.code.empty() && detected.reliable;
  if (!tag.empty()) {
    const bool contradicted =
        sure && detected.percent > 90 && Primary(detected.code) != Primary(tag);
    return contradicted ? detected.code : tag;
  }
  return sure ? detected.code : std::string();
}

std::string VoiceForLanguage(std::string_view language, const std::vector<VoiceInfo>& voices,
                             const VoiceChoice& choice) {
  const std::string primary = EngineLanguage(Primary(language));
  if (primary.empty()) return choice.chosenToken;
  if (EngineLanguage(Primary(choice.chosenLanguage)) == primary) return choice.chosenToken;
  auto set = choice.languageVoices.find(Primary(language));
  if (set == choice.languageVoices.end()) set = choice.languageVoices.find(primary);
  if (set != choice.languageVoices.end()) {
    if (EqualsIgnoringCase(set->second, kTheChosenVoice)) return choice.chosenToken;
    for (const VoiceInfo& voice : voices) {
      if (EqualsIgnoringCase(voice.description, set->second)) return voice.token;
    }
  }
  // The user's region where the language has one, else the region the page
  // declared, else the language's main voice ("fr", else "fr-fr"), else any
  // of its voices.
  const std::string userRegion = Primary(choice.userLanguage) == Primary(language) ||
                                         EngineLanguage(Primary(choice.userLanguage)) == primary
                                     ? Region(choice.userLanguage)
                                     : std::string();
  for (const std::string& wanted :
       {WithRegion(primary, userRegion), WithRegion(primary, Region(language)), primary,
        WithRegion(primary, primary)}) {
    if (wanted.empty()) continue;
    for (const VoiceInfo& voice : voices) {
      if (LowerAscii(voice.language) == wanted) return voice.token;
    }
  }
  for (const VoiceInfo& voice : voices) {
    if (Primary(voice.language) == primary) return voice.token;
  }
  return {};
}

VoicePlan PlanArticleVoices(const std::vector<ArticleToSpeak>& articles,
                            const std::vector<VoiceInfo>& voices, const VoiceChoice& choice) {
  VoicePlan plan;
  std::map<std::string, std::map<std::string, int>> channelCounts;
  const auto channelOf = [](const std::string& path) { return path.substr(0, path.find('/')); };
  for (const ArticleToSpeak& article : articles) {
    const std::string language =
        ChooseArticleLanguage(DetectLanguage(article.text, article.declared), article.declared);
    plan.languages[article.textPath] = language;
    if (!language.empty()) ++channelCounts[channelOf(article.textPath)][Primary(language)];
  }
  std::set<std::string> unspoken;
  for (const ArticleToSpeak& article : articles) {
    std::string& language = plan.languages[article.textPath];
    if (language.empty()) {
      // The channel's most common language (the first in order on a tie).
      const auto& counts = channelCounts[channelOf(article.textPath)];
      int best = 0;
      for (const auto& [candidate, count] : counts) {
        if (count > best) {
          best = count;
          language = candidate;
        }
      }
      if (language.empty()) language = CleanLanguageTag(choice.userLanguage);
    }
    std::string token = VoiceForLanguage(language, voices, choice);
    if (token.empty() && !language.empty()) {
      unspoken.insert(Primary(language));
      token = choice.chosenToken;
    }
    plan.voices[article.textPath] = token;
  }
  plan.unspoken.assign(unspoken.begin(), unspoken.end());
  return plan;
}

}  // namespace brevora
