// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/opml.h"

#include <cstdio>
#include <filesystem>
#include <pugixml.hpp>
#include <set>

#include "base/file_error.h"
#include "base/file_io.h"
#include "base/text.h"
#include "channels/feed_channels.h"

namespace brevora {

namespace {

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    if (IsControlCharacter(c) && c != '\t' && c != '\n' && c != '\r') return true;
  }
  return false;
}

std::string Attribute(const pugi::xml_node& node, const char* name) {
  return std::string(TrimBlanks(node.attribute(name).value()));
}

}  // namespace

std::vector<OpmlFeed> ReadOpml(std::string_view text, std::string& problem) {
  problem.clear();
  if (text.size() > kMaxOpmlBytes) {
    problem = "The file is larger than " + std::to_string(kMaxOpmlBytes >> 20) +
              " MB; an OPML list of feeds is far smaller.";
    return {};
  }
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(
      text.data(), text.size(), pugi::parse_default | pugi::parse_doctype, pugi::encoding_auto);
  if (!parsed) {
    problem = std::string("The file is not OPML: ") + parsed.description() + ".";
    return {};
  }
  for (const pugi::xml_node& node : document.children()) {
    if (node.type() == pugi::node_doctype) {
      problem = "The file is not OPML: it has a document type declaration.";
      return {};
    }
  }
  const pugi::xml_node body = document.child("opml").child("body");
  if (!body) {
    problem = "The file is not OPML: it has no <opml> element with a <body>.";
    return {};
  }
  std::vector<OpmlFeed> feeds;
  // Depth first, in document order, without recursion: (outline, folder, depth).
  struct Pending {
    pugi::xml_node node;
    std::string folder;
    int depth;
  };
  std::vector<Pending> pending;
  const auto pushChildren = [&](const pugi::xml_node& parent, const std::string& folder,
                                int depth) {
    std::vector<pugi::xml_node> children;
    for (const pugi::xml_node& child : parent.children("outline")) children.push_back(child);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      pending.push_back({*it, folder, depth});
    }
  };
  pushChildren(body, {}, 1);
  while (!pending.empty()) {
    const Pending at = pending.back();
    pending.pop_back();
    if (at.depth > kMaxOpmlDepth) {
      problem =
          "The file nests its outlines deeper than " + std::to_string(kMaxOpmlDepth) + " levels.";
      return {};
    }
    const std::string title = Attribute(at.node, "title");
    const std::string label = title.empty() ? Attribute(at.node, "text") : title;
    const std::string url = Attribute(at.node, "xmlUrl");
    if (HasControlCharacter(label) || HasControlCharacter(url)) {
      problem = "The file has an outline whose name or address holds control characters.";
      return {};
    }
    if (!url.empty()) {
      if (feeds.size() == kMaxOpmlFeeds) {
        problem = "The file lists more than " + std::to_string(kMaxOpmlFeeds) + " feeds.";
        return {};
      }
      feeds.push_back({label, url, at.folder});
    }
    pushChildren(at.node, url.empty() ? (label.empty() ? at.folder : label) : at.folder,
                 at.depth + 1);
  }
  return feeds;
}

std::string ImportSummary(const OpmlImport& import) {
  const size_t added = import.added.size();
  std::string text = std::to_string(added) + (added == 1 ? " channel" : " channels") + " added, " +
                     std::to_string(import.present) + " present already";
  if (import.notOnTheWeb > 0) {
    text += ", " + std::to_string(import.notOnTheWeb) +
            (import.notOnTheWeb == 1 ? " not a web address" : " not web addresses");
  }
  return text + ".";
}

OpmlImport ImportOpmlFeeds(const std::vector<OpmlFeed>& feeds,
                           const std::vector<ChannelRecord>& existing) {
  OpmlImport result;
  std::vector<std::string> names;
  std::set<std::string> urls;
  for (const ChannelRecord& record : existing) {
    names.push_back(record.name);
    urls.insert(std::string(TrimBlanks(record.url)));
  }
  for (const OpmlFeed& feed : feeds) {
    if (!IsNetAddress(feed.url)) {
      ++result.notOnTheWeb;
      continue;
    }
    if (!urls.insert(feed.url).second) {
      ++result.present;
      continue;
    }
    ChannelRecord record = FeedChannel(UniqueChannelName(feed.title, names), feed.url);
    names.push_back(record.name);
    result.added.push_back(std::move(record));
  }
  return result;
}

std::string ExportOpml(const std::vector<ChannelRecord>& channels, std::time_t now) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node opml = document.append_child("opml");
  opml.append_attribute("version") = "2.0";
  pugi::xml_node head = opml.append_child("head");
  head.append_child("title").text() = "Brevora channels";
  head.append_child("dateCreated").text() = Rfc822Time(now).c_str();
  pugi::xml_node body = opml.append_child("body");
  for (const ChannelRecord& record : channels) {
    const std::string url(TrimBlanks(record.url));
    if (!IsNetAddress(url) || record.name.empty() || record.name.front() == '#') continue;
    pugi::xml_node outline = body.append_child("outline");
    outline.append_attribute("type") = "rss";
    outline.append_attribute("text") = record.name.c_str();
    outline.append_attribute("title") = record.name.c_str();
    outline.append_attribute("xmlUrl") = url.c_str();
  }
  struct Writer : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override {
      text.append(static_cast<const char*>(data), size);
    }
  } writer;
  document.save(writer, "  ", pugi::format_default, pugi::encoding_utf8);
  return writer.text;
}

std::string ImportOpmlFile(const std::string& programFolder, const std::string& path,
                           OpmlImport& import) {
  import = {};
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return path + " cannot be read: " + error.message();
  std::string text, problem;
  if (size > kMaxOpmlBytes) {
    text.assign(kMaxOpmlBytes + 1, ' ');  // ReadOpml names the limit
  } else if (const int cause = ReadWholeFile(path, text); cause != kNoError) {
    return path + " cannot be read: " + FileErrorMessage(cause);
  }
  const std::vector<OpmlFeed> feeds = ReadOpml(text, problem);
  if (!problem.empty()) return path + ": " + problem;
  std::vector<ChannelRecord> records;
  if (!ReadChannelsFile(programFolder, records, problem)) return problem;
  OpmlImport found = ImportOpmlFeeds(feeds, records);
  if (!found.added.empty()) {
    problem = AppendChannels(programFolder, found.added);
    if (!problem.empty()) return problem;
  }
  import = std::move(found);
  return {};
}

std::string ExportOpmlFile(const std::string& programFolder, const std::string& path,
                           std::time_t now, int& count) {
  count = 0;
  std::vector<ChannelRecord> records;
  std::string problem;
  if (!ReadChannelsFile(programFolder, records, problem)) return problem;
  const int cause = WriteFileAtomically(path, ExportOpml(records, now));
  if (cause != kNoError) return path + " cannot be written: " + FileErrorMessage(cause);
  for (const ChannelRecord& record : records) {
    if (IsNetAddress(TrimBlanks(record.url)) && !record.name.starts_with("#")) ++count;
  }
  return {};
}

}  // namespace brevora
