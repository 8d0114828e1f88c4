// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "config/configuration.h"

namespace brevora {

// The window side of the configuration kept in memory: the record itself is
// the "control", so data exchange has nothing to move. Serves the tests and
// runs without a window.
class MemoryConfigurationWindow : public ConfigurationWindow {
 public:
  MemoryConfigurationWindow();

  Configuration& Record() override { return record; }
  void TakeControlValues() override {}
  void PutControlValues() override {}
  std::vector<std::string> ChannelNames() const override { return channels; }
  void SetChannelNames(const std::vector<std::string>& names) override { channels = names; }
  std::vector<std::string> FormatEntries() const override { return formats; }
  void SelectFormat(int index) override { formatSelection = index; }
  std::vector<std::string> VoiceEntries() const override { return voices; }
  void SelectVoice(int index) override { voiceSelection = index; }
  int DefaultVoice() const override { return defaultVoice; }
  std::time_t Now() const override { return now; }

  Configuration record;
  std::vector<std::string> channels;
  std::vector<std::string> formats{"text", "wav", "mp3"};
  int formatSelection = -1;
  std::vector<std::string> voices;
  int voiceSelection = -1;
  int defaultVoice = 0;
  std::time_t now;
};

}  // namespace brevora
