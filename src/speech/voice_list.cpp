// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/voice_list.h"

#include <algorithm>
#include <cctype>
#include <numeric>

#include "base/text.h"

namespace brevora {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string MainLanguage(const std::string& language) {
  return language.substr(0, language.find('-'));
}

}  // namespace

std::string UserLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value == nullptr || *value == '\0') continue;
    std::string locale = value;
    locale = locale.substr(0, locale.find_first_of(".@"));  // no codeset or modifier
    if (locale == "C" || locale == "POSIX") return {};
    for (char& c : locale) {
      if (c == '_') c = '-';
    }
    return LowerAscii(locale);
  }
  return {};
}

VoiceBoxItems SortVoicesForBox(const std::vector<VoiceInfo>& voices, const std::string& language) {
  std::vector<size_t> order(voices.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return LessIgnoringCase(voices[a].description, voices[b].description);
  });
  VoiceBoxItems box;
  for (size_t i = 0; i < order.size(); ++i) {
    box.items.push_back(voices[order[i]]);
    if (order[i] == 0) box.selected = static_cast<int>(i);
  }
  // The best match in box order: the language itself, its main language,
  // then English.
  const std::string wanted = LowerAscii(language);
  const auto rank = [&](const VoiceInfo& voice) {
    const std::string spoken = LowerAscii(voice.language);
    if (spoken.empty()) return 0;
    if (!wanted.empty() && spoken == wanted) return 3;
    if (!wanted.empty() && MainLanguage(spoken) == MainLanguage(wanted)) return 2;
    return MainLanguage(spoken) == "en" ? 1 : 0;
  };
  int best = 0;
  for (size_t i = 0; i < box.items.size(); ++i) {
    const int score = rank(box.items[i]);
    if (score > best) {
      best = score;
      box.selected = static_cast<int>(i);
    }
  }
  return box;
}

}  // namespace brevora
