#include "protocol/tick_scheduler.h"

#include <algorithm>
#include <thread>

namespace velmora::protocol {

void TickScheduler::SetTimer(std::uint32_t id, int ms) {
  const int period = std::max(ms, 1);
  timers_[id] = Timer{period, now_ms_ + period, next_order_++};
}

void TickScheduler::KillTimer(std::uint32_t id) { timers_.erase(id); }

std::map<std::uint32_t, TickScheduler::Timer>::iterator TickScheduler::NextDue(std::int64_t limit) {
  auto best = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.due_ms > limit) continue;
    if (best == timers_.end() || it->second.due_ms < best->second.due_ms ||
        (it->second.due_ms == best->second.due_ms && it->second.order < best->second.order))
      best = it;
  }
  return best;
}

void TickScheduler::FireAt(std::map<std::uint32_t, Timer>::iterator it, std::int64_t at_ms) {
  const std::uint32_t id = it->first;
  now_ms_ = std::max({now_ms_, it->second.due_ms, at_ms});
  it->second.due_ms = now_ms_ + it->second.period_ms;  // periodic until the handler kills it
  it->second.order = next_order_++;
  fire_(id);
}

void TickScheduler::Advance(std::int64_t ms) {
  const std::int64_t end = now_ms_ + ms;
  for (auto it = NextDue(end); it != timers_.end(); it = NextDue(end)) FireAt(it, 0);
  now_ms_ = end;
}

bool TickScheduler::FireNext() {
  auto it = NextDue(INT64_MAX);
  if (it == timers_.end()) return false;
  FireAt(it, 0);
  return true;
}

void TickScheduler::RunRealTime(const std::function<bool()>& stop) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now() - std::chrono::milliseconds(now_ms_);
  auto elapsed = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  };
  while (!timers_.empty() && !stop()) {
    const auto next = NextDue(INT64_MAX);
    const std::int64_t wait = next->second.due_ms - elapsed();
    if (wait > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::int64_t>(wait, 50)));
      continue;
    }
    FireAt(next, elapsed());  // late firings do not pile up, as with window timers
  }
  now_ms_ = std::max(now_ms_, elapsed());
}

}  // namespace velmora::protocol
