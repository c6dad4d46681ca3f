#pragma once
// What the protocol's state machines need of whoever runs them (the main
// window, velmora-cli, a test) and what they tell it. The machines never
// sleep, never show anything and never own a timer: they ask their owner to
// arm and kill timers by identifier, and the owner calls the timer dispatch
// (TimerCodeTable) when one fires.

#include <cstddef>
#include <cstdint>

#include "link/link_queue.h"
#include "model/device_list.h"
#include "model/device_record.h"
#include "model/program_settings.h"

namespace velmora::protocol {

// Window timers as Windows has them: SetTimer arms (or re-arms, restarting its
// countdown) a periodic timer under an identifier; it fires every `ms` until
// KillTimer. A one-shot timer is one whose handler kills it.
class TimerHost {
 public:
  virtual ~TimerHost() = default;
  virtual void SetTimer(std::uint32_t id, int ms) = 0;
  virtual void KillTimer(std::uint32_t id) = 0;
};

enum class SequenceKind {
  kReadAll = 0,
  kWriteAll = 1,
  kEffectsDump = 3,  // joins with the effects dump file
};

// The owner's side. Everything is called on the thread that runs the timers.
class FlowOwner {
 public:
  virtual ~FlowOwner() = default;

  // The meter poll does nothing while no port is open.
  virtual bool IsPortOpen() const = 0;

  // A device confirmed its address; its record is the last of the list.
  // The window adds its tree node here.
  virtual void OnDeviceFound(const DeviceRecord& record) { (void)record; }
  // The scan's countdown ran out (or the scan was cut short). The owner starts
  // the meter poll when devices were found (the window once its wait dialog
  // has closed).
  virtual void OnScanFinished(std::size_t devices_found) { (void)devices_found; }

  // The sequence finished a step (read steps 1..11) or a batch (write-all),
  // `done` of `total`: enough for a progress line.
  virtual void OnSequenceProgress(SequenceKind kind, int done, int total) {
    (void)kind, (void)done, (void)total;
  }
  // The sequence has ended; its timer is killed and the meter poll restarted.
  // The window refreshes its pages here and shows the failure message.
  virtual void OnSequenceEnded(SequenceKind kind, bool failed) { (void)kind, (void)failed; }

  // A status reply was applied to `record` (found by the reply's address).
  // The window sets the device's online box and, for the current device,
  // redraws the energy page.
  virtual void OnMeterReading(const DeviceRecord& record, bool online) {
    (void)record, (void)online;
  }
};

// What every machine works with. All references outlive the machines.
struct FlowContext {
  LinkQueue& link;
  DeviceList& devices;
  DeviceRecord& placeholder;          // the record shown when the list is empty
  const ProgramSettings& settings;    // read at the moment of use (scan time may change)
  const BandCounts& band_counts;      // from the EQ graphs
  TimerHost& timers;
  FlowOwner& owner;
};

}  // namespace velmora::protocol
