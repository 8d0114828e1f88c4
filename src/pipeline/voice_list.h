#pragma once

#include <vector>

#include "pipeline/speech_engine.h"

namespace brevora {

// The "Voice" box's items: the voices sorted by description (ignoring case,
// equal descriptions in the engine's order) and the index, among the sorted
// items, of the voice the engine listed first, which the box selects. -1 when
// there are no voices.
struct VoiceBoxItems {
  std::vector<VoiceInfo> items;
  int selected = -1;
};
VoiceBoxItems SortVoicesForBox(const std::vector<VoiceInfo>& voices);

}  // namespace brevora
