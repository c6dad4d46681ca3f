#pragma once
// How a device still waiting for an address takes part in the scan.
//
// The host broadcasts ScanQuery and reads what arrives 100 ms later; when the
// read is garbled it repeats the query once, 25 ms after the read, and then
// broadcasts ScanCollision (at most twice per identity found), waiting for
// an identity again. A device answers every query and every notice (silence
// costs the host 1.2 s before it asks again), but it backs off in time:
//
// - right after ScanBegin a device answers at once, so when several wait
//   their answers overlap on the wire and collide;
// - once it has seen a collision cue, a ScanCollision notice or a ScanQuery
//   repeated within kRepeatWindow (the host's retry of a garbled read), it
//   answers each later query or notice after a random slot of kSlot (just
//   over the 1.2 ms a 14-byte identity takes at 115200 baud), drawn afresh
//   from up to kMaxSlots slots every time; a slow device uses fewer, so that
//   latency and slot end before the host reads, 100 ms after its frame. The
//   first clean frame to arrive is the one the host reads; answers only
//   collide when two devices draw the same slot. The back-off holds until
//   the next ScanBegin.
// - devices on the bus hear each other: when a clean identity was on the wire
//   since the last ScanQuery, the host has its answer, and a ScanCollision
//   that follows only acts on the made-up reply of an earlier garbled read;
//   it is not answered.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>

#include "sim/sim_types.h"

namespace velmora::sim {

class ScanResponder {
 public:
  static constexpr int kMaxSlots = 64;
  static constexpr int kMinSlots = 8;
  static constexpr Micros kSlot = 1300;                 // microseconds
  static constexpr Micros kAnswerWindow = 90 * kMillis;  // latency + slot, inside the host's read
  static constexpr Micros kRepeatWindow = 200 * kMillis;

  explicit ScanResponder(std::uint64_t seed) : random_(seed) {}

  void Begin() {
    backing_off_ = false;
    last_query_.reset();
  }
  // Extra delay before answering a ScanQuery heard at `now`, for a device
  // that answers after `latency`.
  Micros QueryDelay(Micros now, Micros latency) {
    if (last_query_ && now - *last_query_ < kRepeatWindow) backing_off_ = true;
    last_query_ = now;
    return Draw(latency);
  }
  // nullopt: stay silent.
  std::optional<Micros> CollisionDelay(bool clean_answer_heard, Micros latency) {
    backing_off_ = true;
    if (clean_answer_heard) return std::nullopt;
    return Draw(latency);
  }
  bool backing_off() const { return backing_off_; }

 private:
  Micros Draw(Micros latency) {
    if (!backing_off_) return 0;
    const auto fit = static_cast<int>((kAnswerWindow - latency) / kSlot);
    const int slot_count = std::clamp(fit, kMinSlots, kMaxSlots);
    return std::uniform_int_distribution<int>(0, slot_count - 1)(random_) * kSlot;
  }

  bool backing_off_ = false;
  std::optional<Micros> last_query_;
  std::mt19937_64 random_;
};

}  // namespace velmora::sim
