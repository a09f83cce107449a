// The columns of a data table, named by its header.
#pragma once

#include <string_view>

// In the order that decides which column a field fills when two share a position
// (only position 0 can be shared: the one missing column, see ReadDataTable).
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

// As the header holds them, compared after upper-casing; refusals name a column so.
inline constexpr std::string_view HeaderNames[ColumnCount] = {
    "DATA ADDRESS", "DATA NAME", "SCOPE", "SIZE", "TYPE", "MIN", "MAX", "DEFAULT", "DECIMAL PLACES", "UNITS",
    "BIT NAMES"};
