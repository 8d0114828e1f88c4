#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

namespace brevora {

// What keeps the server alive with hostile or broken clients.
struct ShareLimits {
  std::size_t connections = 32;      // served at once; more wait to be accepted
  std::size_t headBytes = 8 * 1024;  // request line and headers
  long headSeconds = 10;             // to send them, counted from their first byte
  long idleSeconds = 5;              // between requests of a kept-alive connection
  std::size_t requestsPerConnection = 100;
  long sendSeconds = 20;                    // a client that takes nothing for this long is dropped
  std::size_t feedBytes = 4 * 1024 * 1024;  // the largest feed rewritten for a client
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
// read-only over HTTP, on threads of its own. Only GET and HEAD of the
// addresses the sharing rules name are answered with files.
class ShareServer {
 public:
  ShareServer();
  ~ShareServer();  // stops
  ShareServer(const ShareServer&) = delete;
  ShareServer& operator=(const ShareServer&) = delete;

  // Listens and serves until Stop; empty on success, else a message for the
  // user (the port is taken, say). A running server is stopped first.
  std::string Start(const ShareOptions& options);
  // Closes the listening socket and every connection, and waits for the threads.
  void Stop();

  bool Running() const;
  int Port() const;  // the port listened on; 0 when stopped
  std::size_t OpenConnections() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
  std::thread listener_;
  std::atomic<bool> listenerDone_{false};
  int port_ = 0;
};

// The feed addresses a user can give a phone: one per address of the machine
// (or 127.0.0.1 only), "http://ADDRESS:PORT/TOKEN/podcast.xml".
std::string ShareFeedAddress(const std::string& address, int port, const std::string& token);

}  // namespace brevora
