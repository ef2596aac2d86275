#include "platform/FdStatusOutput.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

namespace vv {
namespace {

TEST(FdStatusOutput, WritesEveryByteEvenWhenTheReaderIsSlow) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  // A line larger than the pipe's buffer forces short writes while the reader drains it.
  const std::string line(200000, 'x');
  std::string received;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    FdStatusOutput(fds[1]).write(line);
    _exit(0);
  }
  close(fds[1]);
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
    received.append(buffer, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(received.size(), line.size());
}

TEST(FdStatusOutput, AClosedReaderIsNotACrash) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
  FdStatusOutput(fds[1]).write("{\"status\":\"cancelled\"}");
  std::signal(SIGPIPE, previous);
  close(fds[1]);
  SUCCEED();
}

}  // namespace
}  // namespace vv
