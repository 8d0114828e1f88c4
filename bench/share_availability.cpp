// SPDX-License-Identifier: GPL-3.0-or-later
// How available the sharing server stays under hostile or merely many
// clients, run by hand (bench/share_availability.sh):
//  1. 500 parallel GETs of a 1 MB episode: how many are answered in full,
//     and the slowest;
//  2. 200 connections that send nothing, then 200 that send a header byte
//     every 10 s: how long another client waits for its answer;
//  3. 40 subscribers reading 64 KB every 15 s of a 64 MB episode: the same;
// then the server's memory and how long it takes to end on SIGTERM with all
// that attached. The server runs in a process of its own:
//   share_availability serve FOLDER     (prints its port, ends on SIGTERM)
//   share_availability clients PORT PID
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sharing/share_server.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kToken[] = "abcdefghijklmnopqrstuvwxyz";

int Connect(int port, int timeoutSeconds) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  timeval timeout{timeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A whole GET: the bytes of the answer received, or -1 when it failed.
long Get(int port, const std::string& path) {
  const int fd = Connect(port, 120);
  if (fd < 0) return -1;
  const std::string request = "GET /" + std::string(kToken) + "/" + path +
                              " HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n";
  if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) < 0) {
    close(fd);
    return -1;
  }
  long total = 0;
  char buffer[65536];
  for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) != 0;) {
    if (got < 0) {
      close(fd);
      return -1;
    }
    total += got;
  }
  close(fd);
  return total;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The slowest of five answers to another client, in seconds (99: none).
double OtherClientWait(int port) {
  double worst = 0;
  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    if (Get(port, "index.html") <= 0) return 99;
    worst = std::max(worst, Seconds(start));
  }
  return worst;
}

// A line of /proc/PID/status ("VmHWM", "VmRSS") in KB.
long StatusKilobytes(int pid, const std::string& key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  }
  return 0;
}

int Serve(const std::string& folder) {
  const std::string top = folder + "/Top";
  std::system(("mkdir -p '" + top + "' '" + folder + "/icons'").c_str());
  std::ofstream(top + "/index.html") << "<html>index</html>";
  const std::string megabyte(1 << 20, 'm');         // written a megabyte at a time, so as not to
  std::ofstream(top + "/episode.mp3") << megabyte;  // count toward the server's memory
  std::ofstream episode(top + "/long.mp3");
  for (int i = 0; i < 64; ++i) episode << megabyte;
  episode.close();
  sigset_t term;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &term, nullptr);  // taken by sigwait below
  brevora::ShareServer server;
  brevora::ShareOptions options;
  options.executingFolder = folder;
  options.token = kToken;
  options.allInterfaces = false;
  options.port = 0;
  const std::string problem = server.Start(options);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  std::printf("%d\n", server.Port());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&term, &signal);
  server.Stop();
  return 0;
}

int Clients(int port, int pid) {
  const long baseKilobytes = StatusKilobytes(pid, "VmRSS");
  {
    std::vector<std::thread> clients;
    std::vector<double> took(500, -1);
    std::atomic<int> whole{0};
    for (int i = 0; i < 500; ++i) {
      clients.emplace_back([&, i] {
        const auto start = Clock::now();
        if (Get(port, "episode.mp3") > (1 << 20)) {
          ++whole;
          took[i] = Seconds(start);
        }
      });
    }
    for (std::thread& client : clients) client.join();
    std::printf("500 parallel GETs of a 1 MB episode: %d answered in full, the slowest in %.2f s\n",
                whole.load(), *std::max_element(took.begin(), took.end()));
  }

  std::vector<int> held;
  for (int i = 0; i < 200; ++i) {
    const int fd = Connect(port, 5);
    if (fd >= 0) held.push_back(fd);
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::printf("200 silent connections (%zu open): another client waits at most %.2f s\n",
              held.size(), OtherClientWait(port));
  for (const int fd : held) close(fd);
  held.clear();

  std::atomic<bool> stop{false};
  std::vector<std::thread> trickle;
  for (int i = 0; i < 200; ++i) {
    trickle.emplace_back([&] {
      const int fd = Connect(port, 5);
      if (fd < 0) return;
      const std::string head = "GET /" + std::string(kToken) + "/index.html HTTP/1.1\r\n";
      for (size_t at = 0; !stop && at < head.size(); ++at) {
        if (send(fd, head.data() + at, 1, MSG_NOSIGNAL) < 0) break;
        for (int tenth = 0; tenth < 100 && !stop; ++tenth) {
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
      }
      close(fd);
    });
  }
  std::this_thread::sleep_for(std::chrono::seconds(2));
  std::printf(
      "200 connections sending a header byte every 10 s: another client waits at most"
      " %.2f s\n",
      OtherClientWait(port));

  std::vector<std::thread> subscribers;
  for (int i = 0; i < 40; ++i) {
    subscribers.emplace_back([&] {
      const int fd = Connect(port, 30);
      if (fd < 0) return;
      int size = 4096;  // a small window, as a phone's
      setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
      const std::string request =
          "GET /" + std::string(kToken) + "/long.mp3 HTTP/1.1\r\nHost: bench\r\n\r\n";
      send(fd, request.data(), request.size(), MSG_NOSIGNAL);
      char buffer[65536];
      while (!stop) {
        if (recv(fd, buffer, sizeof buffer, MSG_WAITALL) <= 0) break;
        for (int tenth = 0; tenth < 150 && !stop; ++tenth) {
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
      }
      close(fd);
    });
  }
  std::this_thread::sleep_for(std::chrono::seconds(3));
  std::printf("40 subscribers reading 64 KB every 15 s: another client waits at most %.2f s\n",
              OtherClientWait(port));
  std::printf("server memory: %ld KB at the start, %ld KB now, %ld KB at its peak\n", baseKilobytes,
              StatusKilobytes(pid, "VmRSS"), StatusKilobytes(pid, "VmHWM"));

  const auto stopping = Clock::now();
  kill(pid, SIGTERM);
  while (kill(pid, 0) == 0 && Seconds(stopping) < 60) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::printf("ended %.2f s after SIGTERM, with the subscribers and slow heads attached\n",
              Seconds(stopping));
  stop = true;
  for (std::thread& thread : trickle) thread.join();
  for (std::thread& thread : subscribers) thread.join();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "serve" && argc == 3) return Serve(argv[2]);
  if (mode == "clients" && argc == 4) return Clients(std::stoi(argv[2]), std::stoi(argv[3]));
  std::fprintf(stderr, "usage: share_availability serve FOLDER | clients PORT PID\n");
  return 2;
}
