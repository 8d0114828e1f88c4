// SPDX-License-Identifier: GPL-3.0-or-later
#include "publishing/podcast_feed.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "publishing/feed_dates.h"

namespace brevora {

namespace {

// The text for XML: markup escaped, characters XML does not allow left out,
// and (for one-line texts) line breaks made blanks.
std::string XmlText(std::string_view text, bool oneLine = true) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\n':
      case '\r':
      case '\t':
        out += oneLine ? ' ' : static_cast<char>(c);
        break;
      default:
        if (c < 0x20) break;  // a control character XML refuses
        // U+FFFE and U+FFFF (EF BF BE, EF BF BF) are refused too.
        if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
          i += 2;
          break;
        }
        out += static_cast<char>(c);
    }
  }
  return out;
}

// Each segment of a relative path percent-encoded for an address.
std::string EncodePath(std::string_view path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// The address of `path` (relative to Top) as seen from the feed at `selfPath`.
std::string AddressOf(const PodcastFeedInfo& info, const std::string& path) {
  if (!info.address.empty()) return info.address + "Top/" + EncodePath(path);
  const size_t slash = info.selfPath.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : info.selfPath.substr(0, slash + 1);
  if (!folder.empty() && path.starts_with(folder)) return EncodePath(path.substr(folder.size()));
  return EncodePath(path);
}

// The cover's address: the icons are published beside Top.
std::string CoverAddress(const PodcastFeedInfo& info) {
  if (!info.address.empty()) return info.address + "icons/" + kCoverName;
  const int depth = static_cast<int>(std::count(info.selfPath.begin(), info.selfPath.end(), '/'));
  std::string up = "../";
  for (int i = 0; i < depth; ++i) up += "../";
  return up + "icons/" + kCoverName;
}

}  // namespace

bool IsWebAddress(std::string_view address) {
  return StartsWithIgnoringCase(address, "http://") || StartsWithIgnoringCase(address, "https://");
}

std::string StableGuid(std::string_view address) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : address) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char text[32];
  std::snprintf(text, sizeof text, "brevora-%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string PodcastAddressProblem(std::string_view address) {
  if (address.empty()) return {};
  const std::string message =
      "The podcast address must be an http or https address with a host, such as "
      "http://myserver/news/";
  for (const char c : address) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f || c == '"' || c == '<' || c == '>') {
      return message;
    }
  }
  const std::string lower = LowerAscii(address);
  size_t host = 0;
  if (lower.starts_with("http://"))
    host = 7;
  else if (lower.starts_with("https://"))
    host = 8;
  else
    return message;
  const size_t end = lower.find_first_of("/:?#", host);
  if ((end == std::string::npos ? lower.size() : end) == host) return message;
  if (lower.find_first_of("?#") != std::string::npos) return message;
  return {};
}

std::string OwnerEmailProblem(std::string_view email) {
  if (email.empty()) return {};
  const std::string message = "The owner's e-mail address must look like name@example.org.";
  const size_t at = email.find('@');
  if (at == 0 || at == std::string_view::npos ||
      email.find('@', at + 1) != std::string_view::npos || email.size() > 254) {
    return message;
  }
  const std::string_view host = email.substr(at + 1);
  if (host.find('.') == std::string_view::npos || host.front() == '.' || host.back() == '.') {
    return message;
  }
  for (const char c : email) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f || std::strchr("\"<>()[],;:\\", c)) {
      return message;
    }
  }
  return {};
}

std::string PodcastFeed(const PodcastFeedInfo& info, const std::vector<PodcastArticle>& articles) {
  const std::string page = info.selfPath.rfind('/') == std::string::npos
                               ? "index.html"
                               : info.selfPath.substr(0, info.selfPath.rfind('/')) + "/" +
                                     info.selfPath.substr(0, info.selfPath.find('/')) + ".html";
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
      "xmlns:atom=\"http://www.w3.org/2005/Atom\">\n"
      "<channel>\n";
  const std::string link = XmlText(AddressOf(info, page));
  out += "  <title>" + XmlText(info.title) + "</title>\n";
  out += "  <link>" + link + "</link>\n";
  // Relative without a podcast address: the sharing server makes it its own.
  out += "  <atom:link href=\"" + XmlText(AddressOf(info, info.selfPath)) +
         "\" rel=\"self\" type=\"application/rss+xml\"/>\n";
  out += "  <description>" + XmlText(info.description) + "</description>\n";
  if (!info.language.empty()) out += "  <language>" + XmlText(info.language) + "</language>\n";
  out += "  <lastBuildDate>" + Rfc822Date({}, info.buildTime) + "</lastBuildDate>\n";
  out += "  <generator>Brevora</generator>\n";
  out += "  <image>\n    <url>" + XmlText(CoverAddress(info)) + "</url>\n    <title>" +
         XmlText(info.title) + "</title>\n    <link>" + link + "</link>\n  </image>\n";
  out += "  <itunes:image href=\"" + XmlText(CoverAddress(info)) + "\"/>\n";
  out += "  <itunes:category text=\"News\"/>\n";
  out += "  <itunes:type>episodic</itunes:type>\n";
  out += "  <itunes:author>Brevora</itunes:author>\n";
  out += "  <itunes:owner>\n    <itunes:name>Brevora</itunes:name>\n";
  if (!info.ownerEmail.empty() && OwnerEmailProblem(info.ownerEmail).empty()) {
    out += "    <itunes:email>" + XmlText(info.ownerEmail) + "</itunes:email>\n";
  }
  out += "  </itunes:owner>\n";
  out += "  <itunes:explicit>false</itunes:explicit>\n";
  for (const PodcastArticle& article : articles) {
    const bool mp3 = article.audioPath.ends_with(".mp3");
    out += "  <item>\n";
    out += "    <title>" + XmlText(article.title) + "</title>\n";
    if (!article.summary.empty()) {
      out += "    <description>" + XmlText(article.summary) + "</description>\n";
    }
    if (IsWebAddress(article.url)) out += "    <link>" + XmlText(article.url) + "</link>\n";
    out += "    <guid isPermaLink=\"false\">" +
           StableGuid(article.url.empty() ? article.audioPath : article.url) + "</guid>\n";
    out += "    <pubDate>" + Rfc822Date(article.date, info.buildTime) + "</pubDate>\n";
    out += "    <enclosure url=\"" + XmlText(AddressOf(info, article.audioPath)) + "\" length=\"" +
           std::to_string(article.bytes) + "\" type=\"" + (mp3 ? "audio/mpeg" : "audio/wav") +
           "\"/>\n";
    out += "    <itunes:duration>" + ClockDuration(article.seconds) + "</itunes:duration>\n";
    out += "  </item>\n";
  }
  out += "</channel>\n</rss>\n";
  return out;
}

}  // namespace brevora
