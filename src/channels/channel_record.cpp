// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/channel_record.h"

#include <array>
#include <functional>

#include "base/text.h"

namespace brevora {

namespace {

constexpr char kScrambleKey[] = "MarlTossaVentric";
constexpr size_t kKeyLength = 16;
constexpr std::string_view kSeparator = "||";
// Marks an escaped password: the scramble of two zero bytes, which no typed
// password begins with, followed by the scrambled bytes in hexadecimal.
constexpr std::string_view kEscapeMarker = "Ma";

// Where each field of a channel line goes, in line order. Field 5 is reserved.
using FieldReader = std::function<void(ChannelRecord&, std::string_view)>;

FieldReader Text(std::string ChannelRecord::*member) {
  return [member](ChannelRecord& r, std::string_view v) { r.*member = std::string(v); };
}
FieldReader Number(int32_t ChannelRecord::*member) {
  return [member](ChannelRecord& r, std::string_view v) { r.*member = ParseLeadingInt(v); };
}
FieldReader Flag(bool ChannelRecord::*member) {
  return
      [member](ChannelRecord& r, std::string_view v) { r.*member = EqualsIgnoringCase(v, "true"); };
}

const std::array<FieldReader, 24>& FieldReaders() {
  static const std::array<FieldReader, 24> readers = {
      Text(&ChannelRecord::name),
      Text(&ChannelRecord::url),
      Text(&ChannelRecord::webSiteUrls),
      Number(&ChannelRecord::crawlDepth),
      [](ChannelRecord&, std::string_view) {},  // reserved
      Number(&ChannelRecord::numberOfCharacters),
      Number(&ChannelRecord::categoriesToDownload),
      Number(&ChannelRecord::linesToSkip),
      Text(&ChannelRecord::linkFilter),
      Number(&ChannelRecord::linksInLeafNode),
      Text(&ChannelRecord::extraLinkFilter),
      Number(&ChannelRecord::linksForExtraFiltering),
      Text(&ChannelRecord::negativeLinkFilter),
      Flag(&ChannelRecord::useParagraphTag),
      Flag(&ChannelRecord::paragraphEndExists),
      Flag(&ChannelRecord::useSpanTag),
      Flag(&ChannelRecord::useRemarkString),
      Text(&ChannelRecord::startRemarkString),
      Text(&ChannelRecord::endRemarkString),
      Text(&ChannelRecord::userName),
      [](ChannelRecord& r, std::string_view v) { r.password = DecodePasswordField(v); },
      Text(&ChannelRecord::loginUrl),
      Text(&ChannelRecord::rssFilter),
      Text(&ChannelRecord::negativeLinkTextFilter),
  };
  return readers;
}

bool BreaksLine(std::string_view text) {
  return text.find(kSeparator) != std::string_view::npos ||
         text.find_first_of("\r\n") != std::string_view::npos ||
         (!text.empty() && text.back() == '|');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

const char* FlagText(bool flag) {
  return flag ? "true" : "false";
}

void ClearChannel(ChannelRecord& record) {
  record = ChannelRecord{};
  record.categoriesToDownload = 0;
  record.crawlDepth = 0;
  record.numberOfCharacters = 0;
  record.linksForExtraFiltering = 0;
}

std::string ScramblePassword(std::string_view text) {
  std::string result(text);
  for (size_t i = 0; i < result.size(); ++i) result[i] ^= kScrambleKey[i % kKeyLength];
  return result;
}

std::string EncodePasswordField(std::string_view scrambled) {
  // Only what would break the line is escaped: a single "|" inside the field
  // breaks nothing, so the plain form stays readable to a reader that knows
  // nothing of the escape.
  const bool plain =
      scrambled.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
      scrambled.find(kSeparator) == std::string_view::npos && !scrambled.ends_with('|') &&
      !scrambled.starts_with(kEscapeMarker);
  if (plain) return std::string(scrambled);
  static const char kDigits[] = "0123456789abcdef";
  std::string field(kEscapeMarker);
  for (unsigned char c : scrambled) {
    field += kDigits[c >> 4];
    field += kDigits[c & 15];
  }
  return field;
}

std::string DecodePasswordField(std::string_view field) {
  if (!field.starts_with(kEscapeMarker) || (field.size() - kEscapeMarker.size()) % 2 != 0) {
    return std::string(field);
  }
  std::string scrambled;
  for (size_t i = kEscapeMarker.size(); i < field.size(); i += 2) {
    const int high = HexValue(field[i]), low = HexValue(field[i + 1]);
    if (high < 0 || low < 0) return std::string(field);
    scrambled += static_cast<char>(high * 16 + low);
  }
  return scrambled;
}

void FormatChannel(const ChannelRecord& r, std::string& text) {
  const std::string fields[24] = {r.name,
                                  r.url,
                                  r.webSiteUrls,
                                  std::to_string(r.crawlDepth),
                                  "",
                                  std::to_string(r.numberOfCharacters),
                                  std::to_string(r.categoriesToDownload),
                                  std::to_string(r.linesToSkip),
                                  r.linkFilter,
                                  std::to_string(r.linksInLeafNode),
                                  r.extraLinkFilter,
                                  std::to_string(r.linksForExtraFiltering),
                                  r.negativeLinkFilter,
                                  FlagText(r.useParagraphTag),
                                  FlagText(r.paragraphEndExists),
                                  FlagText(r.useSpanTag),
                                  FlagText(r.useRemarkString),
                                  r.startRemarkString,
                                  r.endRemarkString,
                                  r.userName,
                                  EncodePasswordField(r.password),
                                  r.loginUrl,
                                  r.rssFilter,
                                  r.negativeLinkTextFilter};
  for (size_t i = 0; i < 24; ++i) {
    if (i > 0) text += kSeparator;
    text += fields[i];
  }
}

void ParseChannel(ChannelRecord& record, std::string_view line) {
  ClearChannel(record);
  const auto& readers = FieldReaders();
  size_t start = 0;
  for (size_t field = 0; field < readers.size(); ++field) {
    const size_t separator = line.find(kSeparator, start);
    const bool last = field + 1 == readers.size();
    if (separator == std::string_view::npos && !last) return;
    readers[field](record,
                   line.substr(start, separator == std::string_view::npos ? std::string_view::npos
                                                                          : separator - start));
    start = separator + kSeparator.size();
  }
}

std::string CheckChannelTexts(const ChannelRecord& r) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"Name", &r.name},
      {"URL", &r.url},
      {"Web Site URLs", &r.webSiteUrls},
      {"Link Filter", &r.linkFilter},
      {"Extra Link Filter", &r.extraLinkFilter},
      {"Negative Link Filter", &r.negativeLinkFilter},
      {"Start Remark String", &r.startRemarkString},
      {"End Remark String", &r.endRemarkString},
      {"User Name", &r.userName},
      {"Login URL", &r.loginUrl},
      {"RSS Filter", &r.rssFilter},
      {"Negative Link Text Filter", &r.negativeLinkTextFilter},
  };
  for (const auto& [label, text] : fields) {
    if (BreaksLine(*text)) {
      return std::string("The field \"") + label +
             "\" cannot contain \"||\" or a line break, and cannot end with \"|\"!";
    }
  }
  return {};
}

}  // namespace brevora
