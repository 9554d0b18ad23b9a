#include "testgen/random.h"

#include <cassert>

namespace tarquel::testgen {

Random Random::FromState(uint64_t state) {
  Random random(0);
  random.state_ = state;
  return random;
}

uint64_t Random::Next64() {
  state_ += 0x9E3779B97F4A7C15ULL;
  uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

int32_t Random::Uniform(int32_t lo, int32_t hi) {
  assert(lo <= hi);
  // The span reaches 2^32 only for the whole int32 range; in 64 bits it cannot overflow, and
  // (h * n) >> 32 stays below n, so the sum stays within lo..hi.
  const uint64_t n = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo + 1);
  const uint64_t offset = ((Next64() >> 32) * n) >> 32;
  return static_cast<int32_t>(static_cast<int64_t>(lo) + static_cast<int64_t>(offset));
}

}  // namespace tarquel::testgen
