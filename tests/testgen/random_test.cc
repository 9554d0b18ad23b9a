// The generator is part of every printed test's identity: these values must never change.
#include "testgen/random.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

namespace tarquel::testgen {
namespace {

TEST(RandomTest, MatchesSplitMix64Reference) {
  // The published first output of SplitMix64 from state 0.
  EXPECT_EQ(Random::FromState(0).Next64(), 0xE220A8397B1DCDAFULL);
}

TEST(RandomTest, FirstDrawsOfFixedSeedsNeverChange) {
  struct Case {
    int32_t seed;
    std::array<uint64_t, 8> draws;
  };
  const Case cases[] = {
      {0,
       {0xE220A8397B1DCDAF, 0x6E789E6AA1B965F4, 0x06C45D188009454F, 0xF88BB8A8724C81EC,
        0x1B39896A51A8749B, 0x53CB9F0C747EA2EA, 0x2C829ABE1F4532E1, 0xC584133AC916AB3C}},
      {1,
       {0x910A2DEC89025CC1, 0xBEEB8DA1658EEC67, 0xF893A2EEFB32555E, 0x71C18690EE42C90B,
        0x71BB54D8D101B5B9, 0xC34D0BFF90150280, 0xE099EC6CD7363CA5, 0x85E7BB0F12278575}},
      {1234,
       {0xBB0CF61B2F181CDB, 0x97C7A1364DF06524, 0x33BEFAE49BC025DA, 0x4E6241F252D0A033,
        0xB912E3FF44B145A5, 0xB0BFB29E8C72A511, 0x7ECC3291B0181B9E, 0x3A465F3F8F9CE09F}},
      // A negative seed starts from its 32-bit pattern, 0xFFFFFFFF, not a sign-extended one.
      {-1,
       {0x73B13BA2AFF181C0, 0x612043051340D3B4, 0xEE4AC9FF47275E73, 0x12F4EEB73CED4B8E,
        0xB71038B0D100930A, 0xFB51B8072C7589B4, 0x73C42195BDA03537, 0xBE65E3C14233697C}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    Random random(c.seed);
    for (uint64_t expected : c.draws) EXPECT_EQ(random.Next64(), expected);
  }
}

TEST(RandomTest, DieThrowsOfSeed1234NeverChange) {
  Random random(1234);
  for (int32_t expected : {5, 4, 2, 2, 5, 5, 3, 2, 3, 5}) EXPECT_EQ(random.Uniform(1, 6), expected);
}

TEST(RandomTest, StateResumesTheSequence) {
  Random random(77);
  random.Next64();
  Random resumed = Random::FromState(random.state());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(resumed.Next64(), random.Next64());
}

TEST(RandomTest, UniformStaysInRange) {
  struct Case {
    int32_t lo;
    int32_t hi;
  };
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  const Case cases[] = {
      {7, 7},           // a single value
      {-3, 2},          // negative bounds
      {0, 0x7FFFFFFF},  // a span of 2^31
      {kMin, -1},       // a span of 2^31 from the lowest value
      {1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.lo << ".." << c.hi);
    Random random(42);
    for (int i = 0; i < 1000; ++i) {
      const int32_t value = random.Uniform(c.lo, c.hi);
      EXPECT_GE(value, c.lo);
      EXPECT_LE(value, c.hi);
    }
  }
}

TEST(RandomTest, UniformReachesBothEnds) {
  // An off-by-one in the mapping would never draw hi (or would draw hi + 1).
  Random random(5);
  bool saw_lo = false;
  bool saw_hi = false;
  for (int i = 0; i < 200; ++i) {
    const int32_t value = random.Uniform(1, 3);
    saw_lo = saw_lo || value == 1;
    saw_hi = saw_hi || value == 3;
  }
  EXPECT_TRUE(saw_lo);
  EXPECT_TRUE(saw_hi);
}

TEST(RandomTest, UniformOfWideSpanUsesTheHighBits) {
  // With n = 2^31 the result is lo plus the top 31 bits of the draw.
  Random random(9);
  const uint64_t draw = Random(9).Next64();
  EXPECT_EQ(random.Uniform(0, 0x7FFFFFFF), static_cast<int32_t>(draw >> 33));
}

}  // namespace
}  // namespace tarquel::testgen
