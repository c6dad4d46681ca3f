#pragma once
// The timer dispatch: the low byte of a fired timer's identifier picks its
// handler, which gets the whole identifier. Codes without a handler (134, or
// anything outside the table) are left unhandled, as the window's other timers
// must be.

#include <cstdint>
#include <functional>
#include <map>

#include "protocol/flow_owner.h"

namespace velmora::protocol {

class TimerCodeTable {
 public:
  using Handler = std::function<void(std::uint32_t id)>;

  void Register(std::uint8_t code, Handler handler) { handlers_[code] = std::move(handler); }
  bool Has(std::uint8_t code) const { return handlers_.count(code) != 0; }

  // True when a handler took the timer.
  bool Dispatch(std::uint32_t id) const;

 private:
  std::map<std::uint8_t, Handler> handlers_;
};

// Codes 128..139: build the frame from the device's record, queue it, kill the
// timer (whether or not anything was sent, so each arming fires once).
void RegisterWriteHandlers(TimerCodeTable& table, FlowContext& context);

}  // namespace velmora::protocol
