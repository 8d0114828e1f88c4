// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevora {

// The longest article spoken: a megabyte of text is about 16 hours of speech,
// far beyond any real article.
inline constexpr size_t kMaxArticleBytes = 1 << 20;

// Why an article gave no text.
enum class ArticleTextProblem { kNone, kUnreadable, kNotAFile, kTooLarge };

// The text of an article for the speech engine. A file that begins with the
// bytes FF FE is UTF-16 little-endian (the mark is not part of the text, an
// odd last byte is dropped); anything else is this platform's 8-bit text,
// UTF-8, where bytes that are not valid UTF-8 become U+FFFD. Articles come
// from web pages and are not trusted: only a regular file is read (a FIFO or
// a device named *.txt never blocks the pass), and only up to
// kMaxArticleBytes. Nothing, with the reason, when the file gives no text.
std::optional<std::u16string> ReadArticleText(const std::string& path,
                                              ArticleTextProblem* problem = nullptr);

// UTF-8 to UTF-16; every invalid sequence becomes one U+FFFD.
std::u16string DecodeUtf8(std::string_view bytes);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

}  // namespace brevora
