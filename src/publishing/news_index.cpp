// SPDX-License-Identifier: GPL-3.0-or-later
#include "publishing/news_index.h"

#include <expat.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "base/text.h"

namespace brevora {

namespace {

constexpr size_t kNowhere = std::string::npos;

// Where an element lies in the index's bytes: from its "<" to the end of its
// end tag.
struct Span {
  size_t begin = kNowhere;
  size_t end = kNowhere;
};

// One article as the parser met it, with where the elements the publishing
// step annotates lie.
struct ScannedArticle {
  PodcastArticle article;
  Span date, audio, language, duration;
};

int TrackOf(const std::string& fileName) {
  int track = 0;
  size_t i = 0;
  for (; i < fileName.size() && i < 4 && std::isdigit(static_cast<unsigned char>(fileName[i]));
       ++i) {
    track = track * 10 + (fileName[i] - '0');
  }
  return i > 0 && i < fileName.size() && fileName[i] == ' ' ? track : 0;
}

// Whether the document is UTF-8: its declaration names no other encoding.
bool DeclaresUtf8(std::string_view xml) {
  if (xml.starts_with("\xEF\xBB\xBF")) xml.remove_prefix(3);
  if (!xml.starts_with("<?xml")) return true;
  const std::string prolog = LowerAscii(xml.substr(0, xml.find("?>")));
  const size_t name = prolog.find("encoding");
  if (name == std::string::npos) return true;
  const size_t quote = prolog.find_first_of("\"'", name);
  return quote == std::string::npos || prolog.compare(quote + 1, 5, "utf-8") == 0 ||
         prolog.compare(quote + 1, 4, "utf8") == 0;
}

// Reads the index through an XML parser, so that any legal form of it reads
// the same: attributes in any order or quotes, CDATA, comments, character
// references, the encodings the parser knows. A document broken part way
// keeps the articles before the break. An article's fields are the texts of
// its child elements; the parser gives each element's place in the bytes.
class IndexScanner {
 public:
  explicit IndexScanner(std::string_view xml) : parser_(XML_ParserCreate(nullptr)) {
    if (parser_ == nullptr) return;
    Tolerate(xml);
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &IndexScanner::Start, &IndexScanner::End);
    XML_SetCharacterDataHandler(parser_, &IndexScanner::Text);
    constexpr size_t kChunk = 1 << 20;
    for (size_t at = 0;; at += kChunk) {
      const size_t size = std::min(kChunk, tolerated_.size() - std::min(at, tolerated_.size()));
      const bool last = at + size >= tolerated_.size();
      if (XML_Parse(parser_, tolerated_.data() + at, static_cast<int>(size), last) !=
              XML_STATUS_OK ||
          last) {
        break;
      }
    }
  }
  ~IndexScanner() {
    if (parser_ != nullptr) XML_ParserFree(parser_);
  }
  IndexScanner(const IndexScanner&) = delete;
  IndexScanner& operator=(const IndexScanner&) = delete;

  std::vector<ScannedArticle> articles;

 private:
  struct Open {
    std::string name;
    std::string nameAttribute;  // of a channel or category
  };

  // The document the parser reads: the index without the characters XML
  // refuses (controls, and in UTF-8 U+FFFE, U+FFFF and bytes that are not
  // UTF-8), so that one bad title costs only itself. `shifts_` finds each
  // place of it in the index's own bytes.
  void Tolerate(std::string_view xml) {
    const bool utf8 = DeclaresUtf8(xml);
    tolerated_.reserve(xml.size());
    for (size_t i = 0; i < xml.size();) {
      const unsigned char c = static_cast<unsigned char>(xml[i]);
      size_t length = 1;
      bool refused = c < 0x20 && c != '\t' && c != '\n' && c != '\r';
      if (utf8 && c >= 0x80) {
        length = Utf8Length(xml.substr(i));
        refused = length == 0 || IsXmlNonCharacter(xml.substr(i));
        if (length == 0) length = 1;
      }
      if (refused) {
        shifts_.emplace_back(tolerated_.size(), i + length - tolerated_.size());
      } else {
        tolerated_.append(xml, i, length);
      }
      i += length;
    }
  }

  // Where a place of the parsed document lies in the index.
  size_t InIndex(size_t at) const {
    auto shift = std::upper_bound(shifts_.begin(), shifts_.end(), std::pair(at, kNowhere));
    return shift == shifts_.begin() ? at : at + std::prev(shift)->second;
  }
  size_t Here() const { return InIndex(static_cast<size_t>(XML_GetCurrentByteIndex(parser_))); }
  size_t HereEnd() const {
    return InIndex(static_cast<size_t>(XML_GetCurrentByteIndex(parser_)) +
                   static_cast<size_t>(XML_GetCurrentByteCount(parser_)));
  }

  static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto& self = *static_cast<IndexScanner*>(data);
    Open open{name, {}};
    for (size_t i = 0; attributes[i] != nullptr; i += 2) {
      if (std::string_view(attributes[i]) == "name") open.nameAttribute = attributes[i + 1];
    }
    if (self.article_ && self.open_.size() == self.articleDepth_ + 1) {
      self.field_ = Span{self.Here(), kNowhere};
      self.text_.clear();
    } else if (!self.article_ && open.name == "article") {
      self.article_.emplace();
      self.articleDepth_ = self.open_.size();
      for (auto up = self.open_.rbegin(); up != self.open_.rend(); ++up) {
        PodcastArticle& article = self.article_->article;
        if (up->name == "category" && article.category.empty()) {
          article.category = up->nameAttribute;
        } else if (up->name == "channel" && article.channel.empty()) {
          article.channel = up->nameAttribute;
        }
      }
    }
    self.open_.push_back(std::move(open));
  }

  static void End(void* data, const XML_Char* name) {
    auto& self = *static_cast<IndexScanner*>(data);
    self.open_.pop_back();
    if (!self.article_) return;
    if (self.open_.size() == self.articleDepth_) {
      PodcastArticle& article = self.article_->article;
      const size_t slash = article.audioPath.rfind('/');
      article.track = TrackOf(slash == std::string::npos ? article.audioPath
                                                         : article.audioPath.substr(slash + 1));
      self.articles.push_back(std::move(*self.article_));
      self.article_.reset();
    } else if (self.open_.size() == self.articleDepth_ + 1) {
      self.field_.end = self.HereEnd();
      self.SetField(name);
    }
  }

  static void Text(void* data, const XML_Char* text, int length) {
    auto& self = *static_cast<IndexScanner*>(data);
    if (self.article_ && self.open_.size() == self.articleDepth_ + 2) {
      self.text_.append(text, static_cast<size_t>(length));
    }
  }

  void SetField(std::string_view name) {
    ScannedArticle& scanned = *article_;
    PodcastArticle& article = scanned.article;
    if (name == "title") {
      article.title = text_;
    } else if (name == "url") {
      article.url = text_;
    } else if (name == "date") {
      article.date = text_;
      scanned.date = field_;
    } else if (name == "language") {
      article.language = text_;
      scanned.language = field_;
    } else if (name == "text") {
      article.textPath = text_;
    } else if (name == "audio") {
      article.audioPath = text_;
      scanned.audio = field_;
    } else if (name == "duration") {
      scanned.duration = field_;
    }
  }

  XML_Parser parser_;
  std::string tolerated_;
  std::vector<std::pair<size_t, size_t>> shifts_;  // from this place on, so many bytes more
  std::vector<Open> open_;
  std::optional<ScannedArticle> article_;
  size_t articleDepth_ = 0;
  Span field_;
  std::string text_;
};

// Whether ASCII written into the document reads as itself: not UTF-16 or
// UTF-32, which begin with a byte order mark or a zero byte.
bool AsciiCompatible(std::string_view xml) {
  if (xml.starts_with("\xFE\xFF") || xml.starts_with("\xFF\xFE")) return false;
  return xml.substr(0, 4).find('\0') == std::string_view::npos;
}

// Only a clean language tag is written: letters, digits and "-".
bool CleanTag(std::string_view tag) {
  return !tag.empty() &&
         tag.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") ==
             std::string_view::npos;
}

}  // namespace

std::vector<PodcastArticle> ReadNewsIndex(std::string_view xml) {
  IndexScanner scanner(xml);
  std::vector<PodcastArticle> articles;
  articles.reserve(scanner.articles.size());
  for (ScannedArticle& scanned : scanner.articles) articles.push_back(std::move(scanned.article));
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

std::string AnnotatedIndex(const std::string& xml, const std::map<std::string, int>& seconds,
                           const std::map<std::string, std::string>& languages) {
  if (!AsciiCompatible(xml)) return xml;
  // Each edit replaces the bytes of one element, or inserts at the end of
  // one; everything else keeps its bytes.
  struct Edit {
    Span replaced;  // begin == end: an insertion
    std::string text;
  };
  std::vector<Edit> edits;
  const std::string indent = "\n        ";
  for (const ScannedArticle& scanned : IndexScanner(xml).articles) {
    if (scanned.audio.end == kNowhere) continue;
    const std::string& audio = scanned.article.audioPath;
    if (const auto found = seconds.find(audio); found != seconds.end()) {
      const std::string element = "<duration>" + std::to_string(found->second) + "</duration>";
      if (scanned.duration.end != kNowhere) {
        edits.push_back({scanned.duration, element});
      } else {
        edits.push_back({{scanned.audio.end, scanned.audio.end}, indent + element});
      }
    }
    if (const auto found = languages.find(audio);
        found != languages.end() && CleanTag(found->second)) {
      const std::string element = "<language>" + found->second + "</language>";
      if (scanned.language.end != kNowhere) {
        edits.push_back({scanned.language, element});
      } else {
        const size_t after = scanned.date.end != kNowhere ? scanned.date.end : scanned.audio.end;
        edits.push_back({{after, after}, indent + element});
      }
    }
  }
  // In the order of the bytes; at one place, insertions first, in the order made.
  const auto inserts = [](const Edit& edit) { return edit.replaced.begin == edit.replaced.end; };
  std::stable_sort(edits.begin(), edits.end(), [&](const Edit& a, const Edit& b) {
    return a.replaced.begin < b.replaced.begin ||
           (a.replaced.begin == b.replaced.begin && inserts(a) && !inserts(b));
  });
  std::string out;
  out.reserve(xml.size() + edits.size() * 32);
  size_t copied = 0;
  for (const Edit& edit : edits) {
    if (edit.replaced.begin < copied || edit.replaced.end > xml.size()) continue;
    out.append(xml, copied, edit.replaced.begin - copied);
    out += edit.text;
    copied = edit.replaced.end;
  }
  out.append(xml, copied);
  return out;
}

}  // namespace brevora
