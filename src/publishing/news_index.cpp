// SPDX-License-Identifier: GPL-3.0-or-later
#include "publishing/news_index.h"

#include <cctype>
#include <pugixml.hpp>

namespace brevora {

namespace {

std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    const size_t end = text.find(';', i);
    if (end == std::string_view::npos || end - i > 10) {
      out += '&';
      continue;
    }
    const std::string_view name = text.substr(i + 1, end - i - 1);
    if (name == "amp")
      out += '&';
    else if (name == "lt")
      out += '<';
    else if (name == "gt")
      out += '>';
    else if (name == "quot")
      out += '"';
    else if (name == "apos")
      out += '\'';
    else {
      out += text.substr(i, end - i + 1);  // not one of ours: as it stands
    }
    i = end;
  }
  return out;
}

// The text of element `name` inside `block`; empty when it is not there.
std::string ElementText(std::string_view block, std::string_view name) {
  std::string open = "<", close = "</";
  open.append(name).append(">");
  close.append(name).append(">");
  const size_t start = block.find(open);
  if (start == std::string_view::npos) return {};
  const size_t end = block.find(close, start + open.size());
  if (end == std::string_view::npos) return {};
  return Unescape(block.substr(start + open.size(), end - start - open.size()));
}

// The text of an element: its character data and CDATA sections, joined
// across comments.
std::string NodeText(const pugi::xml_node& element) {
  std::string text;
  for (const pugi::xml_node& child : element.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      text += child.value();
    }
  }
  return text;
}

int TrackOf(const std::string& fileName) {
  int track = 0;
  size_t i = 0;
  for (; i < fileName.size() && i < 4 && std::isdigit(static_cast<unsigned char>(fileName[i]));
       ++i) {
    track = track * 10 + (fileName[i] - '0');
  }
  return i > 0 && i < fileName.size() && fileName[i] == ' ' ? track : 0;
}

}  // namespace

std::vector<PodcastArticle> ReadNewsIndex(std::string_view xml) {
  // Through an XML parser: any legal form of the index reads the same
  // (attributes in any order or quotes, CDATA, comments, character
  // references, the encodings XML names); a document broken part way keeps
  // the articles before the break.
  pugi::xml_document document;
  document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_auto);
  std::vector<PodcastArticle> articles;
  for (const pugi::xpath_node& found : document.select_nodes("//article")) {
    const pugi::xml_node node = found.node();
    PodcastArticle article;
    for (pugi::xml_node up = node.parent(); up; up = up.parent()) {
      const std::string_view name = up.name();
      if (name == "category" && article.category.empty()) {
        article.category = up.attribute("name").value();
      } else if (name == "channel" && article.channel.empty()) {
        article.channel = up.attribute("name").value();
      }
    }
    article.title = NodeText(node.child("title"));
    article.url = NodeText(node.child("url"));
    article.date = NodeText(node.child("date"));
    article.language = NodeText(node.child("language"));
    article.textPath = NodeText(node.child("text"));
    article.audioPath = NodeText(node.child("audio"));
    const size_t slash = article.audioPath.rfind('/');
    article.track = TrackOf(slash == std::string::npos ? article.audioPath
                                                       : article.audioPath.substr(slash + 1));
    articles.push_back(std::move(article));
  }
  return articles;
}

PodcastArticle ArticleFromPath(const std::string& audioPath) {
  PodcastArticle article;
  article.audioPath = audioPath;
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    const size_t slash = audioPath.find('/', start);
    parts.push_back(
        audioPath.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string name = parts.back();
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name = name.substr(0, dot);
  article.textPath = audioPath.substr(0, audioPath.size() - parts.back().size()) + name + ".txt";
  article.track = TrackOf(name);
  const size_t blank = name.find(' ');
  article.title = article.track > 0 ? name.substr(blank + 1) : name;
  if (parts.size() >= 2) article.channel = parts[0];
  if (parts.size() >= 3) article.category = parts[parts.size() - 2];
  return article;
}

std::string IndexWithDurations(std::string xml, const std::map<std::string, int>& seconds) {
  const std::string open = "<audio>", close = "</audio>";
  for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
    const size_t end = xml.find(close, at);
    if (end == std::string::npos) break;
    const auto found = seconds.find(Unescape(xml.substr(at + open.size(), end - at - open.size())));
    if (found == seconds.end()) continue;
    const std::string element =
        "\n        <duration>" + std::to_string(found->second) + "</duration>";
    const size_t after = end + close.size();
    if (xml.compare(after, element.size(), element) != 0) xml.insert(after, element);
  }
  return xml;
}

std::string IndexWithLanguages(std::string xml,
                               const std::map<std::string, std::string>& languages) {
  for (size_t at = xml.find("<article>"); at != std::string::npos;
       at = xml.find("<article>", at + 1)) {
    const size_t end = xml.find("</article>", at);
    if (end == std::string::npos) break;
    const std::string block = xml.substr(at, end - at);
    const auto found = languages.find(ElementText(block, "audio"));
    // Only a clean tag is written: letters, digits and "-".
    if (found == languages.end() || found->second.empty() ||
        found->second.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                        "0123456789-") != std::string::npos) {
      continue;
    }
    const size_t open = block.find("<language>");
    const size_t close = block.find("</language>");
    if (open != std::string::npos && close != std::string::npos && close > open) {
      xml.replace(at + open + 10, close - open - 10, found->second);
    } else {
      const size_t date = block.find("</date>");
      const size_t after = date != std::string::npos ? date + 7 : block.find("</audio>") + 8;
      if (after > block.size()) continue;
      xml.insert(at + after, "\n        <language>" + found->second + "</language>");
    }
  }
  return xml;
}

}  // namespace brevora
