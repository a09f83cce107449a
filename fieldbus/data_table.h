// The data table: what a unit with a fieldbus interface exchanges on the bus, one
// row per data item, as the unit exports it in a comma-separated file. The template
// engine walks it with a row cursor and, inside a row, with a bit cursor over the
// names of a bit string's bits.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/string.h"

// Scopes and types as the table names them; the type codes are the Anybus
// CompactCom data type numbers.
inline constexpr uint8_t ScopeOutput = 0;
inline constexpr uint8_t ScopeInput = 1;
inline constexpr uint8_t ScopeSetting = 2;
inline constexpr uint8_t ScopeGlobal = 3;
inline constexpr uint8_t TypeBool = 0;
inline constexpr uint8_t TypeSigned32 = 3;
inline constexpr uint8_t TypeBits16 = 10;
inline constexpr uint8_t TypeReal32 = 18;

struct DataRow {
  int16_t address;
  String name;
  uint8_t size;  // bytes
  uint8_t type;
  uint8_t scope;
  double minimum;
  double maximum;
  float defaultValue;
  int16_t decimals;
  String units;
  String bitNames;  // comma-separated, quoted as table fields are
};

struct DataTable {
  std::vector<DataRow> rows;
  int32_t rowCount;
  int64_t outputSize;  // bytes of the OUTPUT rows
  int64_t inputSize;   // bytes of the INPUT rows
  int32_t rowIndex;    // -1 before the first row, rowCount after the last
  int16_t bitPosition;
  int16_t bitNumber;
  String bitName;
};

// The one table of the program, replaced by every ReadDataTable.
extern DataTable TheDataTable;

// False with "<file> not found" on the report stream when the file is missing. A
// table that any description file could not carry as it stands is refused: false,
// the table left empty, and "<file> line N, COLUMN: reason" on the report stream
// (LastFieldbusRefusal keeps "line N, COLUMN: reason"). Blank lines are no rows.
bool ReadDataTable(const String& fileName);
// Empties the table, as before the first read.
void ReleaseDataTable();

int64_t TableOutputSize();
int64_t TableInputSize();
int32_t TableRowCount();
int32_t TableRowIndex();

void ResetRowCursor();
// Moves to the next row; false once past the last (the index stays at the count).
bool NextRow();

// The current row's fields; 0 or empty when the cursor is on no row.
int16_t RowAddress();
String RowName();
uint8_t RowSize();
uint8_t RowType();
uint8_t RowScope();
double RowMinimum();
double RowMaximum();
float RowDefault();
int16_t RowDecimals();
String RowUnits();
String RowBitNames();

void ResetBitCursor();
// Takes the next name from the current row's bit names; an empty name still takes
// its place, so bit numbers follow the names' places in the list.
bool NextBit();
int16_t BitNumber();
String BitName();
