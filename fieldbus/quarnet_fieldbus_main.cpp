// quarnet-fieldbus TABLE.csv: generates the four fieldbus description files from a
// data table saved earlier, for an engineer who has the table but not the unit at
// hand. Exit code 0 when all four were generated, 1 otherwise.
#include <cstdio>

#include "fieldbus/generate_fieldbus_files.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/string_heap.h"

namespace {

// There is no console window here: the standard-error stream goes to the process's
// standard error, so that its progress and diagnostic lines stay apart from the
// report on standard output.
void ProcessStandardError(Stream*, uint8_t c) { std::fputc(c, stderr); }

int Usage() {
  PutText(StandardError, "usage: quarnet-fieldbus TABLE.csv\r\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CreateStringHeap();
  StandardError.put = ProcessStandardError;
  if (argc != 2 || argv[1][0] == '\0') return Usage();
  bool generated = GenerateFieldbusFiles(String::Copy(argv[1]));
  PutText(StandardError, "\r\n");
  if (generated) PutText(ReportStream, "Fieldbus files generated\r\n");
  else PutText(StandardError, "Unable to generate fieldbus files\r\n");
  EndStandardOutput();
  std::fflush(stderr);
  return generated ? 0 : 1;
}
