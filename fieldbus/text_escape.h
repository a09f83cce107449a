// Texts from the data table (data names, units, bit names) written into a
// description file. The table's texts are UTF-8; each format has its own
// character set and its own characters that would end or break the text they stand
// in, so each text is written in that format's own way.
#pragma once

#include <string>
#include <string_view>

enum class TextEscape {
  None,          // as the table holds it
  EdsString,     // EtherNet/IP EDS strings: plain ASCII, \" and \\ as in C
  GsdString,     // PROFIBUS GSD strings: plain ASCII and no escape, so a double quote becomes a single one
  Xml,           // GSDML attribute values, in the ISO-8859-1 the file declares; references for the rest
  CanopenValue,  // CANopen EDS values: plain ASCII to the line end, where ';' would start a comment
};

// Control characters become spaces in every format: there they end a line or are
// not allowed at all. Beyond a format's character set a character becomes its
// readable ASCII stand-in (AsciiFallback), or in XML a character reference.
std::string EscapeText(std::string_view text, TextEscape escape);

// The escape of the file being generated; the text keys of the lookup use it.
extern TextEscape CurrentTextEscape;
