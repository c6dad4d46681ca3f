#pragma once
// Hot-plug: reports the arrival and removal of ports by name, by comparing the
// present ports with those seen at the previous poll. Call Poll from a timer
// about once a second (the main window's timer, the CLI's loop); stopping is
// not calling it. One poll reads one sysfs folder and a few links, or checks
// that each explicitly named port still exists.
//
// Threads: one object belongs to one thread.

#include <set>
#include <string>
#include <vector>

#include "platform/serial/port_enumeration.h"

namespace velmora {

struct PortChange {
  enum class Kind { kArrived, kRemoved };
  Kind kind;
  std::string name;
  bool operator==(const PortChange&) const = default;
};

class PortWatcher {
 public:
  // Takes the first look at once: what is present now is not reported as arriving.
  explicit PortWatcher(PortSource source);

  // The changes since the previous poll: removals first, then arrivals, each in
  // name order.
  std::vector<PortChange> Poll();

  const std::set<std::string>& present() const { return present_; }

 private:
  PortSource source_;
  std::set<std::string> present_;
};

}  // namespace velmora
