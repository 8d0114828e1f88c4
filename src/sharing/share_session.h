// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "config/program_settings.h"
#include "sharing/share_server.h"

namespace brevora {

// What a window offers to its sharing dialog.
class ShareControl {
 public:
  virtual ~ShareControl() = default;
  // Starts sharing, or restarts it with new settings; empty on success, else
  // the message for the user (sharing is off then).
  virtual std::string StartSharing(ShareSettings& settings) = 0;
  virtual void StopSharing() = 0;
  // The port shared on; 0 while sharing is off.
  virtual int SharedPort() const = 0;
};

// A new secret for the shared addresses, from the system's random source.
std::string NewShareToken();

// Starts `server` sharing `executingFolder` with `settings` (the port, the
// interfaces). A token is made and kept in DATA/Brevora.ini when the
// settings have none. Empty on success, else the message for the user.
std::string StartSharing(ShareServer& server, const std::string& dataFolder,
                         const std::string& executingFolder, ShareSettings& settings);

// The feed addresses to give a phone, one per address of this machine (the
// loopback one last), or 127.0.0.1 alone when only this computer may connect.
std::vector<std::string> SharedFeedAddresses(const ShareSettings& settings, int port);

}  // namespace brevora
