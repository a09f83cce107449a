// Why a data table was refused: the line of the file, the column and the reason,
// as the operator reads them ("line 7, DATA ADDRESS: 0 is below 1, ...").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/string.h"

struct TableRefusal {
  int64_t line;        // 1 for the header
  std::string column;  // empty for the line as a whole
  std::string reason;
};

// "line 7, DATA ADDRESS: <reason>", or "line 7: <reason>" without a column.
std::string RefusalText(const TableRefusal& refusal);

// A field's text as a reason shows it: control characters as '?', a long text cut
// short with "...".
std::string Shown(std::string_view text);
// The same between double quotes; "an empty field" for an empty one.
std::string Quoted(std::string_view text);

// The reason the last generation did not happen, for the caller's own message
// ("Unable to generate fieldbus files"): empty after a success.
String LastFieldbusRefusal();
void SetFieldbusRefusal(std::string_view text);
