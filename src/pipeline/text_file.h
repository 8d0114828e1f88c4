#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevora {

// The text of an article for the speech engine. A file that begins with the
// bytes FF FE is UTF-16 little-endian (the mark is not part of the text, an
// odd last byte is dropped); anything else is this platform's 8-bit text,
// UTF-8, where bytes that are not valid UTF-8 become U+FFFD. Nothing when the
// file cannot be read.
std::optional<std::u16string> ReadTextFile(const std::string& path);

// UTF-8 to UTF-16; every invalid sequence becomes one U+FFFD.
std::u16string DecodeUtf8(std::string_view bytes);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

}  // namespace brevora
