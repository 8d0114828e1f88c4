// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/article_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "base/text.h"

namespace brevora {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string& text, char32_t c) {
  if (c < 0x10000) {
    text += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    text += static_cast<char16_t>(0xD800 + (c >> 10));
    text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t length = Utf8Length(bytes.substr(i));
    if (length == 0) {
      text += kReplacement;
      ++i;
      while (i < bytes.size() && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80) ++i;
      continue;
    }
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) c = (c << 6) | (bytes[i + k] & 0x3F);
    AppendCodePoint(text, c);
    i += length;
  }
  return text;
}

std::string EncodeUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

namespace {

ArticleTextProblem ReadArticleBytes(const std::string& path, std::string& bytes) {
  // Non-blocking, so that opening a FIFO does not wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return ArticleTextProblem::kUnreadable;
  struct stat info {};
  ArticleTextProblem problem = ArticleTextProblem::kNone;
  if (fstat(fd, &info) != 0) {
    problem = ArticleTextProblem::kUnreadable;
  } else if (!S_ISREG(info.st_mode)) {
    problem = ArticleTextProblem::kNotAFile;
  } else if (static_cast<uint64_t>(info.st_size) > kMaxArticleBytes) {
    problem = ArticleTextProblem::kTooLarge;
  } else {
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) problem = ArticleTextProblem::kUnreadable;
      if (n <= 0) break;
      bytes.append(buffer, static_cast<size_t>(n));
      if (bytes.size() > kMaxArticleBytes) {  // grew while being read
        problem = ArticleTextProblem::kTooLarge;
        break;
      }
    }
  }
  close(fd);
  if (problem != ArticleTextProblem::kNone) bytes.clear();
  return problem;
}

}  // namespace

std::optional<std::u16string> ReadArticleText(const std::string& path,
                                              ArticleTextProblem* problem) {
  std::string bytes;
  const ArticleTextProblem found = ReadArticleBytes(path, bytes);
  if (problem != nullptr) *problem = found;
  if (found != ArticleTextProblem::kNone) return std::nullopt;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string text((bytes.size() - 2) / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
      text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                      (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
    }
    return text;
  }
  return DecodeUtf8(bytes);
}

}  // namespace brevora
