// Texts from the data table (data names, units, bit names) written into a
// description file: each format has characters that would end or break the text
// it stands in, so they are written in that format's own way.
#pragma once

#include <string>
#include <string_view>

enum class TextEscape {
  None,       // CANopen EDS values run to the end of the line; nothing is special
  EdsString,  // EtherNet/IP EDS strings: \" and \\ as in C
  GsdString,  // PROFIBUS GSD strings have no escape: a double quote becomes a single one
  Xml,        // GSDML attribute values: character references
};

// Control characters become spaces in every quoted format: there they end a line or
// are not allowed at all.
std::string EscapeText(std::string_view text, TextEscape escape);

// The escape of the file being generated; the text keys of the lookup use it.
extern TextEscape CurrentTextEscape;
