// SPDX-License-Identifier: GPL-3.0-or-later
#include "sharing/share_rules.h"

#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "publishing/feed_dates.h"

namespace brevora {

namespace {

constexpr char kBase32[] = "abcdefghijklmnopqrstuvwxyz234567";
constexpr size_t kTokenLength = 26;  // 128 bits in 5-bit characters
constexpr size_t kMaxSegments = 32;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Characters a request target may carry as they stand (RFC 3986 pchar, and
// the bytes of UTF-8 that some clients send unencoded; the names they make
// are checked once decoded).
bool IsPathCharacter(unsigned char c) {
  if (c >= 0x80) return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return c != '\0' && std::strchr("-._~!$&'()*+,;=:@%", c) != nullptr;
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    unsigned min = 0, code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, min = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, min = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, min = 0x10000, code = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// One segment decoded once; nothing when it is not a plain file or folder name.
std::optional<std::string> DecodeSegment(std::string_view raw) {
  std::string name;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '%') {
      name += raw[i];
      continue;
    }
    if (i + 2 >= raw.size()) return std::nullopt;
    const int high = HexValue(raw[i + 1]), low = HexValue(raw[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    name += static_cast<char>(high * 16 + low);
    i += 2;
  }
  if (name.empty() || name.front() == '.') return std::nullopt;  // "." ".." and hidden
  for (const char c : name) {
    if (IsControlCharacter(c) || c == '/' || c == '\\') return std::nullopt;
  }
  if (!IsUtf8(name)) return std::nullopt;
  if (name.back() == '~' || name.ends_with(".part") || name.ends_with(".tmp")) return std::nullopt;
  return name;
}

// Compares without stopping at the first difference, so the time taken does
// not tell how much of a guessed token was right.
bool SameSecret(std::string_view given, std::string_view secret) {
  if (given.size() != secret.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < secret.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
  }
  return difference == 0;
}

bool IsDigits(std::string_view text) {
  if (text.empty() || text.size() > 18) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// `address` (relative to the folder of `feedPath`, or below the podcast
// address) as an executing-folder path such as "Top/Demo/1 News.mp3";
// nothing when it is some other site's address or leaves the folder.
std::optional<std::string> ExecutingPath(std::string_view address, std::string_view feedPath,
                                         std::string_view podcastAddress) {
  std::string joined;
  if (!podcastAddress.empty() && address.starts_with(podcastAddress)) {
    joined = address.substr(podcastAddress.size());
  } else {
    const size_t colon = address.find(':');
    if (address.empty() || address.front() == '/' || address.front() == '#' ||
        address.front() == '?' || (colon != std::string_view::npos && colon < address.find('/'))) {
      return std::nullopt;
    }
    const size_t slash = feedPath.rfind('/');
    joined = std::string(slash == std::string_view::npos ? "" : feedPath.substr(0, slash + 1));
    joined += address;
  }
  std::vector<std::string_view> segments;
  const std::string_view whole = joined;
  size_t start = 0;
  while (start <= whole.size()) {
    size_t end = whole.find('/', start);
    if (end == std::string_view::npos) end = whole.size();
    const std::string_view segment = whole.substr(start, end - start);
    if (segment == "..") {
      if (segments.empty()) return std::nullopt;
      segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  if (segments.size() < 2 || (segments[0] != "Top" && segments[0] != "icons")) return std::nullopt;
  std::string path;
  for (const std::string_view segment : segments) {
    if (!path.empty()) path += '/';
    path += segment;
  }
  return path;
}

// Where an address stands in a page or feed: between `open` and `close`.
struct ValuePlace {
  std::string_view open, close;
};

// The text with the value of every place rewritten, taken from the start
// on: each time the place that opens first; an unclosed value ends the work.
template <size_t N, typename Rewrite>
std::string WithValuesRewritten(std::string_view text, const ValuePlace (&places)[N],
                                Rewrite rewrite) {
  std::string out;
  out.reserve(text.size() + 1024);
  size_t at = 0;
  while (at < text.size()) {
    size_t best = std::string_view::npos;
    const ValuePlace* found = nullptr;
    for (const ValuePlace& place : places) {
      const size_t where = text.find(place.open, at);
      if (where < best) best = where, found = &place;
    }
    if (found == nullptr) break;
    const size_t valueStart = best + found->open.size();
    const size_t valueEnd = text.find(found->close, valueStart);
    if (valueEnd == std::string_view::npos) break;
    out.append(text.substr(at, valueStart - at));
    out.append(rewrite(text.substr(valueStart, valueEnd - valueStart)));
    at = valueEnd;
  }
  out.append(text.substr(at));
  return out;
}

}  // namespace

std::string ShareTokenFromBytes(const std::uint8_t (&bytes)[16]) {
  std::string token;
  unsigned buffer = 0;
  int bits = 0;
  for (const std::uint8_t byte : bytes) {
    buffer = (buffer << 8) | byte;
    bits += 8;
    while (bits >= 5) {
      token += kBase32[(buffer >> (bits - 5)) & 31];
      bits -= 5;
    }
  }
  if (bits > 0) token += kBase32[(buffer << (5 - bits)) & 31];
  return token;
}

bool IsShareToken(std::string_view text) {
  if (text.size() != kTokenLength) return false;
  for (const char c : text) {
    if (std::strchr(kBase32, c) == nullptr || c == '\0') return false;
  }
  return true;
}

std::optional<std::vector<std::string>> ResolveSharedPath(std::string_view target,
                                                          std::string_view token) {
  const size_t query = target.find('?');
  if (query != std::string_view::npos) target = target.substr(0, query);
  if (target.empty() || target.front() != '/' || !IsShareToken(token)) return std::nullopt;
  for (const char c : target) {
    if (c != '/' && !IsPathCharacter(static_cast<unsigned char>(c))) return std::nullopt;
  }
  std::vector<std::string_view> raw;
  size_t start = 1;
  while (start <= target.size()) {
    size_t end = target.find('/', start);
    if (end == std::string_view::npos) end = target.size();
    raw.push_back(target.substr(start, end - start));
    if (raw.size() > kMaxSegments + 2) return std::nullopt;
    start = end + 1;
  }
  if (raw.size() < 2 || !SameSecret(raw[0], token)) return std::nullopt;

  // "/TOKEN/" and "/TOKEN/Top/" open the index page, never a listing.
  std::vector<std::string> path;
  size_t next = 1;
  if (raw[1] == "icons" || raw[1] == "Top") {
    path.emplace_back(raw[1]);
    next = 2;
  } else {
    path.emplace_back("Top");
  }
  if (next == raw.size() - 1 && raw[next].empty()) {
    path.emplace_back("index.html");
    return path;
  }
  if (next >= raw.size()) return std::nullopt;
  for (size_t i = next; i < raw.size(); ++i) {
    std::optional<std::string> name = DecodeSegment(raw[i]);
    if (!name) return std::nullopt;
    path.push_back(std::move(*name));
  }
  if (path.size() > kMaxSegments) return std::nullopt;
  return path;
}

std::string SharedContentType(std::string_view name) {
  const std::string lower = LowerAscii(std::string(name));
  const size_t dot = lower.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : lower.substr(dot + 1);
  if (lower == "podcast.xml") return "application/rss+xml; charset=utf-8";
  if (extension == "mp3") return "audio/mpeg";
  if (extension == "wav") return "audio/wav";
  if (extension == "xml") return "application/xml; charset=utf-8";
  if (extension == "html" || extension == "htm") return "text/html; charset=utf-8";
  if (extension == "png") return "image/png";
  if (extension == "ico") return "image/x-icon";
  if (extension == "svg") return "image/svg+xml";
  if (extension == "txt") return "text/plain; charset=utf-8";
  if (extension == "m3u") return "audio/x-mpegurl";
  if (extension == "asx") return "video/x-ms-asf";
  return "application/octet-stream";
}

std::string ServedFeed(std::string_view feed, std::string_view feedPath,
                       std::string_view podcastAddress, std::string_view base) {
  static constexpr ValuePlace kPlaces[] = {
      {"<link>", "</link>"}, {" href=\"", "\""}, {" url=\"", "\""}};
  return WithValuesRewritten(feed, kPlaces, [&](std::string_view value) {
    if (std::optional<std::string> path = ExecutingPath(value, feedPath, podcastAddress)) {
      return std::string(base) + *path;
    }
    return std::string(value);
  });
}

std::string WithoutLocalAddresses(std::string_view text) {
  static constexpr ValuePlace kPlaces[] = {{" href=\"", "\""},
                                           {" src=\"", "\""},
                                           {" url=\"", "\""},
                                           {"<url>", "</url>"},
                                           {"<link>", "</link>"}};
  return WithValuesRewritten(text, kPlaces, [](std::string_view value) {
    const std::string_view trimmed = TrimBlanks(value);
    const bool local = trimmed.starts_with("/") || trimmed.starts_with("~") ||
                       LowerAscii(std::string(trimmed.substr(0, 5))) == "file:";
    return local ? std::string() : std::string(value);
  });
}

ByteRange ParseByteRange(std::string_view header, std::uint64_t size) {
  ByteRange whole;
  if (!header.starts_with("bytes=")) return whole;
  const std::string_view spec = header.substr(6);
  const size_t dash = spec.find('-');
  if (dash == std::string_view::npos || spec.find(',') != std::string_view::npos) return whole;
  const std::string_view from = spec.substr(0, dash), to = spec.substr(dash + 1);
  ByteRange range;
  range.kind = ByteRange::Kind::kPart;
  if (from.empty()) {  // the last N bytes
    if (!IsDigits(to)) return whole;
    const std::uint64_t count = std::stoull(std::string(to));
    if (count == 0 || size == 0) return {ByteRange::Kind::kUnsatisfiable, 0, 0};
    range.length = count < size ? count : size;
    range.first = size - range.length;
    return range;
  }
  if (!IsDigits(from) || (!to.empty() && !IsDigits(to))) return whole;
  range.first = std::stoull(std::string(from));
  std::uint64_t last = to.empty() ? size - 1 : std::stoull(std::string(to));
  if (!to.empty() && last < range.first) return whole;
  if (range.first >= size) return {ByteRange::Kind::kUnsatisfiable, 0, 0};
  if (last >= size) last = size - 1;
  range.length = last - range.first + 1;
  return range;
}

bool EtagMatches(std::string_view ifNoneMatch, std::string_view etag) {
  const auto strong = [](std::string_view tag) {
    tag = TrimBlanks(tag);
    return tag.starts_with("W/") ? tag.substr(2) : tag;
  };
  size_t start = 0;
  while (start <= ifNoneMatch.size()) {
    size_t end = ifNoneMatch.find(',', start);
    if (end == std::string_view::npos) end = ifNoneMatch.size();
    const std::string_view tag = TrimBlanks(ifNoneMatch.substr(start, end - start));
    if (tag == "*" || (!tag.empty() && strong(tag) == strong(etag))) return true;
    start = end + 1;
  }
  return false;
}

std::string HttpDate(std::time_t time) {
  const std::string date = Rfc822Date({}, time);  // "Tue, 08 Dec 2026 10:00:00 +0000"
  return date.substr(0, date.size() - 5) + "GMT";
}

}  // namespace brevora
