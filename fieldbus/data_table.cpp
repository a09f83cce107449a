#include "fieldbus/data_table.h"

#include <initializer_list>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "fieldbus/float_conversion.h"
#include "generic/parse_fields.h"
#include "generic/string_utility.h"
#include "runtime/buffered_file.h"
#include "runtime/check.h"
#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/stream.h"
#include "runtime/string_io.h"

DataTable TheDataTable{};

namespace {

// The columns in the order that decides which one a field fills when two share a
// position (only position 0 can be shared: see ColumnsAreUsable).
enum Column {
  AddressColumn,
  NameColumn,
  ScopeColumn,
  SizeColumn,
  TypeColumn,
  MinimumColumn,
  MaximumColumn,
  DefaultColumn,
  DecimalsColumn,
  UnitsColumn,
  BitNamesColumn,
  ColumnCount
};

constexpr std::string_view HeaderNames[ColumnCount] = {
    "DATA ADDRESS", "DATA NAME", "SCOPE", "SIZE", "TYPE", "MIN", "MAX", "DEFAULT", "DECIMAL PLACES", "UNITS",
    "BIT NAMES"};

// Lines end with CR LF as the unit writes them; a lone CR or LF, as editors on
// other systems save a table, ends a line too. Longer lines come in pieces of
// MaxLineLength characters, like every line the program reads.
struct TableLineReader {
  BufferedFile* file;
  bool afterCarriageReturn;
};

bool ReadTableLine(TableLineReader& reader, String& line) {
  std::string collected;
  bool any = false;
  while (collected.size() < MaxLineLength) {
    uint8_t c = FileGetByte(reader.file);
    if (FileEnd(reader.file)) break;
    bool lineFeedOfPair = c == '\n' && reader.afterCarriageReturn && !any;
    reader.afterCarriageReturn = c == '\r';
    if (lineFeedOfPair) continue;
    any = true;
    if (c == '\r' || c == '\n') {
      line = String::Copy(collected);
      return true;
    }
    collected += static_cast<char>(c);
  }
  line = String::Copy(collected);
  return any;
}

void OpenOrStop(BufferedFile*& file, const String& fileName) {
  int error = FileOpen(file, fileName);
  if (error != 0) FatalSystemError(error);
}

// The 0-based position of each column in the file; 0 for a column the header lacks.
struct ColumnPositions {
  int16_t of[ColumnCount];
};

ColumnPositions ReadHeader(const String& header) {
  ColumnPositions columns{};
  int16_t position = 0;
  int16_t column = 0;
  String field;
  while (ReadCsvField(header, position, column, field)) {
    String upper = UpperCase(field.View());
    for (int i = 0; i < ColumnCount; ++i) {
      if (upper.View() == HeaderNames[i]) columns.of[i] = column;
    }
  }
  return columns;
}

// One column may be missing when the field at position 0 belongs to no header: that
// field then fills the missing column (a table whose first header is spoiled, for
// one). Two or more at position 0 cannot be told apart.
bool ColumnsAreUsable(const ColumnPositions& columns) {
  int atZero = 0;
  for (int16_t position : columns.of) atZero += position == 0;
  return atZero < 2;
}

uint8_t Keyword(const String& field, std::initializer_list<std::pair<std::string_view, uint8_t>> words) {
  String upper = UpperCase(field.View());
  for (const auto& [word, code] : words) {
    if (upper.View() == word) return code;
  }
  return 0;
}

void FillField(DataRow& row, int column, const String& field) {
  switch (column) {
    case AddressColumn: row.address = static_cast<int16_t>(ReadInt(field)); break;
    case NameColumn: row.name = field; break;
    case ScopeColumn:
      row.scope = Keyword(field, {{"OUTPUT", ScopeOutput},
                                  {"INPUT", ScopeInput},
                                  {"SETTING", ScopeSetting},
                                  {"GLOBAL", ScopeGlobal}});
      break;
    case SizeColumn: row.size = static_cast<uint8_t>(ReadInt(field)); break;
    case TypeColumn:
      row.type = Keyword(field, {{"BOOL", TypeBool},
                                 {"SIGNED32", TypeSigned32},
                                 {"BITS16", TypeBits16},
                                 {"REAL32", TypeReal32}});
      break;
    case MinimumColumn: row.minimum = ReadReal(field); break;
    case MaximumColumn: row.maximum = ReadReal(field); break;
    case DefaultColumn: row.defaultValue = SinglePrecision(ReadReal(field)); break;
    case DecimalsColumn: row.decimals = static_cast<int16_t>(ReadInt(field)); break;
    case UnitsColumn: row.units = field; break;
    case BitNamesColumn: row.bitNames = field; break;
  }
}

void ReadRow(const String& line, const ColumnPositions& columns, DataRow& row) {
  int16_t position = 0;
  int16_t column = 0;
  String field;
  while (ReadCsvField(line, position, column, field)) {
    for (int i = 0; i < ColumnCount; ++i) {
      if (columns.of[i] == column) {
        FillField(row, i, field);
        break;
      }
    }
  }
}

}  // namespace

void ReleaseDataTable() {
  delete[] TheDataTable.rows;
  TheDataTable.rows = nullptr;
  TheDataTable.rowCount = 0;
  TheDataTable.outputSize = 0;
  TheDataTable.inputSize = 0;
  TheDataTable.rowIndex = 0;
  TheDataTable.bitPosition = 0;
  TheDataTable.bitNumber = 0;
  TheDataTable.bitName.Clear();
}

bool ReadDataTable(const String& fileName) {
  PutText(StandardError, "\r\nReadDataTable");
  ReleaseDataTable();
  if (!FileExists(fileName)) {
    PutString(ReportStream, fileName);
    PutText(ReportStream, " not found\r\n");
    return false;
  }

  // First pass: the columns and the number of rows, so the rows are allocated once.
  BufferedFile* file = nullptr;
  OpenOrStop(file, fileName);
  TableLineReader reader{file, false};
  String line;
  ColumnPositions columns{};
  if (ReadTableLine(reader, line)) columns = ReadHeader(line);
  int32_t lineCount = 0;
  while (lineCount < std::numeric_limits<int32_t>::max() && ReadTableLine(reader, line)) ++lineCount;
  FileClose(file);
  if (!ColumnsAreUsable(columns)) return false;

  DataRow* rows = new (std::nothrow) DataRow[lineCount > 0 ? lineCount : 1]();
  if (rows == nullptr) return false;
  TheDataTable.rows = rows;

  OpenOrStop(file, fileName);
  reader = TableLineReader{file, false};
  ReadTableLine(reader, line);
  // The file may have shrunk since the first pass; the table holds what was read.
  int32_t count = 0;
  while (count < lineCount && ReadTableLine(reader, line)) {
    DataRow& row = rows[count++];
    ReadRow(line, columns, row);
    if (row.scope == ScopeOutput) TheDataTable.outputSize += row.size;
    if (row.scope == ScopeInput) TheDataTable.inputSize += row.size;
  }
  FileClose(file);
  TheDataTable.rowCount = count;
  return true;
}
