#include "fieldbus/data_table.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "fieldbus/row_fields.h"
#include "fieldbus/table_columns.h"
#include "fieldbus/table_lines.h"
#include "fieldbus/table_refusal.h"
#include "fieldbus/table_text.h"
#include "generic/parse_fields.h"
#include "generic/string_utility.h"
#include "runtime/buffered_file.h"
#include "runtime/check.h"
#include "runtime/console_streams.h"
#include "runtime/files.h"
#include "runtime/log.h"
#include "runtime/stream.h"

DataTable TheDataTable{};

namespace {

// The EtherNet/IP assemblies and connections give their sizes in a UINT.
constexpr int64_t MaxExchangedBytes = 65535;

// The 0-based position of each column in the file; 0 for a column the header lacks.
struct ColumnPositions {
  int32_t of[ColumnCount];
};

std::string ColumnList(const bool (&listed)[ColumnCount]) {
  std::string names;
  for (int i = 0; i < ColumnCount; ++i) {
    if (listed[i]) names += (names.empty() ? "" : ", ") + std::string(HeaderNames[i]);
  }
  return names;
}

// Headers match whole, in any letter case. One column may be missing when the field
// at position 0 belongs to no header: that field then fills the missing column (a
// table whose first header is spoiled, for one). More cannot be told apart.
bool ReadHeader(const std::string& header, ColumnPositions& columns, TableRefusal& refusal) {
  columns = ColumnPositions{};
  bool found[ColumnCount] = {};
  CsvCursor cursor;
  std::string field;
  while (ReadCsvField(header, cursor, field)) {
    String upper = UpperCase(std::string_view(field).substr(0, MaxStringLength));
    for (int i = 0; i < ColumnCount; ++i) {
      if (upper.View() != HeaderNames[i]) continue;
      if (found[i]) {
        refusal.reason = std::string(HeaderNames[i]) + " heads two columns, " + std::to_string(columns.of[i] + 1) +
                         " and " + std::to_string(cursor.column + 1);
        return false;
      }
      found[i] = true;
      columns.of[i] = cursor.column;
    }
  }
  bool missing[ColumnCount] = {};
  int missingCount = 0;
  bool zeroClaimed = false;
  for (int i = 0; i < ColumnCount; ++i) {
    missing[i] = !found[i];
    missingCount += missing[i];
    zeroClaimed = zeroClaimed || (found[i] && columns.of[i] == 0);
  }
  if (missingCount == 0 || (missingCount == 1 && !zeroClaimed)) return true;
  refusal.reason = "the header lacks " + ColumnList(missing);
  return false;
}

// Splits a row into its columns; false when a quote is left open, which would have
// swallowed the fields after it. blank tells a line without any text.
bool SplitRow(const std::string& line, const ColumnPositions& columns, RowFields& fields, bool& blank,
              TableRefusal& refusal) {
  fields = RowFields{};
  blank = true;
  CsvCursor cursor;
  std::string field;
  while (ReadCsvField(line, cursor, field)) {
    int column = ColumnCount;
    for (int i = 0; i < ColumnCount && column == ColumnCount; ++i) {
      if (columns.of[i] == cursor.column) column = i;
    }
    if (cursor.quoteLeftOpen) {
      refusal.column = column < ColumnCount ? std::string(HeaderNames[column])
                                            : "column " + std::to_string(cursor.column + 1);
      refusal.reason = "a quote opens that is not closed before the line ends";
      return false;
    }
    blank = blank && IsBlank(field);
    if (column < ColumnCount) fields.text[column] = std::move(field);
  }
  return true;
}

// What the whole table must keep to: every address once, and the exchanged data
// within the size of an EtherNet/IP assembly.
struct TableChecks {
  std::map<int16_t, int64_t> lineOfAddress;

  bool Add(const DataRow& row, int64_t line, TableRefusal& refusal) {
    auto [earlier, added] = lineOfAddress.emplace(row.address, line);
    if (!added) {
      refusal.column = HeaderNames[AddressColumn];
      refusal.reason = std::to_string(row.address) + " is already the address of line " +
                       std::to_string(earlier->second) + ": each address names one data item in every file";
      return false;
    }
    if (row.scope != ScopeOutput && row.scope != ScopeInput) return true;
    int64_t& total = row.scope == ScopeOutput ? TheDataTable.outputSize : TheDataTable.inputSize;
    total += row.size;
    if (total > MaxExchangedBytes) {
      refusal.column = HeaderNames[SizeColumn];
      refusal.reason = std::string("the ") + (row.scope == ScopeOutput ? "OUTPUT" : "INPUT") + " rows come to " +
                       std::to_string(total) + " bytes here, beyond the " + std::to_string(MaxExchangedBytes) +
                       " of an EtherNet/IP assembly";
      return false;
    }
    return true;
  }
};

bool ReadRows(TableLineReader& reader, TableRefusal& refusal) {
  std::string line;
  TableLine read = ReadTableLine(reader, line);
  refusal.line = reader.lineNumber == 0 ? 1 : reader.lineNumber;
  if (read == TableLine::TooLong) {
    refusal.reason = "longer than " + std::to_string(MaxTableLineLength) + " bytes, which no table line is";
    return false;
  }
  if (line.starts_with(ByteOrderMark)) line.erase(0, ByteOrderMark.size());
  ColumnPositions columns;
  if (!ReadHeader(DecodeTableLine(line), columns, refusal)) return false;

  TableChecks checks;
  RowFields fields;
  while ((read = ReadTableLine(reader, line)) != TableLine::End) {
    refusal.line = reader.lineNumber;
    if (read == TableLine::TooLong) {
      refusal.reason = "longer than " + std::to_string(MaxTableLineLength) + " bytes, which no table line is";
      return false;
    }
    bool blank;
    if (!SplitRow(DecodeTableLine(line), columns, fields, blank, refusal)) return false;
    if (blank) continue;
    DataRow row;
    if (!ConvertRow(fields, row, refusal) || !checks.Add(row, reader.lineNumber, refusal)) return false;
    TheDataTable.rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace

void ReleaseDataTable() {
  TheDataTable.rows.clear();
  TheDataTable.rows.shrink_to_fit();
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
  SetFieldbusRefusal("");
  if (!FileExists(fileName)) {
    PutString(ReportStream, fileName);
    PutText(ReportStream, " not found\r\n");
    SetFieldbusRefusal(std::string(fileName.View()) + " not found");
    return false;
  }
  BufferedFile* file = nullptr;
  int error = FileOpen(file, fileName);
  if (error != 0) FatalSystemError(error);
  TableLineReader reader{file};
  TableRefusal refusal{};
  bool read = ReadRows(reader, refusal);
  FileClose(file);
  if (!read) {
    ReleaseDataTable();
    std::string text = RefusalText(refusal);
    PutString(ReportStream, fileName);
    PutText(ReportStream, " ");
    PutText(ReportStream, text);
    PutText(ReportStream, "\r\n");
    SetFieldbusRefusal(text);
    return false;
  }
  TheDataTable.rowCount = static_cast<int32_t>(TheDataTable.rows.size());
  return true;
}
