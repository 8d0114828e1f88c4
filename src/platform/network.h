// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brevora {

// The IPv4 addresses of this machine's interfaces that are up, the loopback
// address last.
std::vector<std::string> MachineAddresses();

// Why a TCP server could not listen on `host`:`port`: 0 when it can, else
// the errno of the failure (EADDRINUSE when another program has the port).
int ListenProblem(const std::string& host, int port);

// Fills `bytes` from the system's random source; false when it cannot.
bool RandomBytes(std::uint8_t* bytes, std::size_t count);

// A connected socket, used by one thread at a time (the socket itself is
// owned and closed by its server).
class SocketIo {
 public:
  explicit SocketIo(int fd) : fd_(fd) {}

  // Waits until bytes (or the end) can be read, at most `milliseconds`.
  bool WaitReadable(long milliseconds) const;
  // The bytes that have arrived, at most `size`: 0 at the end, -1 on error.
  ssize_t Receive(char* data, std::size_t size) const;
  // Sends part or all of `data`, waiting at most `milliseconds` for room;
  // -1 when the peer takes nothing in that time or the socket failed.
  ssize_t Send(const char* data, std::size_t size, long milliseconds) const;
  // The address and port of this end (`local`) or the peer's.
  void Endpoint(bool local, std::string& address, int& port) const;
  int Descriptor() const { return fd_; }

 private:
  int fd_;
};

// Ends both directions of a socket, waking a thread that waits on it.
void ShutdownSocket(int fd);

// Runs `start` with the signal of a write to a closed connection blocked, so
// that the threads it starts (a server's) never receive it.
void WithoutBrokenPipeSignal(const std::function<void()>& start);

}  // namespace brevora
