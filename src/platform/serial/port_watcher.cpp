#include "platform/serial/port_watcher.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace velmora {
namespace {

std::set<std::string> Snapshot(const PortSource& source) {
  const std::vector<std::string> names = PresentPorts(source);
  return {names.begin(), names.end()};
}

}  // namespace

PortWatcher::PortWatcher(PortSource source)
    : source_(std::move(source)), present_(Snapshot(source_)) {}

std::vector<PortChange> PortWatcher::Poll() {
  std::set<std::string> now = Snapshot(source_);
  std::vector<PortChange> changes;
  std::vector<std::string> names;
  std::set_difference(present_.begin(), present_.end(), now.begin(), now.end(),
                      std::back_inserter(names));
  for (std::string& name : names) changes.push_back({PortChange::Kind::kRemoved, std::move(name)});
  names.clear();
  std::set_difference(now.begin(), now.end(), present_.begin(), present_.end(),
                      std::back_inserter(names));
  for (std::string& name : names) changes.push_back({PortChange::Kind::kArrived, std::move(name)});
  present_ = std::move(now);
  return changes;
}

}  // namespace velmora
