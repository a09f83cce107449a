// String against std::string: appending, copying and comparing.
#include <benchmark/benchmark.h>

#include <string>

#include "runtime/string.h"

namespace {

void StringAppendCharacters(benchmark::State& state) {
  for (auto _ : state) {
    String text;
    for (int i = 0; i < state.range(0); ++i) text.Append('x');
    benchmark::DoNotOptimize(text.Data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StringAppendCharacters)->Arg(1000)->Arg(30000);

void StdStringAppendCharacters(benchmark::State& state) {
  for (auto _ : state) {
    std::string text;
    for (int i = 0; i < state.range(0); ++i) text.push_back('x');
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StdStringAppendCharacters)->Arg(1000)->Arg(30000);

void StringCopy(benchmark::State& state) {
  String source;
  source.SetLength(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    String copy = source;
    benchmark::DoNotOptimize(copy.Word());
  }
}
BENCHMARK(StringCopy)->Arg(100)->Arg(10000);

void StdStringCopy(benchmark::State& state) {
  std::string source(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    std::string copy = source;
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(StdStringCopy)->Arg(100)->Arg(10000);

void StringCompare(benchmark::State& state) {
  String a, b;
  a.SetLength(static_cast<int>(state.range(0)));
  b.SetLength(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(String::Compare(a, b));
}
BENCHMARK(StringCompare)->Arg(100)->Arg(10000);

void StdStringCompare(benchmark::State& state) {
  std::string a(static_cast<size_t>(state.range(0)), '\0'), b = a;
  for (auto _ : state) benchmark::DoNotOptimize(a.compare(b));
}
BENCHMARK(StdStringCompare)->Arg(100)->Arg(10000);

}  // namespace
