#include "sim/control_channel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace velmora::sim {

namespace {
void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;  // the other end went away; nothing more to tell it
    done += static_cast<std::size_t>(put);
  }
}
}  // namespace

ControlChannel::~ControlChannel() {
  for (const Client& c : clients_) close(c.fd);
  if (listen_fd_ >= 0) {
    close(listen_fd_);
    unlink(socket_path_.c_str());
  }
}

Result<bool> ControlChannel::Listen(const std::string& path) {
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) return Result<bool>::Fail("socket path too long: " + path);
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return Result<bool>::Fail(std::string("socket: ") + std::strerror(errno));
  unlink(path.c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0) {
    const std::string why = std::strerror(errno);
    close(fd);
    return Result<bool>::Fail("cannot listen on " + path + ": " + why);
  }
  listen_fd_ = fd;
  socket_path_ = path;
  return Result<bool>::Ok(true);
}

void ControlChannel::AddPollFds(std::vector<pollfd>& fds) const {
  if (stdin_open_) fds.push_back({STDIN_FILENO, POLLIN, 0});
  if (listen_fd_ >= 0) fds.push_back({listen_fd_, POLLIN, 0});
  for (const Client& c : clients_) fds.push_back({c.fd, POLLIN, 0});
}

bool ControlChannel::Drain(int fd, std::string& pending, const Handler& handler, int reply_fd) {
  char buffer[1024];
  const ssize_t got = read(fd, buffer, sizeof buffer);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (got <= 0) return false;
  pending.append(buffer, static_cast<std::size_t>(got));
  for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
    const std::string line = pending.substr(0, nl);
    pending.erase(0, nl + 1);
    std::string reply = handler(line);
    if (!reply.empty() && reply.back() != '\n') reply += '\n';
    WriteAll(reply_fd, reply);
  }
  if (pending.size() > 4096) pending.clear();  // not a command anyone meant
  return true;
}

void ControlChannel::Service(const std::vector<pollfd>& fds, const Handler& handler) {
  auto ready = [&](int fd) {
    for (const pollfd& p : fds)
      if (p.fd == fd) return (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    return false;
  };
  if (stdin_open_ && ready(STDIN_FILENO)) {
    stdin_used_ = true;
    if (!Drain(STDIN_FILENO, stdin_pending_, handler, STDOUT_FILENO)) stdin_open_ = false;
  }
  for (std::size_t i = 0; i < clients_.size();) {
    if (ready(clients_[i].fd) && !Drain(clients_[i].fd, clients_[i].pending, handler, clients_[i].fd)) {
      close(clients_[i].fd);
      clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    ++i;
  }
  if (listen_fd_ >= 0 && ready(listen_fd_)) {
    const int client = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) clients_.push_back({client, {}});
  }
}

}  // namespace velmora::sim
