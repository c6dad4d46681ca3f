#pragma once
// Window timers for an owner without a window (velmora-cli, tests): one timer
// per identifier, periodic until killed; SetTimer on a running identifier
// restarts its countdown. The clock is virtual: Advance moves it and fires
// what falls due, in due order (ties by arming order), each at its due time.
// RunRealTime runs the same timers on the steady clock.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include "protocol/flow_owner.h"

namespace velmora::protocol {

class TickScheduler : public TimerHost {
 public:
  using Fire = std::function<void(std::uint32_t id)>;

  explicit TickScheduler(Fire fire) : fire_(std::move(fire)) {}

  void SetTimer(std::uint32_t id, int ms) override;
  void KillTimer(std::uint32_t id) override;
  bool IsArmed(std::uint32_t id) const { return timers_.count(id) != 0; }
  bool empty() const { return timers_.empty(); }

  std::int64_t now_ms() const { return now_ms_; }
  // Fires every timer due up to now + ms; the clock ends at now + ms.
  void Advance(std::int64_t ms);
  // Fires the next due timer (moving the clock to it); false when none is armed.
  bool FireNext();

  // Runs the timers in real time until `stop` says so (checked after each
  // firing and at least every 50 ms) or no timer is armed.
  void RunRealTime(const std::function<bool()>& stop);

 private:
  struct Timer {
    int period_ms;
    std::int64_t due_ms;
    std::uint64_t order;
  };
  // The next timer due at or before `limit`, if any.
  std::map<std::uint32_t, Timer>::iterator NextDue(std::int64_t limit);
  // Fires at the due time or at `at_ms` when that is later.
  void FireAt(std::map<std::uint32_t, Timer>::iterator it, std::int64_t at_ms);

  Fire fire_;
  std::map<std::uint32_t, Timer> timers_;
  std::int64_t now_ms_ = 0;
  std::uint64_t next_order_ = 0;
};

}  // namespace velmora::protocol
