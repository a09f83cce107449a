// libFuzzer target: the template engine on any template, over a small table with
// every scope, type and bit names.
#include <cstring>

#include "fieldbus/data_table.h"
#include "runtime/fuzz/fuzz_support.h"
#include "fieldbus/template_engine.h"

namespace {

constexpr char Table[] =
    "Data Address,Data Name,Scope,Size,Type,Min,Max,Default,Decimal Places,Units,Bit Names\r\n"
    "4660,Weight <\"a\">,OUTPUT,4,REAL32,-1000,1000,0,2,kg,\r\n"
    "16382,Status,INPUT,2,BITS16,0,65535,0,0,,\"Run,,Stop\"\r\n"
    "10,Count,SETTING,4,SIGNED32,-5,5,1,1,pcs,\r\n"
    "11,Flag,GLOBAL,1,BOOL,0,1,1,0,,\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool loaded = [] {
    std::string path = WriteFuzzFile("template-table.csv", reinterpret_cast<const uint8_t*>(Table), std::strlen(Table));
    return ReadDataTable(String::Copy(path));
  }();
  if (!loaded) __builtin_trap();
  // Every input starts where a freshly read table does: on the first row.
  ResetRowCursor();
  NextRow();
  CountingStream output;
  GenerateConfigurationFile(std::string_view(reinterpret_cast<const char*>(data), size), output);
  return 0;
}
