// For tests and benchmarks that draw their cases: the same numbers on every run, every
// machine and every standard library, so that a failure comes back when it is run again.
#pragma once

#include <cstdint>
#include <string>

class Pseudorandom {
 public:
  static constexpr uint64_t DefaultSeed = 20240611;

  explicit Pseudorandom(uint64_t seed = DefaultSeed) : state_(seed) {}

  // splitmix64: every seed gives a full-period stream, and it is short enough to read.
  uint64_t Next() {
    uint64_t z = state_ += 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // From 0 to bound - 1; bound must not be 0.
  uint64_t Below(uint64_t bound) { return Next() % bound; }
  // From low to high, both included.
  int Between(int low, int high) {
    return static_cast<int>(low + static_cast<int64_t>(Below(static_cast<uint64_t>(int64_t{high} - low) + 1)));
  }
  bool OneIn(uint64_t n) { return Below(n) == 0; }
  uint8_t Byte() { return static_cast<uint8_t>(Next() >> 56); }
  std::string Bytes(size_t count) {
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(Byte());
    return bytes;
  }

 private:
  uint64_t state_;
};
