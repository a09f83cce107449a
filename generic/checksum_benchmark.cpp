// Checksum throughput in bytes per second, on a 1 MB buffer: image files of hundreds
// of kilobytes to megabytes go through them.
#include <benchmark/benchmark.h>

#include <span>
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

std::span<const uint8_t> DataBytes() { return {reinterpret_cast<const uint8_t*>(Data().data()), Data().size()}; }

void SetThroughput(benchmark::State& state) {
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Data().size()));
}

// The CRC as it was before the tables, bit by bit and a call per byte into the
// program-wide register: kept only as the baseline the tables are measured against.
uint16_t baselineRegister = 0xFFFF;

[[gnu::noinline]] void BaselineCrcAdd(uint8_t byte) {
  baselineRegister ^= byte;
  for (int bit = 0; bit < 8; ++bit) {
    bool carry = baselineRegister & 1;
    baselineRegister >>= 1;
    if (carry) baselineRegister ^= 0xA001;
  }
}

void Crc16ModbusBitByBit(benchmark::State& state) {
  for (auto _ : state) {
    baselineRegister = 0xFFFF;
    for (uint8_t byte : DataBytes()) BaselineCrcAdd(byte);
    benchmark::DoNotOptimize(baselineRegister);
  }
  SetThroughput(state);
}
BENCHMARK(Crc16ModbusBitByBit);

// One table lookup per byte: what callers that feed single bytes get.
void Crc16ModbusTableByteAtATime(benchmark::State& state) {
  for (auto _ : state) {
    CrcTake();
    for (uint8_t byte : DataBytes()) CrcAdd(byte);
    benchmark::DoNotOptimize(CrcTake());
  }
  SetThroughput(state);
}
BENCHMARK(Crc16ModbusTableByteAtATime);

// A whole buffer, eight bytes per step.
void Crc16Modbus(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CrcOf(Data()));
  SetThroughput(state);
}
BENCHMARK(Crc16Modbus);

void Fletcher32(benchmark::State& state) {
  for (auto _ : state) {
    Fletcher sum;
    for (char c : Data()) FletcherAdd(sum, static_cast<uint8_t>(c));
    benchmark::DoNotOptimize(FletcherTake(sum));
  }
  SetThroughput(state);
}
BENCHMARK(Fletcher32);

void Fletcher32Words(benchmark::State& state) {
  for (auto _ : state) {
    Fletcher sum;
    FletcherAdd(sum, DataBytes());
    benchmark::DoNotOptimize(FletcherTake(sum));
  }
  SetThroughput(state);
}
BENCHMARK(Fletcher32Words);

}  // namespace
