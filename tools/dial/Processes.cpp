#include "Processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

extern char** environ;

namespace vv {
namespace {

constexpr int kNotStarted = 127;

// Owns one file descriptor.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    reset(other.release());
    return *this;
  }
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = fd;
  }

 private:
  int fd_;
};

struct Pipe {
  Fd read;
  Fd write;
};

std::optional<Pipe> makePipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    return std::nullopt;
  }
  return Pipe{Fd(ends[0]), Fd(ends[1])};
}

class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  void dup(int from, int to) { posix_spawn_file_actions_adddup2(&actions_, from, to); }
  void devNull(int to) {
    posix_spawn_file_actions_addopen(&actions_, to, "/dev/null", to == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

std::optional<pid_t> spawn(const std::vector<std::string>& command, const FileActions& actions) {
  if (command.empty()) {
    return std::nullopt;
  }
  std::vector<char*> argv;
  for (const std::string& argument : command) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), environ) != 0) {
    return std::nullopt;
  }
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      return kNotStarted;
    }
  }
  if (WIFSIGNALED(status)) {
    return 128 + WTERMSIG(status);
  }
  return WEXITSTATUS(status);
}

void writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

Finished runCapturingOutput(const std::vector<std::string>& command) {
  std::optional<Pipe> output = makePipe();
  if (!output) {
    return Finished{kNotStarted, {}};
  }
  FileActions actions;
  actions.dup(output->write.get(), STDOUT_FILENO);
  const std::optional<pid_t> pid = spawn(command, actions);
  output->write.reset();
  if (!pid) {
    return Finished{kNotStarted, {}};
  }
  Finished finished;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(output->read.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    finished.output.append(buffer, static_cast<std::size_t>(got));
  }
  finished.status = waitFor(*pid);
  return finished;
}

Finished runQuietly(const std::vector<std::string>& command, std::string_view input) {
  std::optional<Pipe> feed = makePipe();
  if (!feed) {
    return Finished{kNotStarted, {}};
  }
  FileActions actions;
  actions.dup(feed->read.get(), STDIN_FILENO);
  actions.devNull(STDOUT_FILENO);
  actions.devNull(STDERR_FILENO);
  const std::optional<pid_t> pid = spawn(command, actions);
  feed->read.reset();
  if (!pid) {
    return Finished{kNotStarted, {}};
  }
  writeAll(feed->write.get(), input);
  feed->write.reset();
  return Finished{waitFor(*pid), {}};
}

}  // namespace vv
