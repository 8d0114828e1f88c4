// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the channel line reader and the Channels.txt line
// splitter: no crash, no hang, and a record read from any line writes a line
// that reads back to the same record.
#include <cstdlib>
#include <string>
#include <string_view>

#include "channels/channel_file.h"
#include "channels/channel_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  brevora::ChannelRecord record;
  brevora::ParseChannel(record, text);
  if (brevora::CheckChannelTexts(record).empty()) {
    std::string line;
    brevora::FormatChannel(record, line);
    brevora::ChannelRecord again;
    brevora::ParseChannel(again, line);
    if (!(again == record)) std::abort();
    // Saving the record into the text keeps it findable by its name.
    const std::string saved = brevora::TextWithChannel(text, record);
    if (!brevora::FindChannelLine(saved, record.name).found) std::abort();
  }
  const auto lines = brevora::SplitChannelFile(text);
  (void)brevora::TextWithoutChannels(lines, {0, 2});
  return 0;
}
