#pragma once
// A scripted host that scans a line the way the console does, for the
// emulator's tests and its benchmark. It replays the console's timing: the
// send loop's transaction (write, sleep 100 ms, read, one retry after 25 ms,
// the made-up ScanCollision replies, 50/100 ms between cycles, the queue lock
// held for the whole transaction) and the scan step every 200 ms (ScanBegin
// twice 500 ms apart, ScanQuery, re-broadcast ScanCollision at most twice
// per identity, AssignAddress with one repeat, a 1.2 s silence before a new
// query, a 5 s countdown). It is a model of the host, written for testing
// the devices; it is not the console's code.
//
// Runs over a HostWire: virtual time on a Line in-process, or real time on
// a pseudo-terminal.

#include <memory>
#include <string>
#include <vector>

#include "link/frame.h"
#include "sim/line.h"

namespace velmora::sim::testing {

class HostWire {
 public:
  virtual ~HostWire() = default;
  virtual Micros Now() = 0;
  virtual void SleepUntil(Micros t) = 0;
  virtual void Write(ByteView bytes) = 0;
  // What has arrived, at most `limit` bytes; the rest stays for later.
  virtual Bytes Read(std::size_t limit) = 0;
};

// The line in-process, in virtual time: sleeping advances the clock.
class VirtualWire : public HostWire {
 public:
  explicit VirtualWire(Line& line) : line_(line) {}
  Micros Now() override { return now_; }
  void SleepUntil(Micros t) override;
  void Write(ByteView bytes) override { line_.Receive(bytes, now_); }
  Bytes Read(std::size_t limit) override;

 private:
  Line& line_;
  Micros now_ = 0;
  Bytes arrived_;
};

// A terminal opened by path (the emulator's slave), in real time.
class PtyWire : public HostWire {
 public:
  explicit PtyWire(const std::string& path);
  ~PtyWire() override;
  bool ok() const { return fd_ >= 0; }
  Micros Now() override;
  void SleepUntil(Micros t) override;
  void Write(ByteView bytes) override;
  Bytes Read(std::size_t limit) override;
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

struct FoundDevice {
  int address = 0;
  ChipId chip_id{};
  std::string name;
  int inputs = 0;
  int outputs = 0;
  Micros found_at = 0;  // since the scan started
};

struct ScanResult {
  std::vector<FoundDevice> devices;
  Micros duration = 0;  // start of the scan to its end (or to the last device when stopping early)
};

struct ScanOptions {
  Micros scan_time = 5000 * kMillis;  // the console's default
  int stop_after = 0;                 // > 0: stop as soon as this many devices are addressed
};

ScanResult RunConsoleScan(HostWire& wire, ScanOptions options);

// One request/reply transaction as the link engine does it (write, wait,
// read, retry once); the reply if one matched.
std::optional<Bytes> Transact(HostWire& wire, const Bytes& request);

}  // namespace velmora::sim::testing
