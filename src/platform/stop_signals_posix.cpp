// SPDX-License-Identifier: GPL-3.0-or-later
#include <csignal>

#include "platform/stop_signals.h"

namespace brevora {

namespace {
void (*g_stop)() = nullptr;
}  // namespace

void OnStopSignals(void (*stop)()) {
  g_stop = stop;
  struct sigaction action {};
  action.sa_handler = [](int) {
    if (g_stop != nullptr) g_stop();
  };
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace brevora
