// Checksum throughput in bytes per second.
#include <benchmark/benchmark.h>

#include <string>

#include "generic/checksum.h"

namespace {

const std::string& Data() {
  static const std::string data = [] {
    std::string bytes(1 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    return bytes;
  }();
  return data;
}

void Crc16Modbus(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CrcOf(Data()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Data().size()));
}
BENCHMARK(Crc16Modbus);

void Fletcher32(benchmark::State& state) {
  for (auto _ : state) {
    Fletcher sum;
    for (char c : Data()) FletcherAdd(sum, static_cast<uint8_t>(c));
    benchmark::DoNotOptimize(FletcherTake(sum));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Data().size()));
}
BENCHMARK(Fletcher32);

}  // namespace
