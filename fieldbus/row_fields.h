// One row of the data table, from the texts of its fields to a DataRow, with every
// value checked against what the four description files can carry: a row either
// says in every file what the table says, or it is refused with its reason.
#pragma once

#include <string>

#include "fieldbus/data_table.h"
#include "fieldbus/table_columns.h"
#include "fieldbus/table_refusal.h"

// The addresses a row may have: address + 0x2001 is its CANopen object, which must
// stay among the manufacturer's objects (0x2000 to 0x5FFF), and 0 would give the
// PROFINET module ident number 0, which the GSDML schema forbids.
inline constexpr int64_t FirstAddress = 1;
inline constexpr int64_t LastAddress = 0x5FFF - 0x2001;

struct RowFields {
  std::string text[ColumnCount];  // UTF-8, quoting removed
};

// True with row filled; false with the column and the reason in refusal (its line
// is the caller's).
bool ConvertRow(const RowFields& fields, DataRow& row, TableRefusal& refusal);

// A field that holds nothing but spaces.
bool IsBlank(const std::string& text);
