// quarnet-fieldbus TABLE.csv: generates the four fieldbus description files from a
// data table saved earlier, for an engineer who has the table but not the unit at
// hand. Exit code 0 when all four were generated, 1 otherwise.
#include <cstdio>
#include <cstring>

#include "fieldbus/generate_fieldbus_files.h"
#include "runtime/console_streams.h"
#include "runtime/log.h"
#include "runtime/string_heap.h"

namespace {

constexpr const char* HelpText =
    "Usage: quarnet-fieldbus TABLE.csv\n"
    "       quarnet-fieldbus --help\n"
    "\n"
    "Generates the fieldbus description files of a Velantor unit's Anybus CompactCom 40\n"
    "interface from the unit's data table, beside the table: TABLE EthernetIP.EDS,\n"
    "TABLE Profinet.xml (copied as GSDML-V2.35-Corvane Instruments Ltd-Velantor-20240101.xml),\n"
    "TABLE Profibus.gsd and TABLE CANopen.eds, readable as the umask allows.\n"
    "\n"
    "The table is comma-separated text in UTF-8 or Windows-1252; a field holding a comma\n"
    "is quoted with \" or '. Its first line names the columns, in any order and letter case:\n"
    "  DATA ADDRESS     a whole decimal number from 1 to 16382, each address once\n"
    "  DATA NAME        text, not empty\n"
    "  SCOPE            OUTPUT, INPUT, SETTING or GLOBAL\n"
    "  SIZE             bytes, 1 to 255; for OUTPUT and INPUT at most 128, or 63 if odd\n"
    "  TYPE             BOOL, SIGNED32, BITS16 or REAL32\n"
    "  MIN, MAX,        numbers the type holds: SIGNED32 -2147483648 to 2147483647, BITS16\n"
    "  DEFAULT          0 to 65535, REAL32 up to 3.402823E38 either way, a BOOL any (written\n"
    "                   as 0 or 1); the default is kept in single precision\n"
    "  DECIMAL PLACES   0 to 255, or empty for none\n"
    "  UNITS            text, may be empty\n"
    "  BIT NAMES        the names of the bits, comma-separated, within the bits of the type\n"
    "                   (BOOL 8, BITS16 16, SIGNED32 and REAL32 32)\n"
    "Every further line is a row; lines without text are skipped. The OUTPUT rows together\n"
    "and the INPUT rows together hold at most 65535 bytes.\n"
    "\n"
    "Anything else is refused, the whole table, with its line, column and reason, and\n"
    "no file changes:\n"
    "  TABLE.csv line 7, DATA ADDRESS: 0 is below 1: ...\n"
    "\n"
    "Texts: the GSDML holds them in its ISO-8859-1, other characters as references; the\n"
    "EDS files and the GSD hold plain ASCII (a for \xC3\xA4, deg for \xC2\xB0, EUR for \xE2\x82\xAC, ? where there is\n"
    "no stand-in); control characters become spaces, ';' becomes ',' in the CANopen EDS\n"
    "and '\"' becomes ''' in the GSD.\n"
    "\n"
    "Exit codes: 0 all four files generated, 1 otherwise (the table refused or missing, a\n"
    "file that could not be written).\n";

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
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(HelpText, stdout);
    return 0;
  }
  CreateStringHeap();
  StandardError.put = ProcessStandardError;
  if (argc != 2 || argv[1][0] == '\0') return Usage();
  bool generated = GenerateFieldbusFiles(String::Copy(argv[1]));
  PutText(StandardError, "\r\n");
  if (generated) PutText(ReportStream, "Fieldbus files generated\r\n");
  // The reason of a refusal is on standard output: it goes out first, so that the
  // two read in order where they meet.
  EndStandardOutput();
  std::fflush(stdout);
  if (!generated) PutText(StandardError, "Unable to generate fieldbus files\r\n");
  std::fflush(stderr);
  return generated ? 0 : 1;
}
