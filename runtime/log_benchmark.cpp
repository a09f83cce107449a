// Characters per second through LogStream into a real log file.
#include <benchmark/benchmark.h>

#include "runtime/log.h"
#include "runtime/program_state.h"
#include "testing/temporary_folder.h"

namespace {

void LogStreamCharacters(benchmark::State& state) {
  TemporaryFolder folder("logbench");
  const char* items[] = {"quarnet"};
  ArgCount = 1;
  ArgList[0] = items[0];
  PrepareLogAt(String::Copy(folder.Path()), LocalDateTime{26, 12, 1, 12, 0, 0});
  const std::string_view line = "RPC: ReadUnitInfo COMPLETE: card 653, software 6.10r57, serial 123456\r\n";
  for (auto _ : state) PutText(LogStream, line);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(line.size()));
  CloseLog();
  ArgCount = 0;
}
BENCHMARK(LogStreamCharacters);

}  // namespace
