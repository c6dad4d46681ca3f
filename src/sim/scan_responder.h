#pragma once
// How a device still waiting for an address takes part in the scan.
//
// The host broadcasts ScanQuery; every waiting device answers with its chip
// id and, when several do, their answers collide. The host then broadcasts
// ScanCollision and waits for an identity again (the link engine repeats a
// broadcast that met silence or garble once, 25 ms later). So a collision
// notice is the device's cue to answer again after a random back-off:
//
// - each waiting device answers a query or a notice with probability p;
// - p starts at 1 on ScanBegin and halves with every ScanCollision heard,
//   down to kMinProbability, so a crowd thins out within a couple of notices;
// - each AssignAddress given to another device doubles p again (up to 1),
//   since one fewer device is left to contend.
//
// The probability is drawn afresh for every frame, so a device that sat out
// one notice may answer the repeat.

#include <algorithm>
#include <cstdint>
#include <random>

namespace velmora::sim {

class ScanResponder {
 public:
  static constexpr double kMinProbability = 1.0 / 8;

  explicit ScanResponder(std::uint64_t seed) : random_(seed) {}

  void Begin() { probability_ = 1.0; }
  bool AnswerQuery() { return Draw(); }
  bool AnswerCollision() {
    probability_ = std::max(kMinProbability, probability_ / 2);
    return Draw();
  }
  void OtherAssigned() { probability_ = std::min(1.0, probability_ * 2); }
  double probability() const { return probability_; }

 private:
  bool Draw() { return std::bernoulli_distribution(probability_)(random_); }

  double probability_ = 1.0;
  std::mt19937_64 random_;
};

}  // namespace velmora::sim
