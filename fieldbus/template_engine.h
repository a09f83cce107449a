// Expands a description file template against the data table. Text between two
// percent signs is a placeholder, replaced by its evaluated expression; "%Tab=n%"
// pads the line with spaces to column n. Text between braces is a block, repeated
// per row: "{OUTPUT=...}" and "{INPUT=...}" for the rows of that scope, "{BITS=...}"
// for every named bit of every row, any other block for every row. A row block may
// hold one inner "{BITS=...}" block, repeated for the row's named bits.
#pragma once

#include <string_view>

#include "runtime/stream.h"

// False on a template fault (" nesting too deep", " unexpected end", " expected
// bits" on standard error); what was written until then stays written.
bool GenerateConfigurationFile(std::string_view templateText, Stream& output);
