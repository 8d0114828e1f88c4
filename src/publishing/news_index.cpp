#include "publishing/news_index.h"

#include <cctype>

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

// The value of attribute `name` in the text of a start tag; empty when none.
std::string Attribute(std::string_view tag, std::string_view name) {
  const std::string key = " " + std::string(name) + "=\"";
  const size_t at = tag.find(key);
  if (at == std::string_view::npos) return {};
  const size_t start = at + key.size();
  const size_t end = tag.find('"', start);
  if (end == std::string_view::npos) return {};
  return Unescape(tag.substr(start, end - start));
}

// The text of element `name` inside `block`; empty when it is not there.
std::string ElementText(std::string_view block, std::string_view name) {
  const std::string open = "<" + std::string(name) + ">";
  const std::string close = "</" + std::string(name) + ">";
  const size_t start = block.find(open);
  if (start == std::string_view::npos) return {};
  const size_t end = block.find(close, start + open.size());
  if (end == std::string_view::npos) return {};
  return Unescape(block.substr(start + open.size(), end - start - open.size()));
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
  std::vector<PodcastArticle> articles;
  std::string channel, category;
  for (size_t at = xml.find('<'); at != std::string_view::npos; at = xml.find('<', at + 1)) {
    const size_t close = xml.find('>', at);
    if (close == std::string_view::npos) break;
    const std::string_view tag = xml.substr(at, close - at + 1);
    if (tag.starts_with("<channel ")) {
      channel = Attribute(tag, "name");
    } else if (tag.starts_with("<category ")) {
      category = Attribute(tag, "name");
    } else if (tag == "<article>") {
      const size_t end = xml.find("</article>", close);
      if (end == std::string_view::npos) break;
      const std::string_view block = xml.substr(close + 1, end - close - 1);
      PodcastArticle article;
      article.channel = channel;
      article.category = category;
      article.title = ElementText(block, "title");
      article.url = ElementText(block, "url");
      article.date = ElementText(block, "date");
      article.language = ElementText(block, "language");
      article.textPath = ElementText(block, "text");
      article.audioPath = ElementText(block, "audio");
      const size_t slash = article.audioPath.rfind('/');
      article.track = TrackOf(slash == std::string::npos ? article.audioPath
                                                         : article.audioPath.substr(slash + 1));
      articles.push_back(std::move(article));
      at = end;
    }
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
