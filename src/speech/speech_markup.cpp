// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/speech_markup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

namespace brevora {

namespace {

struct Tag {
  std::string name;  // lower case
  bool closing = false;
  bool empty = false;  // ends with "/>"
  std::map<std::string, std::string> attributes;
  size_t length = 0;  // bytes from "<" to ">"
};

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == ':' || c == '.';
}

// A tag at text[0] == '<': a name, attributes, and ">" before any other "<".
std::optional<Tag> ParseTag(std::string_view text) {
  const size_t end = text.find_first_of("<>", 1);
  if (end == std::string_view::npos || text[end] != '>') return std::nullopt;
  Tag tag;
  tag.length = end + 1;
  std::string_view inner = text.substr(1, end - 1);
  if (inner.starts_with('/')) {
    tag.closing = true;
    inner.remove_prefix(1);
  }
  if (inner.ends_with('/')) {
    tag.empty = true;
    inner.remove_suffix(1);
  }
  size_t i = 0;
  while (i < inner.size() && IsNameChar(inner[i])) tag.name += Lower(inner[i++]);
  if (tag.name.empty() || !((tag.name[0] >= 'a' && tag.name[0] <= 'z'))) return std::nullopt;
  // name="value" or name='value' pairs, blanks between.
  for (;;) {
    while (i < inner.size() &&
           (inner[i] == ' ' || inner[i] == '\t' || inner[i] == '\r' || inner[i] == '\n')) {
      ++i;
    }
    if (i >= inner.size()) break;
    std::string key;
    while (i < inner.size() && IsNameChar(inner[i])) key += Lower(inner[i++]);
    while (i < inner.size() && inner[i] == ' ') ++i;
    if (key.empty() || i >= inner.size() || inner[i] != '=') return std::nullopt;
    ++i;
    while (i < inner.size() && inner[i] == ' ') ++i;
    if (i >= inner.size() || (inner[i] != '"' && inner[i] != '\'')) return std::nullopt;
    const char quote = inner[i++];
    const size_t close = inner.find(quote, i);
    if (close == std::string_view::npos) return std::nullopt;
    tag.attributes[key] = std::string(inner.substr(i, close - i));
    i = close + 1;
  }
  if (tag.closing && (tag.empty || !tag.attributes.empty())) return std::nullopt;
  return tag;
}

bool IsSsmlElement(const std::string& name) {
  static const char* const kNames[] = {"speak", "voice", "prosody",  "say-as", "mark",  "s",
                                       "p",     "sub",   "emphasis", "break",  "audio", "metadata"};
  for (const char* known : kNames) {
    if (name == known) return true;
  }
  return false;
}

// Tags of the Windows speech engine that have no SSML counterpart here.
bool IsDroppedTag(const std::string& name) {
  static const char* const kNames[] = {"sapi", "bookmark", "context", "partofsp", "pron", "lang"};
  for (const char* known : kNames) {
    if (name == known) return true;
  }
  return false;
}

std::optional<int> NumberAttribute(const Tag& tag, const char* name) {
  const auto found = tag.attributes.find(name);
  if (found == tag.attributes.end()) return std::nullopt;
  int value = 0;
  char rest = 0;
  if (std::sscanf(found->second.c_str(), "%d%c", &value, &rest) != 1) return std::nullopt;
  return value;
}

int Clamp(int value, int low, int high) {
  return value < low ? low : value > high ? high : value;
}

// Markup in an article comes from a web page, not from the user, so every
// value that makes speech longer is bounded to what a person would use: one
// pause at most kLongestPause, all pauses of an article together at most
// kPauseBudget, and the rate at least a third of the normal one (the slowest
// rate of the Windows tags).
constexpr int kLongestPauseMs = 3000;
constexpr int kPauseBudgetMs = 60000;
constexpr int kSlowestRatePercent = 33;
constexpr int kFastestRatePercent = 300;

// "1000s", "250ms", "2.5s" in milliseconds; nothing for any other form.
std::optional<double> DurationMs(const std::string& text) {
  double value = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%lf%n", &value, &used) != 1 || !(value >= 0)) return std::nullopt;
  std::string unit = text.substr(static_cast<size_t>(used));
  unit.erase(std::remove(unit.begin(), unit.end(), ' '), unit.end());
  if (unit == "ms") return value;
  if (unit == "s") return value * 1000;
  return std::nullopt;
}

// A prosody rate as a percentage of the normal rate, bounded; keywords stay.
std::optional<std::string> BoundedRate(const std::string& rate) {
  static const char* const kKeywords[] = {"x-slow", "slow", "medium", "fast", "x-fast", "default"};
  for (const char* keyword : kKeywords) {
    if (rate == keyword) return rate;
  }
  double value = 0;
  int used = 0;
  if (std::sscanf(rate.c_str(), "%lf%n", &value, &used) != 1 || !std::isfinite(value)) {
    return std::nullopt;
  }
  const std::string rest = rate.substr(static_cast<size_t>(used));
  double percent = 0;
  if (rest == "%") {
    percent = (rate[0] == '+' || rate[0] == '-') ? 100 + value : value;
  } else if (rest.empty()) {
    percent = value * 100;  // a multiple of the normal rate
  } else {
    return std::nullopt;
  }
  const int bounded = Clamp(static_cast<int>(std::lround(std::clamp(percent, -1e6, 1e6))),
                            kSlowestRatePercent, kFastestRatePercent);
  return std::to_string(bounded) + "%";
}

// Attribute values passed on as they stand: words, numbers, signs, "%".
bool IsPlainValue(const std::string& value) {
  return !value.empty() && value.size() <= 16 &&
         std::all_of(value.begin(), value.end(),
                     [](char c) { return IsNameChar(c) || c == '+' || c == '%'; });
}

// The SSML opening of a Windows speech tag with a value, or nothing.
std::optional<std::string> ProsodyOf(const Tag& tag) {
  char text[64];
  if (tag.name == "volume") {
    const auto level = NumberAttribute(tag, "level");
    if (!level) return std::nullopt;
    std::snprintf(text, sizeof text, "<prosody volume=\"%d\">", Clamp(*level, 0, 100));
    return text;
  }
  if (tag.name == "rate") {
    auto speed = NumberAttribute(tag, "absspeed");
    if (!speed) speed = NumberAttribute(tag, "speed");
    if (!speed) return std::nullopt;
    // -10 is a third of the normal rate, +10 three times it.
    const int percent =
        static_cast<int>(std::lround(100.0 * std::pow(3.0, Clamp(*speed, -10, 10) / 10.0)));
    std::snprintf(text, sizeof text, "<prosody rate=\"%d%%\">", percent);
    return text;
  }
  if (tag.name == "pitch") {
    auto middle = NumberAttribute(tag, "absmiddle");
    if (!middle) middle = NumberAttribute(tag, "middle");
    if (!middle) return std::nullopt;
    std::snprintf(text, sizeof text, "<prosody pitch=\"%+d%%\">", Clamp(*middle, -10, 10) * 10);
    return text;
  }
  return std::nullopt;
}

// The length of the character reference ("&amp;", "&#38;", "&#x26;" ...)
// at the start of the text, or 0 when there is none.
size_t ReferenceLength(std::string_view text) {
  const size_t semicolon = text.find(';');
  if (semicolon == std::string_view::npos || semicolon > 10) return 0;
  const std::string_view name = text.substr(1, semicolon - 1);
  if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") {
    return semicolon + 1;
  }
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  for (char c : digits) {
    const bool decimal = c >= '0' && c <= '9';
    if (!(decimal || (hex && Lower(c) >= 'a' && Lower(c) <= 'f'))) return 0;
  }
  return semicolon + 1;
}

class MarkupWriter {
 public:
  std::string Finish() {
    while (!open_.empty()) CloseTop();
    return std::move(out_);
  }

  void Text(char c) {
    switch (c) {
      case '>':
        out_ += "&gt;";
        break;
      case '<':
        out_ += "&lt;";
        break;
      default:
        out_ += c;
    }
  }

  void Raw(std::string_view text) { out_ += text; }

  // Returns false when the tag is not one the engine understands.
  bool Element(const Tag& tag, std::string_view source) {
    if (tag.name == "break") {
      if (!tag.closing) Break(tag);
      return true;
    }
    if (tag.name == "prosody") {
      if (tag.closing) {
        out_ += source;
      } else {
        Prosody(tag);
      }
      return true;
    }
    if (tag.name == "audio") return true;  // no sound files from a page; its text is spoken
    if (IsSsmlElement(tag.name)) {
      out_ += source;
      return true;
    }
    if (IsDroppedTag(tag.name)) return true;
    if (tag.name == "silence") {
      const auto msec = NumberAttribute(tag, "msec");
      if (msec && !tag.closing) Pause(Clamp(*msec, 0, kLongestPauseMs));
      return true;
    }
    std::string opening, closing;
    if (tag.name == "emph") {
      opening = "<emphasis>", closing = "</emphasis>";
    } else if (tag.name == "spell") {
      opening = "<say-as interpret-as=\"characters\">", closing = "</say-as>";
    } else if (tag.name == "volume" || tag.name == "rate" || tag.name == "pitch") {
      if (!tag.closing) opening = ProsodyOf(tag).value_or("");
      closing = opening.empty() ? "" : "</prosody>";
    } else {
      return false;
    }
    if (tag.closing) {
      Close(tag.name);
      return true;
    }
    out_ += opening;
    // An empty element lasts to the end of the element around it.
    open_.push_back({tag.empty ? std::string() : tag.name, closing});
    return true;
  }

 private:
  // A pause within the article's budget; what is left of the budget is used
  // up by a pause that asks for more.
  void Pause(int ms) {
    ms = std::min(ms, kPauseBudgetMs - pausedMs_);
    if (ms <= 0) return;
    pausedMs_ += ms;
    out_ += "<break time=\"" + std::to_string(ms) + "ms\"/>";
  }

  void Break(const Tag& tag) {
    const auto time = tag.attributes.find("time");
    if (time != tag.attributes.end()) {
      if (const auto ms = DurationMs(time->second)) {
        Pause(static_cast<int>(std::min<double>(*ms, kLongestPauseMs)));
        return;
      }
    }
    const auto strength = tag.attributes.find("strength");
    static const char* const kStrengths[] = {"none",   "x-weak", "weak",
                                             "medium", "strong", "x-strong"};
    std::string chosen = "medium";
    if (strength != tag.attributes.end()) {
      for (const char* known : kStrengths) {
        if (strength->second == known) chosen = known;
      }
    }
    if (chosen == "none") return;
    if (pausedMs_ + 1000 > kPauseBudgetMs) return;  // a strong pause counts as a second
    pausedMs_ += 1000;
    out_ += "<break strength=\"" + chosen + "\"/>";
  }

  // Rate bounded; pitch, range and volume passed when plain; duration and
  // anything else left out.
  void Prosody(const Tag& tag) {
    std::string opening = "<prosody";
    for (const auto& [key, value] : tag.attributes) {
      std::optional<std::string> kept;
      if (key == "rate") {
        kept = BoundedRate(value);
      } else if ((key == "pitch" || key == "range" || key == "volume") && IsPlainValue(value)) {
        kept = value;
      }
      if (kept) opening += " " + key + "=\"" + *kept + "\"";
    }
    out_ += opening + (tag.empty ? "/>" : ">");
  }

  void Close(const std::string& name) {
    bool found = false;
    for (const auto& element : open_) found = found || element.name == name;
    if (!found) return;
    while (!open_.empty()) {
      const bool last = open_.back().name == name;
      CloseTop();
      if (last) return;
    }
  }

  void CloseTop() {
    out_ += open_.back().closing;
    open_.pop_back();
  }

  struct OpenElement {
    std::string name;  // empty for an empty-element form
    std::string closing;
  };
  std::string out_;
  std::vector<OpenElement> open_;
  int pausedMs_ = 0;
};

}  // namespace

std::string PrepareSpeechMarkup(std::string_view original) {
  // A zero character would end the engine's text: it becomes a blank, inside
  // tags as well.
  std::string blanked(original);
  std::replace(blanked.begin(), blanked.end(), '\0', ' ');
  const std::string_view text = blanked;
  MarkupWriter writer;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      const size_t length = ReferenceLength(text.substr(i));
      writer.Raw(length > 0 ? text.substr(i, length) : "&amp;");
      i += length > 0 ? length : 1;
      continue;
    }
    if (text[i] == '<') {
      const auto tag = ParseTag(text.substr(i));
      if (tag && writer.Element(*tag, text.substr(i, tag->length))) {
        i += tag->length;
        continue;
      }
    }
    writer.Text(text[i++]);
  }
  return writer.Finish();
}

}  // namespace brevora
