// The printable one-line form of an associative array: a field per entry, each the
// key in decimal, a type letter, the value and a comma (the last one too). For
// example key 1 = unsigned 0x1234, key 2 = true, key 5 = the text "a,b" read
//
//   1x1234,2T,5sa\cb,
//
// Letters: T true, c character, x unsigned (2, 4 or 8 hex digits), i signed decimal,
// r single and R double precision real, s text, b bytes (hex pairs). Text escapes
// "\r", "\n", "\t", "\c" (comma), "\\" and "\" with two hex digits for any other
// character below 0x20 or from 0x80.
#pragma once

#include "generic/aarray.h"

String AAToText(const AArray& array);
// Invalid fields and field ends are reported on the standard-error stream and passed
// over; the fields read so far stay.
AArray TextToAA(const String& text);
