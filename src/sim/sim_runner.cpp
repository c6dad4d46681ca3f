#include "sim/sim_runner.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/control_commands.h"
#include "sim/upload_store.h"

namespace velmora::sim {

SimRunner::SimRunner(SimConfig config)
    : config_(std::move(config)), epoch_(std::chrono::steady_clock::now()) {}

SimRunner::~SimRunner() {
  if (link_made_) unlink(config_.link_path.c_str());
}

Micros SimRunner::Now() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - epoch_).count();
}

Result<bool> SimRunner::Start() {
  using R = Result<bool>;
  if (!config_.log_path.empty() && !log_.Open(config_.log_path))
    return R::Fail("cannot open the log " + config_.log_path + ": " + std::strerror(errno));
  line_ = std::make_unique<Line>(config_.devices, config_.line, &log_);
  for (const std::string& fault : config_.startup_faults) {
    const ControlReply reply = ExecuteControl(*line_, fault);
    if (!reply.ok) return R::Fail("--fault \"" + fault + "\": " + reply.text);
  }
  line_->set_upload_sink([this](const Device& d, const ReceivedUpload& upload, Micros now) {
    if (!upload.complete) return;
    const std::string who = std::to_string(d.number());
    if (config_.store_dir.empty()) {
      log_.Note(now, who, "no --store folder: upload discarded");
      return;
    }
    const auto stored = StoreUpload(config_.store_dir, upload);
    log_.Note(now, who, stored ? "stored " + *stored.value : "not stored: " + stored.error);
    if (!stored) std::fprintf(stderr, "velmora-sim: device %s: %s\n", who.c_str(), stored.error.c_str());
  });

  auto pty = PseudoTerminal::Open();
  if (!pty) return R::Fail(pty.error);
  pty_.emplace(std::move(*pty.value));

  if (!config_.link_path.empty()) {
    // Replace a stale link from an earlier run, never a real file.
    struct stat st{};
    if (lstat(config_.link_path.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) return R::Fail(config_.link_path + " exists and is not a symbolic link");
      unlink(config_.link_path.c_str());
    }
    if (symlink(pty_->slave_path().c_str(), config_.link_path.c_str()) != 0)
      return R::Fail("cannot link " + config_.link_path + ": " + std::strerror(errno));
    link_made_ = true;
  }
  if (config_.stdin_control) control_.UseStdin();
  if (!config_.control_path.empty()) {
    if (auto listening = control_.Listen(config_.control_path); !listening) return R::Fail(listening.error);
  }
  log_.Note(Now(), "-", "line up on " + pty_->slave_path() + " with " + std::to_string(line_->device_count()) + " device(s)");
  return R::Ok(true);
}

std::string SimRunner::Control(const std::string& command) {
  const ControlReply reply = ExecuteControl(*line_, command);
  if (!reply.text.empty() || !reply.ok) log_.Note(Now(), "-", "control: " + command + " -> " + (reply.ok ? "ok" : reply.text));
  if (reply.quit) quit_ = true;
  if (!reply.ok) return "error: " + reply.text;
  return reply.text;
}

int SimRunner::Run(int stop_fd) {
  std::vector<pollfd> fds;
  while (!quit_ && !control_.stdin_closed()) {
    fds.clear();
    fds.push_back({pty_->master_fd(), POLLIN, 0});
    if (stop_fd >= 0) fds.push_back({stop_fd, POLLIN, 0});
    control_.AddPollFds(fds);

    int timeout_ms = 1000;
    if (const auto deadline = line_->NextDeadline()) {
      const Micros wait = *deadline - Now();
      // Round up, so we never wake just before the deadline and spin.
      timeout_ms = wait <= 0 ? 0 : static_cast<int>(std::min<Micros>((wait + 999) / 1000, 1000));
    }
    if (poll(fds.data(), fds.size(), timeout_ms) < 0 && errno != EINTR) {
      std::fprintf(stderr, "velmora-sim: poll: %s\n", std::strerror(errno));
      return 1;
    }
    if (stop_fd >= 0 && (fds[1].revents & POLLIN)) break;

    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      if (auto bytes = pty_->Read(); bytes && !bytes->empty()) line_->Receive(*bytes, Now());
    }
    control_.Service(fds, [this](const std::string& command) { return Control(command); });

    const Bytes out = line_->Transmit(Now());
    if (!out.empty() && !pty_->Write(out))
      log_.Note(Now(), "-", "the host is not reading; " + std::to_string(out.size()) + " bytes lost");
  }
  log_.Note(Now(), "-", "line down");
  return 0;
}

}  // namespace velmora::sim
