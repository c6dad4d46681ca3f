#pragma once
// Discovery: hands out addresses 1, 2, 3... one device at a time, for a fixed
// time, on a 200 ms timer (code 140).
//
//   step 0  queue ScanQuery
//   step 1  wait for an identity: ScanIdentity -> AssignAddress (step 2);
//           a ScanCollision -> re-broadcast it, at most twice per identity,
//           then query again; 1.2 s of silence -> query again
//   step 2  wait for AddressAssigned with the next address: a record is
//           appended; silence -> AssignAddress once more, then query again
//
// How the owner runs a scan (the window's StartScan):
//   1. BeginNewScan(): the meter poll stops and the list is emptied (the
//      owner drops its per-device state and tree nodes first);
//   2. no port open: tell the user and stop;
//   3. SendScanBegin(), wait 500 ms, SendScanBegin(), wait 500 ms (the waits
//      are the owner's: the window sleeps, the CLI runs its loop);
//   4. Start(): arms the scan timer; the owner waits until finished() (the
//      wait dialog closes on it) and then starts the meter poll if devices
//      were found.

#include <cstdint>

#include "protocol/flow_owner.h"

namespace velmora::protocol {

class ScanMachine {
 public:
  static constexpr int kTickMs = 200;
  static constexpr int kSilenceLimitMs = 1000;  // exceeded after six empty ticks
  static constexpr int kMaxCollisions = 2;      // re-broadcasts per identity
  static constexpr int kScanBeginPauseMs = 500; // the owner's wait after each ScanBegin

  explicit ScanMachine(FlowContext& context) : context_(context) {}

  // Stops the meter poll; empties the device list and the count of devices found.
  void BeginNewScan();
  void SendScanBegin();
  // Countdown = the scan time setting; step 0; arms timer 140.
  void Start();
  // Esc: ends the scan now; what was found stays.
  void Abort();

  // Timer 140.
  void Tick();

  bool finished() const { return finished_; }
  std::uint8_t devices_found() const { return device_count_; }
  int step() const { return step_; }
  int countdown_ms() const { return countdown_ms_; }

 private:
  void Finish();
  void StepWaitIdentity();
  void StepWaitAssignment();
  void QueueAssign();

  FlowContext& context_;
  int countdown_ms_ = 0;
  bool finished_ = true;
  int step_ = 0;
  std::uint8_t device_count_ = 0;
  int wait_ms_ = 0;
  int collisions_ = 0;  // cleared by an identity only, not by a new scan
  bool resent_ = false;
  ChipId pending_chip_{};
};

}  // namespace velmora::protocol
