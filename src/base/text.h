// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace brevora {

// Equal without regard to the letter case of A to Z.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Whether `text` begins with `prefix`, without regard to the letter case of A to Z.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

// The text with A to Z made a to z; other bytes stay.
std::string LowerAscii(std::string_view text);

// atoi as the C library does it (white space, sign, digits; no digits give
// 0), saturating instead of overflowing on very long numbers.
int ParseLeadingInt(std::string_view text);

// The length of the UTF-8 character at the start of `text`; 0 when it is not
// one (empty, cut short, overlong, a surrogate, past U+10FFFF).
size_t Utf8Length(std::string_view text);

// Whether the UTF-8 character at the start of `text` is U+FFFE or U+FFFF,
// which XML refuses.
inline bool IsXmlNonCharacter(std::string_view text) {
  return text.size() >= 3 && text.starts_with("\xEF\xBF") &&
         (static_cast<unsigned char>(text[2]) & 0xFE) == 0xBE;
}

// The text without the spaces and tabs at its ends.
std::string_view TrimBlanks(std::string_view text);

// A byte below 0x20 (line feed, carriage return, tab ...) or DEL.
inline bool IsControlCharacter(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

// A moment in RFC 822 form, in UTC, as feeds and OPML write it:
// "Tue, 08 Dec 2026 10:00:00 +0000". Day and month names are English
// whatever the locale.
std::string Rfc822Time(std::time_t time);

}  // namespace brevora
