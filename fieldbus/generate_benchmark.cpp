// Rows per second of a 10,000-row data table through all four description
// templates: the engine alone into memory, and the whole generation with the
// table read and the four files written.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "fieldbus/data_table.h"
#include "fieldbus/generate_fieldbus_files.h"
#include "fieldbus/template_engine.h"
#include "fieldbus/template_texts.h"
#include "runtime/console_streams.h"
#include "testing/temporary_folder.h"

namespace {

constexpr int Rows = 10000;

struct CountingStream : Stream {
  CountingStream() : Stream{[](Stream* stream, uint8_t) { ++static_cast<CountingStream*>(stream)->count; }} {}
  size_t count = 0;
};

// A table like a unit's, in a folder of its own; removed at the end of the run.
class BenchmarkTable {
 public:
  BenchmarkTable() {
    std::ofstream table(TableName(), std::ios::binary);
    table << "Data Address,Data Name,Scope,Size,Type,Min,Max,Default,Decimal Places,Units,Bit Names\r\n";
    const char* const kinds[] = {"OUTPUT,4,REAL32,-1000,1000,0,2,kg,", "INPUT,2,BITS16,0,65535,0,0,,\"Run,,Stop,Hold\"",
                                 "SETTING,4,SIGNED32,-100000,100000,10,0,g,", "GLOBAL,1,BOOL,0,1,1,0,,"};
    for (int i = 0; i < Rows; ++i) table << 100 + i << ",Data item " << i << "," << kinds[i % 4] << "\r\n";
  }
  std::string TableName() const { return folder_.Path("Benchmark Fieldbus.csv"); }

 private:
  TemporaryFolder folder_{"fieldbus-benchmark"};
};

const BenchmarkTable& Table() {
  static const BenchmarkTable table;
  return table;
}

void TemplatesIntoMemory(benchmark::State& state) {
  InstallConsoleSink([](uint8_t) {});
  ReadDataTable(String::Copy(Table().TableName()));
  size_t bytes = 0;
  for (auto _ : state) {
    for (std::string_view text : {EthIpEdsTemplate, ProfinetGsdmlTemplate, ProfibusGsdTemplate, CanopenEdsTemplate}) {
      CountingStream output;
      if (!GenerateConfigurationFile(text, output)) state.SkipWithError("template failed");
      bytes += output.count;
    }
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * Rows,
                                                benchmark::Counter::kIsRate);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  InstallConsoleSink(nullptr);
}
BENCHMARK(TemplatesIntoMemory)->Unit(benchmark::kMillisecond);

void GenerateFieldbusFilesOnDisk(benchmark::State& state) {
  InstallConsoleSink([](uint8_t) {});
  String table = String::Copy(Table().TableName());
  for (auto _ : state) {
    if (!GenerateFieldbusFiles(table)) state.SkipWithError("generation failed");
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * Rows,
                                                benchmark::Counter::kIsRate);
  InstallConsoleSink(nullptr);
}
BENCHMARK(GenerateFieldbusFilesOnDisk)->Unit(benchmark::kMillisecond);

}  // namespace
