// Random is the test generator's source of chance: the same seed gives the same test on any
// machine and in every later version of this program, so a test can be made again from the
// code printed on its sheet. Selection and placement of questions draw from it; nothing else
// should.
//
// The algorithm is fixed forever; changing any constant or step below changes every test
// ever printed. It is SplitMix64:
//   - a seed s (int32_t) starts the state at static_cast<uint64_t>(static_cast<uint32_t>(s)),
//     so seed -1 starts at 0xFFFFFFFF;
//   - each Next64() adds 0x9E3779B97F4A7C15 to the state, then mixes a copy z of it:
//       z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
//       z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
//       return z ^ (z >> 31);
//     (all arithmetic modulo 2^64);
//   - Uniform(lo, hi) draws one Next64(), keeps its high 32 bits h, and returns
//       lo + ((h * n) >> 32)   with n = hi - lo + 1,
//     a value in lo..hi. Each draw uses exactly one Next64().
// No standard-library distribution is involved: their results differ between libraries.
#ifndef TARQUEL_TESTGEN_RANDOM_H_
#define TARQUEL_TESTGEN_RANDOM_H_

#include <cstdint>

namespace tarquel::testgen {

class Random {
 public:
  explicit Random(int32_t seed) : state_(static_cast<uint64_t>(static_cast<uint32_t>(seed))) {}

  // A generator that continues from a state() saved earlier.
  static Random FromState(uint64_t state);

  // The whole state; FromState(state()) draws what this generator would draw next.
  uint64_t state() const { return state_; }

  // The next 64 random bits.
  uint64_t Next64();

  // A whole number in lo..hi, both included.
  // REQUIRES: lo <= hi.
  int32_t Uniform(int32_t lo, int32_t hi);

 private:
  uint64_t state_;
};

}  // namespace tarquel::testgen

#endif  // TARQUEL_TESTGEN_RANDOM_H_
