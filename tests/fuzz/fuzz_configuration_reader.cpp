// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the Brevora.cfg reader: it must neither crash nor
// hang, and shows at most one message.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/user_prompt.h"
#include "config/configuration.h"
#include "config/memory_configuration_window.h"

namespace {

class CountingPrompt : public brevora::UserPrompt {
 public:
  void Notify(const std::string&) override { ++count; }
  brevora::Answer AskYesNo(const std::string&) override { std::abort(); }
  brevora::Answer AskYesNoCancel(const std::string&) override { std::abort(); }
  int count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::rewind(file);
  brevora::MemoryConfigurationWindow window;
  window.voices = {"Anna", "Bert"};
  CountingPrompt prompt;
  brevora::ReadConfiguration(file, window, prompt);
  std::fclose(file);
  if (prompt.count > 1) std::abort();
  // What was read must survive the writer.
  (void)brevora::FormatConfiguration(window);
  return 0;
}
