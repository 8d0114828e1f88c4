// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "speech/speech_engine.h"

namespace brevora {

// The "Voice" box's items: the voices sorted by description (ignoring case,
// equal descriptions in the engine's order) and the index, among the sorted
// items, of the voice the box selects when Brevora.cfg names none it has: a
// voice of `language` ("en-gb"), else one of its main language ("en"), else
// an English voice, else the voice the engine listed first; the first in the
// box among equals. -1 when there are no voices.
struct VoiceBoxItems {
  std::vector<VoiceInfo> items;
  int selected = -1;
};
VoiceBoxItems SortVoicesForBox(const std::vector<VoiceInfo>& voices,
                               const std::string& language = {});

// The language of the user's messages, lower case with "-": "en-gb" from
// "en_GB.UTF-8", taken from the first set of LC_ALL, LC_MESSAGES and LANG
// (null: not set); empty for "C", "POSIX" or none.
std::string UserLanguage(const char* lcAll, const char* lcMessages, const char* lang);

}  // namespace brevora
