#include "live_line.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/serial/serial_port.h"

namespace velmora::testing {

EmulatedLine::EmulatedLine(std::vector<sim::DeviceSetup> devices) {
  char dir[] = "/tmp/velmora-flows-XXXXXX";
  control_path_ = std::string(mkdtemp(dir)) + "/control";
  sim::SimConfig config;
  config.devices = std::move(devices);
  config.control_path = control_path_;
  runner_ = std::make_unique<sim::SimRunner>(std::move(config));
  if (auto started = runner_->Start(); !started) {
    std::fprintf(stderr, "emulator: %s\n", started.error.c_str());
    std::abort();
  }
  if (pipe2(stop_pipe_, O_CLOEXEC) != 0) std::abort();
}

EmulatedLine::~EmulatedLine() {
  Stop();
  runner_.reset();
  close(stop_pipe_[0]);
  close(stop_pipe_[1]);
  rmdir(control_path_.substr(0, control_path_.rfind('/')).c_str());
}

void EmulatedLine::Run() {
  thread_ = std::thread([this] { runner_->Run(stop_pipe_[0]); });
}

void EmulatedLine::Stop() {
  if (!thread_.joinable()) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(stop_pipe_[1], &byte, 1);
  thread_.join();
}

std::string EmulatedLine::Control(const std::string& command) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", control_path_.c_str());
  std::string reply;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string line = command + "\n";
    [[maybe_unused]] const ssize_t n = write(fd, line.data(), line.size());
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') reply += c;
  }
  close(fd);
  return reply;
}

sim::DeviceSetup LineDevice(const std::string& name, std::uint8_t chip_tag, int inputs, int outputs) {
  sim::DeviceSetup device;
  device.name = name;
  device.chip_id = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, chip_tag};
  device.inputs = inputs;
  device.outputs = outputs;
  device.latency = 1 * sim::kMillis;
  return device;
}

LiveConsole::LiveConsole(const std::string& tty)
    : uart(std::make_unique<CSerialPort>()),
      timers([this](std::uint32_t id) { flows.OnTimer(id); }),
      flows(protocol::FlowContext{uart, devices, placeholder, settings, bands, timers, *this}) {
  if (!uart.Open(tty, 115200)) std::abort();
}

bool LiveConsole::RunUntil(const std::function<bool()>& done, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  timers.RunRealTime([&] { return done() || std::chrono::steady_clock::now() > deadline; });
  return done();
}

void LiveConsole::OnDeviceFound(const DeviceRecord&) {
  found_after_s.push_back(
      std::chrono::duration<double>(std::chrono::steady_clock::now() - scan_started).count());
}

void LiveConsole::Scan(std::uint32_t scan_time_ms) {
  settings.config_scan_time = scan_time_ms;
  scan_started = std::chrono::steady_clock::now();
  found_after_s.clear();
  protocol::ScanMachine& scan = flows.scan();
  flows.meters().Stop();
  scan.BeginNewScan();
  for (int i = 0; i < 2; ++i) {
    scan.SendScanBegin();
    std::this_thread::sleep_for(std::chrono::milliseconds(protocol::ScanMachine::kScanBeginPauseMs));
  }
  scan.Start();
  RunUntil([&] { return scan.finished(); }, static_cast<int>(scan_time_ms) + 5000);
}

bool LiveConsole::RunSequence(protocol::SequenceKind kind, DeviceRecord& device) {
  protocol::TransferSequence& sequence = flows.sequence();
  sequence.Start(kind == protocol::SequenceKind::kWriteAll ? protocol::kWriteAllPreDelayMs
                                                           : protocol::kSyncPreDelayMs,
                 kind, device);
  const bool ended = RunUntil([&] { return sequence.done(); }, 120000);
  flows.meters().Stop();
  return ended && !sequence.failed();
}

}  // namespace velmora::testing
