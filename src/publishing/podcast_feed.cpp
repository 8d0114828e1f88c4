// SPDX-License-Identifier: GPL-3.0-or-later
#include "publishing/podcast_feed.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <pugixml.hpp>

#include "base/text.h"
#include "publishing/feed_dates.h"

namespace brevora {

namespace {

// The text as XML may hold it, on one line: line breaks and tabs become
// blanks; control characters, U+FFFE and U+FFFF are left out; bytes that are
// not UTF-8 become U+FFFD. The writer escapes the markup.
std::string XmlSafe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (c == '\n' || c == '\r' || c == '\t') {
        out += ' ';
      } else if (c >= 0x20 && c != 0x7F) {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    const size_t length = Utf8Length(text.substr(i));
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    if (!IsXmlNonCharacter(text.substr(i))) out.append(text, i, length);
    i += length;
  }
  return out;
}

// An element holding `text` (which may be empty: "<a></a>").
pugi::xml_node AddText(pugi::xml_node parent, const char* name, std::string_view text) {
  pugi::xml_node element = parent.append_child(name);
  element.append_child(pugi::node_pcdata).set_value(XmlSafe(text).c_str());
  return element;
}

// An empty element with its attributes, in the order given ("<a b="c"/>").
pugi::xml_node AddEmpty(pugi::xml_node parent, const char* name,
                        std::initializer_list<std::pair<const char*, std::string>> attributes) {
  pugi::xml_node element = parent.append_child(name);
  for (const auto& [key, value] : attributes) {
    element.append_attribute(key).set_value(XmlSafe(value).c_str());
  }
  return element;
}

// Lays an element's children out on lines of their own, indented by two
// blanks a level below `depth`; an element holding only text stays on one line.
void LayOut(pugi::xml_node element, int depth) {
  if (!element.find_child(
          [](pugi::xml_node child) { return child.type() == pugi::node_element; })) {
    return;
  }
  const std::string inner = std::string("\n").append(2 * static_cast<size_t>(depth + 1), ' ');
  for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    element.insert_child_before(pugi::node_pcdata, child).set_value(inner.c_str());
    LayOut(child, depth + 1);
  }
  const std::string outer = std::string("\n").append(2 * static_cast<size_t>(depth), ' ');
  element.append_child(pugi::node_pcdata).set_value(outer.c_str());
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
  // Through an XML writer, so that the feed is well-formed whatever its texts hold.
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
  declaration.append_attribute("encoding").set_value("UTF-8");
  pugi::xml_node rss = document.append_child("rss");
  rss.append_attribute("version").set_value("2.0");
  rss.append_attribute("xmlns:itunes").set_value("http://www.itunes.com/dtds/podcast-1.0.dtd");
  rss.append_attribute("xmlns:atom").set_value("http://www.w3.org/2005/Atom");
  pugi::xml_node channel = rss.append_child("channel");
  const std::string link = AddressOf(info, page);
  AddText(channel, "title", info.title);
  AddText(channel, "link", link);
  // Relative without a podcast address: the sharing server makes it its own.
  AddEmpty(
      channel, "atom:link",
      {{"href", AddressOf(info, info.selfPath)}, {"rel", "self"}, {"type", "application/rss+xml"}});
  AddText(channel, "description", info.description);
  if (!info.language.empty()) AddText(channel, "language", info.language);
  AddText(channel, "lastBuildDate", Rfc822Date({}, info.buildTime));
  AddText(channel, "generator", "Brevora");
  pugi::xml_node image = channel.append_child("image");
  AddText(image, "url", CoverAddress(info));
  AddText(image, "title", info.title);
  AddText(image, "link", link);
  AddEmpty(channel, "itunes:image", {{"href", CoverAddress(info)}});
  AddEmpty(channel, "itunes:category", {{"text", "News"}});
  AddText(channel, "itunes:type", "episodic");
  AddText(channel, "itunes:author", "Brevora");
  pugi::xml_node owner = channel.append_child("itunes:owner");
  AddText(owner, "itunes:name", "Brevora");
  if (!info.ownerEmail.empty() && OwnerEmailProblem(info.ownerEmail).empty()) {
    AddText(owner, "itunes:email", info.ownerEmail);
  }
  AddText(channel, "itunes:explicit", "false");
  std::map<std::string, int> guids;
  for (const PodcastArticle& article : articles) {
    const bool mp3 = article.audioPath.ends_with(".mp3");
    pugi::xml_node item = channel.append_child("item");
    AddText(item, "title", article.title);
    if (!article.summary.empty()) AddText(item, "description", article.summary);
    if (IsWebAddress(article.url)) AddText(item, "link", article.url);
    // An article without an address is named by its channel, category and title, never by
    // its file, whose number changes when new stories come first; a second one of the same
    // name in the feed gets its count.
    std::string guid = StableGuid(!article.url.empty() ? article.url
                                                       : article.channel + '/' + article.category +
                                                             '/' + article.title);
    if (const int seen = guids[guid]++; seen > 0) guid.append("-").append(std::to_string(seen + 1));
    AddText(item, "guid", guid).append_attribute("isPermaLink").set_value("false");
    AddText(item, "pubDate", Rfc822Date(article.date, info.buildTime));
    AddEmpty(item, "enclosure",
             {{"url", AddressOf(info, article.audioPath)},
              {"length", std::to_string(article.bytes)},
              {"type", mp3 ? "audio/mpeg" : "audio/wav"}});
    AddText(item, "itunes:duration", ClockDuration(article.seconds));
  }
  LayOut(channel, 0);
  rss.insert_child_before(pugi::node_pcdata, channel).set_value("\n");
  rss.append_child(pugi::node_pcdata).set_value("\n");

  struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override {
      text.append(static_cast<const char*>(data), size);
    }
  } writer;
  // The declaration and the root each end a line.
  document.insert_child_after(pugi::node_pcdata, declaration).set_value("\n");
  document.append_child(pugi::node_pcdata).set_value("\n");
  document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
  return writer.text;
}

}  // namespace brevora
