// SPDX-License-Identifier: GPL-3.0-or-later
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/network.h"

namespace brevora {

std::vector<std::string> MachineAddresses() {
  std::vector<std::string> addresses, loopback;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {"127.0.0.1"};
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
        (entry->ifa_flags & IFF_UP) == 0) {
      continue;
    }
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) == nullptr) continue;
    ((entry->ifa_flags & IFF_LOOPBACK) != 0 ? loopback : addresses).emplace_back(text);
  }
  freeifaddrs(list);
  addresses.insert(addresses.end(), loopback.begin(), loopback.end());
  if (addresses.empty()) addresses.emplace_back("127.0.0.1");
  return addresses;
}

int ListenProblem(const std::string& host, int port) {
  if (port < 1 || port > 65535) return EINVAL;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return EINVAL;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return errno;
  // As the server's own socket: connections of a server just stopped, still
  // closing, do not hold the port.
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes);
  int problem = 0;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 1) != 0) {
    problem = errno;
  }
  close(fd);
  if (problem != 0) return problem;
  // A program of this user that shares its port (SO_REUSEPORT, as the server
  // itself does) is found by knocking at it.
  if (address.sin_addr.s_addr == htonl(INADDR_ANY))
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int knock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (knock < 0) return 0;
  const bool answered =
      connect(knock, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(knock);
  return answered ? EADDRINUSE : 0;
}

bool RandomBytes(std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t got = getrandom(bytes, count, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += got;
    count -= static_cast<std::size_t>(got);
  }
  return true;
}

bool SocketIo::WaitReadable(long milliseconds) const {
  pollfd entry{fd_, POLLIN, 0};
  for (;;) {
    const int ready = poll(&entry, 1, static_cast<int>(milliseconds < 0 ? 0 : milliseconds));
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0;
  }
}

ssize_t SocketIo::Receive(char* data, std::size_t size) const {
  for (;;) {
    const ssize_t got = recv(fd_, data, size, MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

ssize_t SocketIo::Send(const char* data, std::size_t size, long milliseconds) const {
  pollfd entry{fd_, POLLOUT, 0};
  for (;;) {
    const int ready = poll(&entry, 1, static_cast<int>(milliseconds));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return -1;
    const ssize_t sent = send(fd_, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return sent;
  }
}

void SocketIo::Endpoint(bool local, std::string& address, int& port) const {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  auto* any = reinterpret_cast<sockaddr*>(&storage);
  address.clear();
  port = -1;
  if ((local ? getsockname(fd_, any, &length) : getpeername(fd_, any, &length)) != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (storage.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(any);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    port = ntohs(v4->sin_port);
  } else if (storage.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(any);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    port = ntohs(v6->sin6_port);
  }
  address = text;
}

void ShutdownSocket(int fd) {
  shutdown(fd, SHUT_RDWR);
}

void WithoutBrokenPipeSignal(const std::function<void()>& start) {
  sigset_t pipe, previous;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &previous);
  start();
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace brevora
