#include "sim_process.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora::sim::testing {

SimProcess::SimProcess(const std::vector<std::string>& args) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    close(in[0]); close(in[1]); close(out[0]); close(out[1]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  to_child_ = in[1];
  from_child_ = out[0];
  slave_path_ = ReadLine(5000);
}

SimProcess::~SimProcess() { CloseAndWait(); }

int SimProcess::CloseAndWait() {
  if (pid_ <= 0) return -1;
  if (to_child_ >= 0) { close(to_child_); to_child_ = -1; }
  int status = 0;
  // Give it time to notice its input closing; then be firm.
  for (int i = 0; i < 300; ++i) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) { pid_ = -1; break; }
    usleep(10000);
  }
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    status = -1;
  }
  if (from_child_ >= 0) { close(from_child_); from_child_ = -1; }
  return status;
}

std::string SimProcess::ReadLine(int timeout_ms) {
  for (;;) {
    if (const auto nl = buffered_.find('\n'); nl != std::string::npos) {
      std::string line = buffered_.substr(0, nl);
      buffered_.erase(0, nl + 1);
      return line;
    }
    pollfd p{from_child_, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) <= 0) return {};
    char buffer[512];
    const ssize_t got = read(from_child_, buffer, sizeof buffer);
    if (got <= 0) return {};
    buffered_.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string SimProcess::Control(const std::string& command) {
  const std::string line = command + "\n";
  if (write(to_child_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return {};
  return ReadLine(5000);
}

}  // namespace velmora::sim::testing
