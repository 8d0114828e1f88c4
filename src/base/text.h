#pragma once

#include <string_view>

namespace brevora {

// Equal without regard to the letter case of A to Z.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// atoi as the C library does it (white space, sign, digits; no digits give
// 0), saturating instead of overflowing on very long numbers.
int ParseLeadingInt(std::string_view text);

// A byte below 0x20 (line feed, carriage return, tab ...) or DEL.
inline bool IsControlCharacter(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

}  // namespace brevora
