// A tiny program the tests start as a child process:
//   test_child exit N        exits with code N
//   test_child noise         prints to standard output and error, exits 0
//   test_child hang FIFO     opens FIFO for writing (telling the test it runs), then waits forever
//   test_child signal        ends itself with SIGABRT
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
  if (argc >= 2 && std::strcmp(argv[1], "signal") == 0) {
    signal(SIGABRT, SIG_DFL);
    raise(SIGABRT);
  }
  return 100;
}
