#include "sim/faults.h"

#include <algorithm>

namespace velmora::sim {

FaultVerdict ApplyFaults(const Faults& faults, std::mt19937_64& random, Emission& emission) {
  if (!emission.is_reply) return FaultVerdict::kSend;
  if (faults.muted_opcodes.count(emission.answers_opcode)) return FaultVerdict::kMuted;
  auto chance = [&](double p) { return p > 0 && std::bernoulli_distribution(std::min(p, 1.0))(random); };
  if (chance(faults.drop)) return FaultVerdict::kDropped;
  if (chance(faults.corrupt) && !emission.bytes.empty()) emission.bytes.back() ^= 0x5A;
  if (faults.jitter > 0)
    emission.due += std::uniform_int_distribution<Micros>(0, faults.jitter)(random);
  return FaultVerdict::kSend;
}

}  // namespace velmora::sim
