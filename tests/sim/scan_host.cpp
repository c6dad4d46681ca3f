#include "scan_host.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace velmora::sim::testing {

namespace {
constexpr std::uint8_t kScan = 0xF2, kRequest = 0xF7;
constexpr std::uint8_t kScanBegin = 0xEF, kScanQuery = 0xE1, kScanIdentity = 0xE2,
                       kScanCollision = 0xE3, kAssignAddress = 0xE4, kAddressAssigned = 0xE5;
constexpr Micros kTick = 200 * kMillis;

Bytes ScanFrame(std::uint8_t opcode) { return CommandFrame(FrameClass::kScan, 0, opcode).Finish(); }

Micros ReplyWait(const Bytes& q) {
  const std::uint8_t opcode = q[kOffOpcode];
  if (opcode == 0x81 || opcode == 0xA1) return 120 * kMillis;
  if (opcode == 0xD6) return 60 * kMillis;
  return 100 * kMillis;
}
}  // namespace

void VirtualWire::SleepUntil(Micros t) {
  while (auto next = line_.NextDeadline()) {
    if (*next > t) break;
    now_ = std::max(now_, *next);
    const Bytes out = line_.Transmit(now_);
    arrived_.insert(arrived_.end(), out.begin(), out.end());
  }
  now_ = std::max(now_, t);
  const Bytes out = line_.Transmit(now_);
  arrived_.insert(arrived_.end(), out.begin(), out.end());
}

Bytes VirtualWire::Read(std::size_t limit) {
  SleepUntil(now_);
  const std::size_t n = std::min(limit, arrived_.size());
  Bytes read(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(n));
  arrived_.erase(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(n));
  return read;
}

PtyWire::PtyWire(const std::string& path) {
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return;
  termios tio{};
  tcgetattr(fd_, &tio);
  cfmakeraw(&tio);
  tcsetattr(fd_, TCSANOW, &tio);
  tcflush(fd_, TCIOFLUSH);
}

PtyWire::~PtyWire() {
  if (fd_ >= 0) close(fd_);
}

Micros PtyWire::Now() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch()).count();
}

void PtyWire::SleepUntil(Micros t) {
  const Micros wait = t - Now();
  if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
}

void PtyWire::Write(ByteView bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd_, bytes.data() + done, bytes.size() - done);
    if (put > 0) done += static_cast<std::size_t>(put);
    else std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

Bytes PtyWire::Read(std::size_t limit) {
  Bytes read(limit);
  const ssize_t got = ::read(fd_, read.data(), limit);
  read.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return read;
}

namespace {

// The send loop: one transaction per cycle, replies onto the reply queue.
class SendLoop {
 public:
  explicit SendLoop(HostWire& wire) : wire_(wire) {}

  std::deque<Bytes> send_queue;
  std::deque<Bytes> reply_queue;

  Micros wake() const { return wake_; }
  bool lock_held() const { return phase_ != Phase::kIdle; }

  void Enqueue(const Bytes& frame) {
    if (std::find(send_queue.begin(), send_queue.end(), frame) == send_queue.end()) send_queue.push_back(frame);
  }

  void Step(Micros now) {
    switch (phase_) {
      case Phase::kIdle:
        if (send_queue.empty()) {
          wake_ = now + 100 * kMillis;
          return;
        }
        current_ = send_queue.front();
        send_queue.pop_front();
        attempts_ = 2;
        Attempt(now);
        return;
      case Phase::kWaiting: Evaluate(now); return;
      case Phase::kRetry: Attempt(now); return;
    }
  }

 private:
  enum class Phase { kIdle, kWaiting, kRetry };

  void Attempt(Micros now) {
    wire_.Write(current_);
    const std::uint8_t cls = current_[kOffClass];
    if ((cls != kRequest && cls != kScan) || current_[kOffOpcode] == 0x70) {
      phase_ = Phase::kIdle;
      wake_ = now + 50 * kMillis;
      return;
    }
    phase_ = Phase::kWaiting;
    wake_ = now + ReplyWait(current_);
  }

  void Evaluate(Micros now) {
    const Bytes read = wire_.Read(kMaxReplyRead);
    const bool is_query = current_[kOffClass] == kScan && current_[kOffOpcode] == kScanQuery;
    if (read.size() >= kMinFrameLength) {
      if (auto reply = ExtractReply(read); reply && ReplyMatches(current_, *reply)) {
        reply_queue.push_back(*reply);
        Done(now);
        return;
      }
    }
    if (!read.empty() && is_query) reply_queue.push_back(MakeScanCollisionReply());
    if (--attempts_ > 0) {
      phase_ = Phase::kRetry;
      wake_ = now + 25 * kMillis;
      return;
    }
    if (current_[kOffOpcode] == 0xD0) reply_queue.push_back(MakeNoAnswerStatusReply(current_[kOffAddress]));
    Done(now);
  }

  void Done(Micros now) {
    phase_ = Phase::kIdle;
    wake_ = now + 50 * kMillis;
  }

  HostWire& wire_;
  Phase phase_ = Phase::kIdle;
  Micros wake_ = 0;
  Bytes current_;
  int attempts_ = 0;
};

// The scan steps on the user-interface thread's 200 ms timer.
class ScanSteps {
 public:
  ScanSteps(SendLoop& link, ScanOptions options, Micros start)
      : link_(link), options_(options), start_(start), countdown_(options.scan_time) {}

  // False once the countdown has run out.
  bool Tick(Micros now) {
    if (countdown_ < 1) return false;
    countdown_ -= kTick;
    switch (step_) {
      case 0:
        link_.Enqueue(ScanFrame(kScanQuery));
        step_ = 1;
        wait_ = 0;
        break;
      case 1: StepIdentity(); break;
      case 2: StepConfirmation(now); break;
    }
    return true;
  }
  const std::vector<FoundDevice>& found() const { return found_; }

 private:
  std::optional<Bytes> Pop() {
    if (link_.reply_queue.empty()) return std::nullopt;
    Bytes reply = link_.reply_queue.front();
    link_.reply_queue.pop_front();
    return reply;
  }

  Bytes Assign() const {
    CommandFrame f(FrameClass::kScan, 0, kAssignAddress);
    f.Byte(static_cast<std::uint8_t>(found_.size() + 1)).Raw(pending_);
    return f.Finish();
  }

  void StepIdentity() {
    const auto reply = Pop();
    if (!reply) {
      wait_ += kTick;
      if (wait_ > 1000 * kMillis) { step_ = 0; wait_ = 0; }
      return;
    }
    if (reply->size() == 14 && (*reply)[kOffOpcode] == kScanIdentity) {
      std::copy(reply->begin() + 5, reply->begin() + 13, pending_.begin());
      link_.Enqueue(Assign());
      step_ = 2;
      collisions_ = 0;
      resent_ = false;
    } else if (reply->size() == 6 && (*reply)[kOffOpcode] == kScanCollision) {
      if (++collisions_ > 2) {
        step_ = 0;
      } else {
        link_.Enqueue(ScanFrame(kScanCollision));
        wait_ = 0;
      }
    }
  }

  void StepConfirmation(Micros now) {
    const auto reply = Pop();
    if (reply && reply->size() == 29 && (*reply)[kOffOpcode] == kAddressAssigned &&
        (*reply)[5] == found_.size() + 1) {
      FoundDevice d;
      d.address = static_cast<int>(found_.size() + 1);
      d.chip_id = pending_;
      d.name = NameFromField(ByteView(reply->data() + 6, 20));
      d.inputs = (*reply)[26];
      d.outputs = (*reply)[27];
      d.found_at = now - start_;
      found_.push_back(d);
      step_ = 0;
    } else if (!reply) {
      if (resent_) step_ = 0;
      else { resent_ = true; link_.Enqueue(Assign()); }
    }
    wait_ = 0;
  }

  SendLoop& link_;
  ScanOptions options_;
  Micros start_;
  Micros countdown_;
  int step_ = 0;
  Micros wait_ = 0;
  int collisions_ = 0;
  bool resent_ = false;
  ChipId pending_{};
  std::vector<FoundDevice> found_;
};

}  // namespace

ScanResult RunConsoleScan(HostWire& wire, ScanOptions options) {
  SendLoop link(wire);
  const Micros start = wire.Now();

  // The user-interface thread's script: ScanBegin, 500 ms, ScanBegin, 500 ms,
  // then the 200 ms timer. Its work waits while the send loop holds the lock.
  struct UiEvent { Micros at; int kind; };  // 0, 1: ScanBegin; 2: timer tick
  UiEvent next{start, 0};
  ScanSteps steps(link, options, start);
  ScanResult result;
  link.Step(start);

  for (;;) {
    // Run the send loop until the user-interface event is due and the lock is free.
    while (link.wake() <= next.at || link.lock_held()) {
      wire.SleepUntil(link.wake());
      link.Step(link.wake());
    }
    wire.SleepUntil(next.at);
    const Micros now = std::max(next.at, wire.Now());
    if (next.kind < 2) {
      link.Enqueue(ScanFrame(kScanBegin));
      next = next.kind == 0 ? UiEvent{now + 500 * kMillis, 1} : UiEvent{now + 500 * kMillis + kTick, 2};
      continue;
    }
    const bool running = steps.Tick(now);
    const auto& found = steps.found();
    if (!running || (options.stop_after > 0 && static_cast<int>(found.size()) >= options.stop_after)) {
      result.devices = found;
      result.duration = (options.stop_after > 0 && !found.empty() &&
                         static_cast<int>(found.size()) >= options.stop_after)
                            ? found.back().found_at
                            : now - start;
      return result;
    }
    next = UiEvent{next.at + kTick, 2};
  }
}

std::optional<Bytes> Transact(HostWire& wire, const Bytes& request) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    wire.Write(request);
    wire.SleepUntil(wire.Now() + ReplyWait(request));
    const Bytes read = wire.Read(kMaxReplyRead);
    if (auto reply = ExtractReply(read); reply && ReplyMatches(request, *reply)) return reply;
    wire.SleepUntil(wire.Now() + 25 * kMillis);
  }
  return std::nullopt;
}

}  // namespace velmora::sim::testing
