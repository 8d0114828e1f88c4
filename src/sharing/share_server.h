// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

namespace brevora {

// What keeps the server available with hostile or broken clients: it waits
// for every connection at once (no thread is held by a slow client), and
// bounds how many there are, how long a request head may take and how long a
// client may take nothing of its answer.
struct ShareLimits {
  std::size_t connections = 1024;    // open at once; more wait to be accepted
  std::size_t perAddress = 600;      // open at once from one address; more are refused
  std::size_t headBytes = 8 * 1024;  // the request target; longer ones get 414
  long headSeconds = 10;  // to send a request head, from its connection or the last answer
  long sendSeconds = 20;  // a client that takes nothing (or sends nothing) this long is dropped
  std::size_t feedBytes =
      16 * 1024 * 1024;  // the largest feed or page (each rewritten for its client)
};

struct ShareOptions {
  std::string executingFolder;
  std::string token;           // the secret first segment of every address
  std::string podcastAddress;  // the configured one, ending with "/"; may be empty
  bool allInterfaces = true;   // else this computer only (127.0.0.1)
  int port = 8642;             // 0: any free port
  ShareLimits limits;
};

// Serves the published files of the executing folder (its Top and icons)
// read-only over HTTP, from a thread of its own that waits on every
// connection at once; on IPv6 too where the machine has it. Only GET and
// HEAD of the addresses the sharing rules name are answered with files.
class ShareServer {
 public:
  ShareServer();
  ~ShareServer();  // stops
  ShareServer(const ShareServer&) = delete;
  ShareServer& operator=(const ShareServer&) = delete;

  // Listens and serves until Stop; empty on success, else a message for the
  // user (the port is taken, say). A running server is stopped first.
  std::string Start(const ShareOptions& options);
  // Closes the listening sockets and every connection.
  void Stop();

  bool Running() const;
  int Port() const;  // the port listened on; 0 when stopped
  std::size_t OpenConnections() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The feed addresses a user can give a phone: one per address of the machine
// (or 127.0.0.1 only), "http://ADDRESS:PORT/TOKEN/podcast.xml".
std::string ShareFeedAddress(const std::string& address, int port, const std::string& token);

}  // namespace brevora
