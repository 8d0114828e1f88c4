// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/memory_configuration_window.h"

namespace brevora {

// Like the main window, the time pickers start at the current time.
MemoryConfigurationWindow::MemoryConfigurationWindow() : now(std::time(nullptr)) {
  record.firstStartTime = now;
  record.secondStartTime = now;
}

}  // namespace brevora
