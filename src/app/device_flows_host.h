#pragma once
// The device flows run by the main window: the protocol's machines (scan,
// transfer sequence, meter poll, deferred writes) over the window's link
// engine, device list and settings, with the window's own timers under them.
// What the machines report goes back to the window, which shows it.
//
// User-interface thread only: the timers fire there and the machines talk to
// the link engine only through its queues.

#include <cstdint>

#include "protocol/flows.h"

namespace velmora {

class MainWindow;

class DeviceFlowsHost final : public protocol::TimerHost, public protocol::FlowOwner {
 public:
  explicit DeviceFlowsHost(MainWindow& window);

  // A fired window timer; false when no handler takes its code (134, unknown).
  bool OnTimer(std::uint32_t id) { return flows_.OnTimer(id); }
  void AbortScan() { flows_.scan().Abort(); }
  protocol::TimerCodeTable& timer_table() { return flows_.timer_table(); }
  protocol::Flows& flows() { return flows_; }

  // TimerHost: the window's timers.
  void SetTimer(std::uint32_t id, int ms) override;
  void KillTimer(std::uint32_t id) override;

  // FlowOwner.
  bool IsPortOpen() const override;
  void OnDeviceFound(const DeviceRecord& record) override;
  void OnScanFinished(std::size_t devices_found) override;
  void OnSequenceEnded(protocol::SequenceKind kind, bool failed) override;
  void OnMeterReading(const DeviceRecord& record, bool online) override;

 private:
  MainWindow& window_;
  protocol::Flows flows_;
};

}  // namespace velmora
