// The cursors over the data table and the current row's fields.
#include "fieldbus/data_table.h"

#include "generic/parse_fields.h"

namespace {

const DataRow* CurrentRow() {
  const DataTable& table = TheDataTable;
  if (table.rowIndex < 0 || table.rowIndex >= table.rowCount) return nullptr;
  return &table.rows[table.rowIndex];
}

}  // namespace

int64_t TableOutputSize() { return TheDataTable.outputSize; }
int64_t TableInputSize() { return TheDataTable.inputSize; }
int32_t TableRowCount() { return TheDataTable.rowCount; }
int32_t TableRowIndex() { return TheDataTable.rowIndex; }

void ResetRowCursor() { TheDataTable.rowIndex = -1; }

bool NextRow() {
  DataTable& table = TheDataTable;
  if (table.rowIndex < table.rowCount) ++table.rowIndex;
  return table.rowIndex < table.rowCount;
}

int16_t RowAddress() { return CurrentRow() ? CurrentRow()->address : 0; }
String RowName() { return CurrentRow() ? CurrentRow()->name : String(); }
uint8_t RowSize() { return CurrentRow() ? CurrentRow()->size : 0; }
uint8_t RowType() { return CurrentRow() ? CurrentRow()->type : 0; }
uint8_t RowScope() { return CurrentRow() ? CurrentRow()->scope : 0; }
double RowMinimum() { return CurrentRow() ? CurrentRow()->minimum : 0; }
double RowMaximum() { return CurrentRow() ? CurrentRow()->maximum : 0; }
float RowDefault() { return CurrentRow() ? CurrentRow()->defaultValue : 0; }
int16_t RowDecimals() { return CurrentRow() ? CurrentRow()->decimals : 0; }
String RowUnits() { return CurrentRow() ? CurrentRow()->units : String(); }
String RowBitNames() { return CurrentRow() ? CurrentRow()->bitNames : String(); }

void ResetBitCursor() {
  TheDataTable.bitPosition = 0;
  TheDataTable.bitNumber = 0;
  TheDataTable.bitName.Clear();
}

bool NextBit() {
  const DataRow* row = CurrentRow();
  static const String noNames;
  DataTable& table = TheDataTable;
  return ReadCsvField(row ? row->bitNames : noNames, table.bitPosition, table.bitNumber, table.bitName);
}

int16_t BitNumber() { return TheDataTable.bitNumber; }
String BitName() { return TheDataTable.bitName; }
