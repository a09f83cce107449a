// Characters per second through LogStream into a real log file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "runtime/log.h"
#include "runtime/program_state.h"

namespace {

void LogStreamCharacters(benchmark::State& state) {
  char name[] = "/tmp/quarnet-logbench-XXXXXX";
  std::string folder = mkdtemp(name);
  const char* items[] = {"quarnet"};
  ArgCount = 1;
  ArgList[0] = items[0];
  PrepareLogAt(String::Copy(folder), LocalDateTime{26, 12, 1, 12, 0, 0});
  const std::string_view line = "RPC: ReadUnitInfo COMPLETE: card 653, software 6.10r57, serial 123456\r\n";
  for (auto _ : state) PutText(LogStream, line);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(line.size()));
  CloseLog();
  ArgCount = 0;
  std::filesystem::remove_all(folder);
}
BENCHMARK(LogStreamCharacters);

}  // namespace
