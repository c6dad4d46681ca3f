#pragma once
// The device flows as velmora-cli runs them: the link engine on one port, the
// device list, the same state machines the window runs, and a tick scheduler
// in real time in place of window timers. Progress goes to stderr when it is
// a terminal; results are the commands' business.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "link/uart.h"
#include "model/device_list.h"
#include "protocol/flows.h"
#include "protocol/tick_scheduler.h"

namespace velmora::cli {

class FlowSession : public protocol::FlowOwner {
 public:
  FlowSession(CUart& uart, ProgramSettings settings);

  // Discovery as the window runs it: ScanBegin twice 500 ms apart, then the
  // scan timer until its countdown runs out. The result goes to stderr.
  // False when the scan could not run (no port, interrupted).
  bool Scan();
  // The device with that address, or null after saying so on stderr.
  DeviceRecord* DeviceAt(long address);

  // Kind 0 or 1 on `device`, until it ends; true when it did not fail.
  bool RunSequence(protocol::SequenceKind kind, DeviceRecord& device);

  // The meter poll; `on_round` is called after every device has a new reading.
  // Runs until `rounds` rounds are done (0: until interrupted).
  void RunMeters(int rounds, const std::function<void(const DeviceList&, const std::vector<bool>& online)>& on_round);

  DeviceList& devices() { return devices_; }
  ProgramSettings& settings() { return settings_; }

  // Set from a signal handler: the running loop ends.
  static std::atomic<bool>& Interrupted();

  // FlowOwner.
  bool IsPortOpen() const override { return uart_.IsOpen(); }
  void OnSequenceProgress(protocol::SequenceKind kind, int done, int total) override;
  void OnMeterReading(const DeviceRecord& record, bool online) override;

 private:
  // Runs the timers until `done` or an interruption or the port's removal.
  bool RunUntil(const std::function<bool()>& done);

  CUart& uart_;
  ProgramSettings settings_;
  DeviceList devices_;
  DeviceRecord placeholder_;
  BandCounts bands_;
  protocol::TickScheduler timers_;
  protocol::Flows flows_;
  bool progress_on_terminal_ = false;
  bool port_lost_ = false;
  std::vector<int> round_seen_;  // per device position: readings since the last round
  std::vector<bool> round_online_;
};

// "1\t01 23 45 67 89 AB CD EF\tDSP-1\t8x8"
std::string DeviceLine(const DeviceRecord& record);

}  // namespace velmora::cli
