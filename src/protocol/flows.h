#pragma once
// Every device flow of the console behind one timer dispatch: the deferred
// writes (128..139), the scan (140), the transfer sequence (141) and the meter
// poll (142). The owner (the main window, velmora-cli) builds one Flows over
// its context, maps SetTimer/KillTimer onto its own timers and passes each
// fired timer to OnTimer. Code 143 (the monitor refresh) and anything else the
// owner needs can join the table with timer_table().Register.
//
// Single-threaded: everything runs on the thread that runs the owner's timers.

#include <cstdint>

#include "protocol/flow_owner.h"
#include "protocol/meter_poll.h"
#include "protocol/scan_machine.h"
#include "protocol/timer_code_table.h"
#include "protocol/timer_request_id.h"
#include "protocol/transfer_sequence.h"

namespace velmora::protocol {

class Flows {
 public:
  explicit Flows(FlowContext context);
  Flows(const Flows&) = delete;
  Flows& operator=(const Flows&) = delete;

  // A fired timer; false when its code has no handler (left unhandled).
  bool OnTimer(std::uint32_t id) { return table_.Dispatch(id); }

  TimerCodeTable& timer_table() { return table_; }
  FlowContext& context() { return context_; }
  ScanMachine& scan() { return scan_; }
  TransferSequence& sequence() { return sequence_; }
  MeterPoll& meters() { return meters_; }

 private:
  FlowContext context_;
  TimerCodeTable table_;
  ScanMachine scan_;
  TransferSequence sequence_;
  MeterPoll meters_;
};

}  // namespace velmora::protocol
