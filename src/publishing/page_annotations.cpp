// SPDX-License-Identifier: GPL-3.0-or-later
#include "publishing/page_annotations.h"

#include <cctype>
#include <vector>

#include "publishing/feed_dates.h"

namespace brevora {

namespace {

namespace fs = std::filesystem;

std::string DecodePath(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Relative(const fs::path& top, const fs::path& file) {
  return file.lexically_relative(top).generic_string();
}

}  // namespace

std::string PlaylistWithDurations(const std::string& m3u, const fs::path& folder,
                                  const std::map<std::string, int>& seconds, const fs::path& top) {
  std::string out;
  size_t start = 0;
  std::vector<std::string> lines;
  while (start <= m3u.size()) {
    const size_t end = m3u.find('\n', start);
    lines.push_back(m3u.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (line.starts_with("#EXTINF:-1,") && i + 1 < lines.size()) {
      const auto found = seconds.find(Relative(top, folder / lines[i + 1]));
      if (found != seconds.end()) {
        line = "#EXTINF:" + std::to_string(found->second) + "," + line.substr(11);
      }
    }
    out += line;
    if (i + 1 < lines.size()) out += '\n';
  }
  return out;
}

std::string PageWithFeedAndDurations(std::string page, const fs::path& folder,
                                     const std::map<std::string, int>& seconds, const fs::path& top,
                                     const std::map<std::string, std::string>& languages) {
  const std::string link =
      "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"Podcast\" "
      "href=\"podcast.xml\">\n";
  if (page.find(link) == std::string::npos) {
    const size_t head = page.find("</head>");
    if (head != std::string::npos) page.insert(head, link);
  }
  const std::string marker = "<audio controls preload=\"none\" src=\"";
  for (size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at + 1)) {
    const size_t start = at + marker.size();
    const size_t end = page.find('"', start);
    if (end == std::string::npos) break;
    const std::string audio = Relative(top, folder / DecodePath(page.substr(start, end - start)));
    // The entry's language on its list item, so a browser reads it rightly.
    const auto language = languages.find(audio);
    const size_t item = page.rfind("<li", at);
    if (language != languages.end() && item != std::string::npos &&
        page.compare(item, 4, "<li>") == 0 &&
        language->second.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "0123456789-") == std::string::npos) {
      const std::string attribute = " lang=\"" + language->second + "\"";
      page.insert(item + 3, attribute);
      at += attribute.size();
    }
    const auto found = seconds.find(audio);
    const size_t download = page.find("Download</a>", at);
    if (found == seconds.end() || download == std::string::npos) continue;
    const size_t after = download + 12;
    const std::string duration = " <small>" + ClockDuration(found->second) + "</small>";
    if (page.compare(after, duration.size(), duration) != 0) page.insert(after, duration);
  }
  return page;
}

}  // namespace brevora
