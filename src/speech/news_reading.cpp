// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/news_reading.h"

#include <vector>

#include "base/text.h"

namespace brevora {

namespace {

constexpr char kTitlePause[] = "<break time=\"700ms\"/>";
constexpr char kParagraphPause[] = "<break time=\"350ms\"/>";
constexpr char kItemPause[] = "<break time=\"250ms\"/>";

// The words an address is read with, in a language.
struct AddressWords {
  const char* dot;
  const char* at;
  const char* link;
};

AddressWords WordsFor(std::string_view language) {
  const std::string primary = LowerAscii(language.substr(0, language.find('-')));
  if (primary == "fr") return {"point", "arobase", "lien"};
  if (primary == "de") return {"Punkt", "at", "Link"};
  if (primary == "es") return {"punto", "arroba", "enlace"};
  if (primary == "it") return {"punto", "chiocciola", "link"};
  if (primary == "pt") return {"ponto", "arroba", "link"};
  if (primary == "nl") return {"punt", "apenstaartje", "link"};
  return {"dot", "at", "link"};
}

// The code point at text[at], its length in `size`; U+FFFD for a bad byte.
char32_t CodePoint(std::string_view text, size_t at, size_t& size) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  size = 1;
  if (c < 0x80) return c;
  const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return 0xFFFD;
  char32_t value = c & (0x3F >> (length - 1));
  for (int i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0xFFFD;
    value = (value << 6) | (next & 0x3F);
  }
  size = static_cast<size_t>(length);
  return value;
}

// Characters that are never read: emoji, pictographs, dingbats, box drawing,
// block elements, geometric shapes, arrows, bullets and their joiners.
bool IsUnreadSymbol(char32_t c) {
  return (c >= 0x2190 && c <= 0x21FF) || (c >= 0x2500 && c <= 0x27BF) ||
         (c >= 0x2B00 && c <= 0x2BFF) || (c >= 0x1F000 && c <= 0x1FAFF) || c == 0x2022 ||
         c == 0x2023 || c == 0x2043 || c == 0x25E6 || c == 0xFE0F || c == 0x200D || c == 0x20E3;
}

bool IsRunSymbol(char c) {
  return c == '*' || c == '#' || c == '=' || c == '_' || c == '~' || c == '^' || c == '|' ||
         c == '+';
}

bool HasWords(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t size = 1;
    const char32_t c = CodePoint(text, at, size);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
        (c >= 0xC0 && !IsUnreadSymbol(c) && c != 0xFFFD && !(c >= 0x2000 && c <= 0x206F))) {
      return true;
    }
    at += size;
  }
  return false;
}

// Typographic quotes and brackets as plain ones; unread symbols and runs of
// symbols left out.
std::string PlainSymbols(std::string_view line) {
  std::string out;
  for (size_t at = 0; at < line.size();) {
    size_t size = 1;
    const char32_t c = CodePoint(line, at, size);
    if (IsUnreadSymbol(c)) {
      at += size;
      continue;
    }
    if (size == 1 && IsRunSymbol(line[at]) && at + 1 < line.size() && line[at + 1] == line[at]) {
      while (at < line.size() && IsRunSymbol(line[at])) ++at;
      out += ' ';
      continue;
    }
    switch (c) {
      case 0x201C:
      case 0x201D:
      case 0x201E:
      case 0x00AB:
      case 0x00BB:
      case 0x2039:
      case 0x203A:
      case 0x300C:
      case 0x300D:
        out += '"';
        break;
      case '[':
      case '{':
      case 0x3010:
      case 0xFF08:
        out += '(';
        break;
      case ']':
      case '}':
      case 0x3011:
      case 0xFF09:
        out += ')';
        break;
      default:
        out.append(line.substr(at, size));
    }
    at += size;
  }
  return out;
}

bool IsAddressStart(std::string_view word) {
  return StartsWithIgnoringCase(word, "http://") || StartsWithIgnoringCase(word, "https://") ||
         StartsWithIgnoringCase(word, "www.");
}

bool IsEmailAddress(std::string_view word) {
  const size_t at = word.find('@');
  return at != std::string_view::npos && at > 0 && word.find('.', at) != std::string_view::npos &&
         word.find('@', at + 1) == std::string_view::npos &&
         word.find(' ') == std::string_view::npos;
}

// "example dot com" for "https://www.example.com/a/b", "news at example dot
// com" for "news@example.com".
std::string SiteName(std::string_view address, const AddressWords& words) {
  std::string_view host = address;
  std::string user;
  if (IsEmailAddress(address) && !IsAddressStart(address)) {
    const size_t at = address.find('@');
    user = std::string(address.substr(0, at));
    if (StartsWithIgnoringCase(user, "mailto:")) user = user.substr(7);
    host = address.substr(at + 1);
  } else {
    const size_t scheme = host.find("://");
    if (scheme != std::string_view::npos) host.remove_prefix(scheme + 3);
    host = host.substr(0, host.find_first_of("/?#:"));
    if (StartsWithIgnoringCase(host, "www.")) host.remove_prefix(4);
  }
  std::string spoken;
  for (const char c : host) {
    if (c == '.') {
      spoken += std::string(" ") + words.dot + " ";
    } else {
      spoken += c;
    }
  }
  return user.empty() ? spoken : user + " " + words.at + " " + spoken;
}

// Trailing punctuation of a word that belongs to the sentence, not the address.
size_t AddressEnd(std::string_view word) {
  size_t end = word.size();
  while (end > 0 && (word[end - 1] == '.' || word[end - 1] == ',' || word[end - 1] == ';' ||
                     word[end - 1] == ':' || word[end - 1] == ')' || word[end - 1] == '!' ||
                     word[end - 1] == '?' || word[end - 1] == '"')) {
    --end;
  }
  return end;
}

// A line with its addresses read as the rules say.
std::string ReadAddresses(std::string_view line, const AddressWords& words) {
  const std::string_view trimmed = TrimBlanks(line);
  const bool alone = trimmed.find(' ') == std::string_view::npos &&
                     (IsAddressStart(trimmed) || IsEmailAddress(trimmed));
  if (alone) return SiteName(trimmed.substr(0, AddressEnd(trimmed)), words);
  std::string out;
  size_t start = 0;
  while (start < line.size()) {
    size_t end = line.find(' ', start);
    if (end == std::string_view::npos) end = line.size();
    const std::string_view word = line.substr(start, end - start);
    const size_t wordStart = word.find_first_not_of("(\"");
    const std::string_view bare =
        wordStart == std::string_view::npos ? std::string_view() : word.substr(wordStart);
    if (!bare.empty() &&
        (IsAddressStart(bare) || IsEmailAddress(bare.substr(0, AddressEnd(bare))))) {
      out += word.substr(0, wordStart);
      out += words.link;
      out += bare.substr(AddressEnd(bare));
    } else {
      out += word;
    }
    if (end < line.size()) out += ' ';
    start = end + 1;
  }
  return out;
}

// A list item's bullet at the start of a line: its length, or 0.
size_t BulletLength(std::string_view line) {
  const size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return 0;
  if ((line[start] == '-' || line[start] == '*') && start + 1 < line.size() &&
      line[start + 1] == ' ') {
    return start + 2;
  }
  size_t size = 1;
  const char32_t c = CodePoint(line, start, size);
  if (c == 0x2022 || c == 0x25CF || c == 0x25AA || c == 0x25BA || c == 0x2013 || c == 0x00B7 ||
      c == 0x25E6 || c == 0x2043 || c == 0x27A4 || c == 0x2794) {
    return start + size;
  }
  return 0;
}

}  // namespace

std::string ReadLikeTheNews(std::string_view text, std::string_view language) {
  const AddressWords words = WordsFor(language);
  std::vector<std::string_view> lines;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  // The title is the first line when a blank line follows it.
  const bool titled =
      lines.size() >= 2 && !TrimBlanks(lines[0]).empty() && TrimBlanks(lines[1]).empty();
  std::string out;
  bool afterTitle = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (TrimBlanks(line).empty()) continue;
    const size_t bullet = BulletLength(line);
    const std::string spoken = ReadAddresses(PlainSymbols(TrimBlanks(line.substr(bullet))), words);
    if (!HasWords(spoken)) continue;
    // The pause before a line: after the title, before a list item, or
    // between paragraphs.
    if (!out.empty()) {
      out += afterTitle ? kTitlePause : bullet > 0 ? kItemPause : kParagraphPause;
      out += '\n';
    }
    afterTitle = titled && i == 0;
    out += spoken;
  }
  if (!HasWords(out)) return std::string(text);
  return out;
}

}  // namespace brevora
