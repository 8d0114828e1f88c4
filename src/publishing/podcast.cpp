#include "publishing/podcast.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "base/file_io.h"
#include "base/text.h"
#include "publishing/audio_tags.h"
#include "base/run_log.h"

namespace brevora {

namespace {

namespace fs = std::filesystem;

constexpr size_t kSummaryCharacters = 300;

// --- Reading NewsXML.xml ------------------------------------------------------

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

// --- Writing XML ---------------------------------------------------------------

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
  if (!info.address.empty()) return info.address + "icons/brevora.png";
  const int depth = static_cast<int>(std::count(info.selfPath.begin(), info.selfPath.end(), '/'));
  std::string up = "../";
  for (int i = 0; i < depth; ++i) up += "../";
  return up + "icons/brevora.png";
}

// Whether the address is one a listener can open: http or https. A local
// channel's articles are files of the machine that ran it, never published.
bool IsWebAddress(std::string_view address) {
  return StartsWithIgnoringCase(address, "http://") || StartsWithIgnoringCase(address, "https://");
}

// --- Dates ---------------------------------------------------------------------

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool ReadNumber(std::string_view text, size_t& at, int digits, int& value) {
  value = 0;
  for (int i = 0; i < digits; ++i, ++at) {
    if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))) return false;
    value = value * 10 + (text[at] - '0');
  }
  return true;
}

// "HH:MM" with an optional ":SS".
bool ReadClock(std::string_view text, size_t& at, int& hour, int& minute, int& second) {
  if (!ReadNumber(text, at, 2, hour) || at >= text.size() || text[at++] != ':' ||
      !ReadNumber(text, at, 2, minute)) {
    return false;
  }
  if (at < text.size() && text[at] == ':') {
    ++at;
    return ReadNumber(text, at, 2, second);
  }
  return true;
}

// A zone after the time: "GMT", "UT", "UTC", "Z", "+0100", "-05:00", or none;
// the seconds to subtract for UTC.
bool ReadZone(std::string_view text, long& offset) {
  offset = 0;
  size_t at = text.find_first_not_of(' ');
  if (at == std::string_view::npos) return true;
  const std::string_view zone = text.substr(at);
  if (zone == "GMT" || zone == "UT" || zone == "UTC" || zone == "Z") return true;
  if (zone[0] != '+' && zone[0] != '-') return false;
  const int sign = zone[0] == '-' ? -1 : 1;
  size_t i = 1;
  int hours = 0, minutes = 0;
  if (!ReadNumber(zone, i, 2, hours)) return false;
  if (i < zone.size() && zone[i] == ':') ++i;
  if (!ReadNumber(zone, i, 2, minutes) || i != zone.size()) return false;
  offset = sign * (hours * 3600L + minutes * 60L);
  return true;
}

// RFC 822 ("Tue, 08 Dec 2026 10:00:00 GMT") or ISO 8601 ("2026-12-08T10:00:00Z",
// "2026-12-08"); the UTC time, or -1.
std::time_t ParseFeedDate(std::string_view date) {
  std::tm parts{};
  long offset = 0;
  size_t at = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (ReadNumber(date, at, 4, year) && at < date.size() && date[at] == '-') {
    ++at;
    if (!ReadNumber(date, at, 2, month) || at >= date.size() || date[at++] != '-' ||
        !ReadNumber(date, at, 2, day)) {
      return -1;
    }
    if (at < date.size() && (date[at] == 'T' || date[at] == ' ')) {
      ++at;
      if (!ReadClock(date, at, hour, minute, second)) return -1;
      while (at < date.size() &&
             (date[at] == '.' || std::isdigit(static_cast<unsigned char>(date[at]))))
        ++at;
      if (!ReadZone(date.substr(at), offset)) return -1;
    } else if (at != date.size()) {
      return -1;
    }
  } else {
    at = date.find(',');
    at = at == std::string_view::npos ? 0 : at + 1;
    while (at < date.size() && date[at] == ' ') ++at;
    size_t start = at;
    while (at < date.size() && std::isdigit(static_cast<unsigned char>(date[at]))) ++at;
    if (at == start || at - start > 2) return -1;
    day = std::atoi(std::string(date.substr(start, at - start)).c_str());
    while (at < date.size() && date[at] == ' ') ++at;
    const std::string_view name = date.substr(at, 3);
    month = 0;
    for (int m = 0; m < 12; ++m) {
      if (EqualsIgnoringCase(name, kMonths[m])) {
        month = m + 1;
      }
    }
    if (month == 0) return -1;
    at += 3;
    while (at < date.size() && date[at] == ' ') ++at;
    start = at;
    if (!ReadNumber(date, at, 4, year)) {
      at = start;
      if (!ReadNumber(date, at, 2, year)) return -1;
      year += year < 50 ? 2000 : 1900;
    }
    while (at < date.size() && date[at] == ' ') ++at;
    if (!ReadClock(date, at, hour, minute, second)) return -1;
    if (!ReadZone(date.substr(at), offset)) return -1;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return -1;
  }
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  return timegm(&parts) - offset;
}

std::string IsoDate(std::time_t time) {
  std::tm parts{};
  gmtime_r(&time, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday);
  return text;
}

// --- Files ----------------------------------------------------------------------

// The first characters of an article's text (its file: the title, a blank
// line, the text), cut between UTF-8 characters and at a blank where one is near.
std::string Summary(const std::string& textFile) {
  std::string content;
  if (ReadWholeFile(textFile, content) != 0) return {};
  const size_t body = content.find("\n\n");
  std::string text = body == std::string::npos ? content : content.substr(body + 2);
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  size_t characters = 0, end = 0;
  for (; end < text.size() && characters < kSummaryCharacters; ++end) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) ++characters;
  }
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  if (end < text.size()) {
    const size_t blank = text.rfind(' ', end);
    if (blank != std::string::npos && blank > end / 2) end = blank;
    return text.substr(0, end) + "...";
  }
  return text;
}

std::string Relative(const fs::path& top, const fs::path& file) {
  return file.lexically_relative(top).generic_string();
}

// The durations of the playlists' entries, "#EXTINF:-1," becoming the seconds.
std::string WithDurations(const std::string& m3u, const fs::path& folder,
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

// A page with a link to its feed in its head, and each audio file's duration
// after its download link.
std::string WithFeedAndDurations(std::string page, const fs::path& folder,
                                 const std::map<std::string, int>& seconds, const fs::path& top) {
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
    const auto found =
        seconds.find(Relative(top, folder / DecodePath(page.substr(start, end - start))));
    const size_t download = page.find("Download</a>", end);
    if (found == seconds.end() || download == std::string::npos) continue;
    const size_t after = download + 12;
    const std::string duration = " <small>" + ClockDuration(found->second) + "</small>";
    if (page.compare(after, duration.size(), duration) != 0) page.insert(after, duration);
  }
  return page;
}

// NewsXML.xml with a duration element after each audio element whose file is there.
std::string WithIndexDurations(std::string xml, const std::map<std::string, int>& seconds) {
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

std::string Rfc822Date(std::string_view date, std::time_t fallback) {
  std::time_t time = date.empty() ? -1 : ParseFeedDate(date);
  if (time < 0) time = fallback;
  std::tm parts{};
  gmtime_r(&time, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[parts.tm_wday],
                parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour,
                parts.tm_min, parts.tm_sec);
  return text;
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

std::string ClockDuration(int seconds) {
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  }
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

std::string PodcastFeed(const PodcastFeedInfo& info, const std::vector<PodcastArticle>& articles) {
  const std::string page = info.selfPath.rfind('/') == std::string::npos
                               ? "index.html"
                               : info.selfPath.substr(0, info.selfPath.rfind('/')) + "/" +
                                     info.selfPath.substr(0, info.selfPath.find('/')) + ".html";
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n"
      "<channel>\n";
  out += "  <title>" + XmlText(info.title) + "</title>\n";
  out += "  <link>" + XmlText(AddressOf(info, page)) + "</link>\n";
  out += "  <description>" + XmlText(info.description) + "</description>\n";
  if (!info.language.empty()) out += "  <language>" + XmlText(info.language) + "</language>\n";
  out += "  <lastBuildDate>" + Rfc822Date({}, info.buildTime) + "</lastBuildDate>\n";
  out += "  <generator>Brevora</generator>\n";
  out += "  <itunes:image href=\"" + XmlText(CoverAddress(info)) + "\"/>\n";
  out += "  <itunes:author>Brevora</itunes:author>\n";
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

bool PublishPodcast(const PodcastOptions& options, RunLog& log) {
  const std::string extension = options.format == "wav" ? ".wav" : ".mp3";
  const fs::path top = fs::path(options.workingFolder) / "Top";
  std::string problem;
  const auto failed = [&](const std::string& what) {
    if (problem.empty()) problem = what;
  };
  std::error_code error;
  if (!fs::is_directory(top, error)) return true;  // nothing was crawled

  std::string index;
  ReadWholeFile((top / "NewsXML.xml").string(), index);
  std::map<std::string, PodcastArticle> listed;
  std::vector<std::string> order;
  for (PodcastArticle& article : ReadNewsIndex(index)) {
    if (article.audioPath.empty()) continue;
    order.push_back(article.audioPath);
    listed.emplace(article.audioPath, std::move(article));
  }
  // The audio files the pass wrote; those NewsXML.xml does not list come last.
  std::vector<std::string> found;
  for (fs::recursive_directory_iterator it(top, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error) && it->path().extension() == extension) {
      found.push_back(Relative(top, it->path()));
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> audio;
  for (const std::string& path : order) {
    if (std::binary_search(found.begin(), found.end(), path)) audio.push_back(path);
  }
  for (const std::string& path : found) {
    if (!listed.count(path)) audio.push_back(path);
  }

  std::string cover;
  ReadWholeFile(options.programFolder + "icons/brevora.png", cover);
  std::vector<PodcastArticle> articles;
  std::map<std::string, int> seconds;
  for (const std::string& path : audio) {
    const auto entry = listed.find(path);
    PodcastArticle article = entry != listed.end() ? entry->second : ArticleFromPath(path);
    const std::string file = (top / path).string();
    AudioTags tags;
    tags.title = article.title;
    tags.artist = article.channel;
    tags.album =
        article.category.empty() ? article.channel : article.channel + " - " + article.category;
    tags.track = article.track;
    const std::time_t date = article.date.empty() ? -1 : ParseFeedDate(article.date);
    tags.date = IsoDate(date >= 0 ? date : options.runTime);
    tags.address = IsWebAddress(article.url) ? article.url : std::string();
    tags.coverPng = cover;
    const bool tagged = extension == ".mp3" ? WriteMp3Tags(file, tags) : WriteWavTags(file, tags);
    if (!tagged) failed("cannot tag " + file);
    article.seconds = std::max(0, AudioSeconds(file));
    article.bytes = fs::file_size(file, error);
    if (error) article.bytes = 0;
    // The text beside the audio file, whatever the index names: nothing else is read.
    article.summary = Summary((top / path).replace_extension(".txt").string());
    seconds[path] = article.seconds;
    articles.push_back(std::move(article));
  }

  // Durations in the playlists, pages and the index; each page links its feed.
  for (fs::recursive_directory_iterator it(top, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    const fs::path& file = it->path();
    std::string content;
    if (file.extension() != ".m3u" && file.extension() != ".html") continue;
    if (ReadWholeFile(file.string(), content) != 0) {
      failed("cannot read " + file.string());
      continue;
    }
    const std::string changed =
        file.extension() == ".m3u"
            ? WithDurations(content, file.parent_path(), seconds, top)
            : WithFeedAndDurations(content, file.parent_path(), seconds, top);
    if (changed != content && WriteFileAtomically(file.string(), changed) != 0) {
      failed("cannot write " + file.string());
    }
  }
  if (!index.empty()) {
    const std::string changed = WithIndexDurations(index, seconds);
    if (changed != index && WriteFileAtomically((top / "NewsXML.xml").string(), changed) != 0) {
      failed("cannot write " + (top / "NewsXML.xml").string());
    }
  }

  // The feeds: one of every channel, one of each.
  PodcastFeedInfo all{"Brevora news",   "The news of every channel, spoken by Brevora.",
                      options.language, "podcast.xml",
                      options.address,  options.runTime};
  if (WriteFileAtomically((top / "podcast.xml").string(), PodcastFeed(all, articles)) != 0) {
    failed("cannot write " + (top / "podcast.xml").string());
  }
  std::map<std::string, std::vector<PodcastArticle>> byFolder;
  for (const PodcastArticle& article : articles) {
    const size_t slash = article.audioPath.find('/');
    if (slash != std::string::npos) byFolder[article.audioPath.substr(0, slash)].push_back(article);
  }
  for (const auto& [folder, channelArticles] : byFolder) {
    const std::string name =
        channelArticles.front().channel.empty() ? folder : channelArticles.front().channel;
    PodcastFeedInfo one{name,
                        "The news of " + name + ", spoken by Brevora.",
                        options.language,
                        folder + "/podcast.xml",
                        options.address,
                        options.runTime};
    const std::string path = (top / folder / "podcast.xml").string();
    if (WriteFileAtomically(path, PodcastFeed(one, channelArticles)) != 0) {
      failed("cannot write " + path);
    }
  }
  if (!problem.empty()) log.LogError(kLogPodcastFailed, problem.c_str());
  return problem.empty();
}

}  // namespace brevora
