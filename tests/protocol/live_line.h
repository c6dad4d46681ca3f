#pragma once
// The device flows on a real line: velmora-sim's runner on a pseudo-terminal
// in a thread of its own, and the console's link engine (CUart over
// CSerialPort, with its threads) driven by the flows from a real-time tick
// scheduler on the test's thread.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/uart.h"
#include "protocol/flows.h"
#include "protocol/tick_scheduler.h"
#include "sim/sim_runner.h"

namespace velmora::testing {

// The emulator, running until destroyed. Its line may be read or changed
// only before Run() and after Stop().
class EmulatedLine {
 public:
  explicit EmulatedLine(std::vector<sim::DeviceSetup> devices);
  ~EmulatedLine();

  sim::Line& line() { return runner_->line(); }
  const std::string& tty() const { return runner_->slave_path(); }
  void Run();
  void Stop();
  // A control command ("unplug 2"); returns the reply line.
  std::string Control(const std::string& command);

 private:
  std::string control_path_;
  std::unique_ptr<sim::SimRunner> runner_;
  int stop_pipe_[2] = {-1, -1};
  std::thread thread_;
};

sim::DeviceSetup LineDevice(const std::string& name, std::uint8_t chip_tag, int inputs, int outputs);

class LiveConsole : public protocol::FlowOwner {
 public:
  explicit LiveConsole(const std::string& tty);

  // ScanBegin twice, 500 ms apart, then the scan until its countdown ends.
  void Scan(std::uint32_t scan_time_ms);
  // Kind 0 or 1 until the sequence ends; true when it did not fail.
  bool RunSequence(protocol::SequenceKind kind, DeviceRecord& device);
  // Runs the timers until `done` or the time-out; the result of `done`.
  bool RunUntil(const std::function<bool()>& done, int timeout_ms);

  bool IsPortOpen() const override { return uart.IsOpen(); }
  void OnDeviceFound(const DeviceRecord&) override;
  void OnMeterReading(const DeviceRecord& r, bool online) override {
    readings.emplace_back(r.address, online);
  }

  CUart uart;
  DeviceList devices;
  DeviceRecord placeholder = MakePlaceholderRecord();
  ProgramSettings settings;
  BandCounts bands;
  protocol::TickScheduler timers;
  protocol::Flows flows;
  std::vector<std::pair<std::uint32_t, bool>> readings;
  std::chrono::steady_clock::time_point scan_started;
  std::vector<double> found_after_s;  // since the scan started (ScanBegin included)
};

}  // namespace velmora::testing
