// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevora {

// The rules of sharing the executing folder on the home network. Addresses
// look like
//
//   /TOKEN/podcast.xml          Top/podcast.xml
//   /TOKEN/Demo/Demo.html       Top/Demo/Demo.html
//   /TOKEN/Top/index.html       Top/index.html (the folder's own layout, so
//   /TOKEN/icons/brevora.png    icons/brevora.png   the pages' links work)
//
// and nothing else of the folder can be named.

// A new secret for the addresses: 128 random bits as 26 characters of
// lower-case base32 ("a"-"z", "2"-"7").
std::string ShareTokenFromBytes(const std::uint8_t (&bytes)[16]);

// Whether `text` has the form of a token (26 characters of that alphabet).
bool IsShareToken(std::string_view text);

// The file a request target names, as path segments below the executing
// folder ({"Top", "Demo", "1 News.mp3"}); nothing when the target names no
// shared file. The target is percent-decoded once, segment by segment; a
// segment that decodes to nothing, ".", "..", a hidden or temporary name, or
// holds a slash, a backslash, a control character or bytes that are not
// UTF-8 (overlong forms included) names nothing, as does a wrong token.
std::optional<std::vector<std::string>> ResolveSharedPath(std::string_view target,
                                                          std::string_view token);

// The Content-Type for a shared file's name.
std::string SharedContentType(std::string_view name);

// A served podcast feed: the addresses of the channel's page, its cover and
// its enclosures made absolute below `base` ("http://192.168.1.20:8642/TOKEN/"),
// resolved from `feedPath` ("Top/Demo/podcast.xml") when they are relative or
// begin with the podcast address (`podcastAddress`, may be empty). Other
// addresses (the articles' own) are kept.
std::string ServedFeed(std::string_view feed, std::string_view feedPath,
                       std::string_view podcastAddress, std::string_view base);

// A page or the run's index as the network is served it: every address of
// a file on this computer ("file:..." or a path from "/", in an href, src or
// url attribute or a url or link element) is emptied, so that no folder of
// the user's is shown; other addresses are kept.
std::string WithoutLocalAddresses(std::string_view text);

// One byte range of a `Range` header for a body of `size` bytes.
struct ByteRange {
  enum class Kind { kWhole, kPart, kUnsatisfiable } kind = Kind::kWhole;
  std::uint64_t first = 0;  // for kPart: the first byte and the count
  std::uint64_t length = 0;
};
// kWhole for no header, another unit, several ranges or a value that is not
// exactly "bytes=FIRST-LAST", "bytes=FIRST-" or "bytes=-COUNT" with at most
// 18 digits and LAST not before FIRST (the whole body is sent);
// kUnsatisfiable when such a range starts past the end.
ByteRange ParseByteRange(std::string_view header, std::uint64_t size);

// Whether an If-None-Match value ("*", a list, weak forms) matches `etag`.
bool EtagMatches(std::string_view ifNoneMatch, std::string_view etag);

// "Tue, 08 Dec 2026 10:00:00 GMT", whatever the locale.
std::string HttpDate(std::time_t time);

}  // namespace brevora
