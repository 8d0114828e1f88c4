// SPDX-License-Identifier: GPL-3.0-or-later
// A tiny program the tests start as a child process:
//   test_child exit N        exits with code N
//   test_child noise         prints to standard output and error, exits 0
//   test_child hang FIFO     opens FIFO for writing (telling the test it runs), then waits forever
//   test_child signal        ends itself with SIGABRT
//   test_child descriptors FILE   writes the numbers of its open descriptors to FILE
//   test_child environment FILE   writes its environment to FILE, one entry a line
//   test_child family FIFO PIDFILE  starts a grandchild that hangs, writes its
//                            process id to PIDFILE, then opens FIFO and waits
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "noise") == 0) {
    std::printf("noise on standard output\n");
    std::fprintf(stderr, "noise on standard error\n");
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "hang") == 0) {
    const int fd = open(argv[2], O_WRONLY);
    if (fd >= 0) close(fd);
    for (;;) pause();
  }
  if (argc >= 3 && std::strcmp(argv[1], "descriptors") == 0) {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return 1;
    const int own = dirfd(dir);
    std::FILE* out = std::fopen(argv[2], "w");
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own) continue;
      if (out != nullptr && std::atoi(entry->d_name) == fileno(out)) continue;
      if (out != nullptr) std::fprintf(out, "%s\n", entry->d_name);
    }
    closedir(dir);
    return out != nullptr && std::fclose(out) == 0 ? 0 : 1;
  }
  if (argc >= 3 && std::strcmp(argv[1], "environment") == 0) {
    std::FILE* out = std::fopen(argv[2], "w");
    if (out == nullptr) return 1;
    for (char** entry = environ; *entry != nullptr; ++entry) std::fprintf(out, "%s\n", *entry);
    return std::fclose(out) == 0 ? 0 : 1;
  }
  if (argc >= 4 && std::strcmp(argv[1], "family") == 0) {
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      for (;;) pause();
    }
    if (std::FILE* out = std::fopen(argv[3], "w")) {
      std::fprintf(out, "%d\n", static_cast<int>(grandchild));
      std::fclose(out);
    }
    const int fd = open(argv[2], O_WRONLY);
    if (fd >= 0) close(fd);
    for (;;) pause();
  }
  if (argc >= 2 && std::strcmp(argv[1], "signal") == 0) {
    signal(SIGABRT, SIG_DFL);
    raise(SIGABRT);
  }
  return 100;
}
