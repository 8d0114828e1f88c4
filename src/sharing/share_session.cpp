// SPDX-License-Identifier: GPL-3.0-or-later
#include "sharing/share_session.h"

#include <cstdint>

#include "platform/network.h"
#include "sharing/share_rules.h"

namespace brevora {

std::string NewShareToken() {
  std::uint8_t bytes[16] = {};
  if (!RandomBytes(bytes, sizeof bytes)) return {};
  return ShareTokenFromBytes(bytes);
}

std::string StartSharing(ShareServer& server, const std::string& dataFolder,
                         const std::string& executingFolder, ShareSettings& settings) {
  if (executingFolder.empty()) {
    return "Choose the executing folder first: its published news is what is shared.";
  }
  if (!IsShareToken(settings.token)) {
    settings.token = NewShareToken();
    if (settings.token.empty()) return "Brevora could not make a secret address for sharing.";
    // Only the token is kept: a port given for this once stays out of the file.
    ShareSettings stored = ReadShareSettings(dataFolder);
    stored.token = settings.token;
    if (WriteShareSettings(dataFolder, stored) != 0) {
      return "Brevora could not keep the shared address in " + dataFolder + "Brevora.ini.";
    }
  }
  ShareOptions options;
  options.executingFolder = executingFolder;
  options.token = settings.token;
  options.podcastAddress = ReadPodcastAddress(dataFolder);
  options.allInterfaces = settings.allInterfaces;
  options.port = settings.port;
  return server.Start(options);
}

std::vector<std::string> SharedFeedAddresses(const ShareSettings& settings, int port) {
  std::vector<std::string> addresses;
  const std::vector<std::string> hosts =
      settings.allInterfaces ? MachineAddresses() : std::vector<std::string>{"127.0.0.1"};
  for (const std::string& host : hosts) {
    addresses.push_back(ShareFeedAddress(host, port, settings.token));
  }
  return addresses;
}

}  // namespace brevora
