#include "pipeline/voice_list.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace brevora {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

VoiceBoxItems SortVoicesForBox(const std::vector<VoiceInfo>& voices) {
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
  return box;
}

}  // namespace brevora
