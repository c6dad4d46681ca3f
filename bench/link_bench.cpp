// velmora-bench-link: timed scenarios of the link engine over a pseudo-terminal.
//   1. one transaction against a device that answers at once, per reply-wait class;
//   2. a 300,000-byte YMODEM upload into lrzsz's rb.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "link/uart.h"
#include "platform/serial/serial_port.h"

namespace {

using namespace velmora;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Pty {
  int master = -1;
  std::string slave;
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) || unlockpt(master)) {
      std::perror("posix_openpt");
      std::exit(1);
    }
    slave = ptsname(master);
  }
  ~Pty() { ::close(master); }
};

// Answers every request frame at once with a reply of the same address and opcode.
class PromptDevice {
 public:
  explicit PromptDevice(int master) : master_(master), thread_([this] { Run(); }) {}
  // When the last request arrived, as seen by the device.
  Clock::time_point last_request() const { return Clock::time_point(Clock::duration(last_request_.load())); }
  ~PromptDevice() {
    running_ = false;
    thread_.join();
  }

 private:
  void Run() {
    Bytes pending;
    std::uint8_t buffer[512];
    while (running_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 5) <= 0) continue;
      if (!(p.revents & POLLIN)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) continue;
      pending.insert(pending.end(), buffer, buffer + n);
      while (pending.size() >= 2 && pending[1] <= pending.size()) {
        if (pending[0] != kFrameHeader || pending[1] < kMinFrameLength) {
          pending.erase(pending.begin());
          continue;
        }
        const Bytes reply = CommandFrame(FrameClass::kReply, pending[kOffAddress], pending[kOffOpcode])
                                .Raw(Bytes{1, 2, 3, 4})
                                .Finish();
        pending.erase(pending.begin(), pending.begin() + pending[1]);
        last_request_ = Clock::now().time_since_epoch().count();
        if (::write(master_, reply.data(), reply.size()) < 0) return;
      }
    }
  }
  int master_;
  std::atomic<Clock::rep> last_request_{0};
  std::atomic<bool> running_{true};
  std::thread thread_;
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void BenchTransactions() {
  Pty pty;
  PromptDevice device(pty.master);
  CUart uart(std::make_unique<CSerialPort>());
  if (!uart.Open(pty.slave, 115200)) {
    std::fprintf(stderr, "cannot open %s\n", pty.slave.c_str());
    return;
  }
  std::printf("one transaction, device answering at once, 20 runs each\n"
              "  (line: request on the wire to reply on the ReplyQueue; queued: Enqueue to reply,\n"
              "   which adds the wait for the send loop's next cycle)\n");
  struct Kind { std::uint8_t opcode; int expected_ms; };
  for (const Kind kind : {Kind{0xD0, CUart::kReplyWaitMs}, Kind{0x81, CUart::kReplyWaitLongMs},
                          Kind{0xD6, CUart::kReplyWaitShortMs}}) {
    std::vector<double> line, queued;
    for (int i = 0; i < 20; ++i) {
      const Bytes frame = CommandFrame(FrameClass::kRequest, 1, kind.opcode).Byte(static_cast<std::uint8_t>(i)).Finish();
      const auto start = Clock::now();
      uart.Enqueue(frame);
      std::optional<Bytes> reply;
      // PopReply waits for a running transaction, so it returns the moment it ends.
      while (!(reply = uart.PopReply())) std::this_thread::sleep_for(std::chrono::microseconds(200));
      const auto end = Clock::now();
      queued.push_back(Ms(end - start));
      line.push_back(Ms(end - device.last_request()));
    }
    std::sort(line.begin(), line.end());
    std::sort(queued.begin(), queued.end());
    std::printf("  opcode 0x%02X (wait %3d ms): line min %6.1f median %6.1f max %6.1f ms;"
                " queued median %6.1f ms\n",
                kind.opcode, kind.expected_ms, line.front(), line[line.size() / 2], line.back(),
                queued[queued.size() / 2]);
  }
}

void BenchUpload() {
  const fs::path dir = fs::temp_directory_path() / ("velmora-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir / "out");
  const std::size_t size = 300000;
  {
    std::ofstream out(dir / "image.bin", std::ios::binary);
    for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>(i * 31));
  }
  Pty pty;
  CUart uart(std::make_unique<CSerialPort>());
  if (!uart.Open(pty.slave, 115200)) return;

  const pid_t rb = ::fork();
  if (rb == 0) {
    if (::chdir((dir / "out").c_str()) != 0) ::_exit(126);
    ::dup2(pty.master, 0);
    ::dup2(pty.master, 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    ::execlp("rb", "rb", "--ymodem", "-b", "-y", "-q", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  const auto start = Clock::now();
  uart.StartUpload((dir / "image.bin").string(), 1, UploadKind::kFirmware);
  // Progress as the window reads it; the first data block marks the end of the
  // hand-shake (mode command, 200 ms settle, 'C', block 0).
  Clock::time_point first_block{};
  while (uart.IsUploading()) {
    if (first_block == Clock::time_point{} && uart.UploadPercent() > 0) first_block = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const auto end = Clock::now();
  const double ms = Ms(end - start);
  const double data_ms = Ms(end - first_block);
  ::kill(rb, SIGTERM);
  ::waitpid(rb, nullptr, 0);
  const bool same = fs::exists(dir / "out" / "image.bin") && fs::file_size(dir / "out" / "image.bin") == size;
  std::printf("upload of %zu bytes into rb over a pty: result %d, %s\n"
              "  total %.0f ms (%.1f KiB/s); hand-shake %.0f ms; data blocks %.1f KiB/s, %.1f ms per block\n",
              size, uart.upload_result(), same ? "arrived whole" : "NOT ARRIVED", ms,
              size / 1024.0 / (ms / 1000.0), ms - data_ms, size / 1024.0 / (data_ms / 1000.0),
              data_ms / 292.0);
  fs::remove_all(dir);
}

}  // namespace

int main() {
  BenchTransactions();
  BenchUpload();
  return 0;
}
