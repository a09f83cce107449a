#include "fieldbus/fieldbus_keys.h"

#include <cstdint>
#include <string_view>

#include "fieldbus/data_table.h"
#include "fieldbus/text_escape.h"
#include "fieldbus/text_stream.h"
#include "generic/parse_fields.h"

namespace {

// The text for the current row's type: BOOL, SIGNED32, BITS16, REAL32.
struct TypeTexts {
  std::string_view boolText;
  std::string_view signed32Text;
  std::string_view bits16Text;
  std::string_view real32Text;
};

std::string ForType(const TypeTexts& texts) {
  switch (RowType()) {
    case TypeBool: return std::string(texts.boolText);
    case TypeSigned32: return std::string(texts.signed32Text);
    case TypeBits16: return std::string(texts.bits16Text);
    case TypeReal32: return std::string(texts.real32Text);
  }
  return {};
}

uint16_t AddressBits() { return static_cast<uint16_t>(RowAddress()); }

// The length byte of a module that exchanges data, consistent over its whole
// length: in words for an even size, in bytes for an odd one, which words would
// miscount (a BOOL's 1 byte as 0 words, 3 bytes as 1 word).
int ProfibusLength(int size) { return (size % 2 == 0 ? 0xC0 + size / 2 - 1 : 0x80 + size - 1) & 0xFF; }

// One line per non-empty bit name of the current row, with a comma before all but
// the first, as the Enum and Fixed lists want them: the bit number, a comma and
// whatever write puts for the name.
template <typename Write>
void PutBitList(Stream& out, Write write) {
  String names = RowBitNames();
  int16_t position = 0;
  int16_t bitNumber = 0;
  String name;
  bool first = true;
  while (ReadCsvField(names, position, bitNumber, name)) {
    if (name.Empty()) continue;
    if (!first) PutChar(out, ',');
    first = false;
    PutText(out, "\r\n                ");
    PutInt(out, bitNumber);
    PutChar(out, ',');
    write(name);
  }
}

bool NamesABit() {
  String names = RowBitNames();
  int16_t position = 0;
  int16_t bitNumber = 0;
  String name;
  while (ReadCsvField(names, position, bitNumber, name)) {
    if (!name.Empty()) return true;
  }
  return false;
}

}  // namespace

std::string EthIpLinkPath() {
  std::string text;
  TextStream out(text);
  PutPieces(out, "\"20 A2 25 ", Hex{AddressBits() & 0xFF, 2}, " ", Hex{AddressBits() >> 8, 2}, " 30 05\"");
  return text;
}

std::string EthIpDescriptor() { return RowScope() == ScopeOutput ? "0x0010" : "0x0000"; }

std::string EthIpDataType() { return ForType({"0xC1", "0xC4", "0xD2", "0xCA"}); }

std::string EthIpDataTypeDescription() {
  // The dashes are U+2013 in UTF-8.
  return ForType({"Logical Boolean with values TRUE and FALSE", "Signed 32\xE2\x80\x93" "bit integer value",
                  "Bit string - 16 bits", "32\xE2\x80\x93" "bit floating point value"});
}

std::string EthEnum() {
  std::string text;
  // A list of names that are all empty ("," for one) names no bit: an Enum entry
  // without a single pair is no entry PLC tools read.
  if (RowType() != TypeBits16 || !NamesABit()) return text;
  TextStream out(text);
  int32_t parameter = TableRowIndex() + 1;
  PutText(out, "\r\n        Enum");
  PutInt(out, parameter);
  PutText(out, " = ");
  PutBitList(out, [&](const String& name) {
    PutChar(out, '"');
    PutText(out, EscapeText(name.View(), CurrentTextEscape));
    PutChar(out, '"');
  });
  PutText(out, ";\r\n        Fixed");
  PutInt(out, parameter);
  PutText(out, " = ");
  PutBitList(out, [&](const String&) { PutChar(out, '0'); });
  PutChar(out, ';');
  return text;
}

std::string ProfinetDataType() { return ForType({"Unsigned8", "Integer32", "Unsigned16", "Float32"}); }

std::string ProfinetUseAsBits() { return RowType() == TypeBits16 ? " UseAsBits=\"true\"" : ""; }

std::string ProfibusModule() {
  std::string text;
  TextStream out(text);
  uint8_t scope = RowScope();
  PutPieces(out, "0x", Hex{scope == ScopeOutput ? 0x43 : scope == ScopeInput ? 0x83 : 0x03, 2});
  if (scope == ScopeOutput || scope == ScopeInput) PutPieces(out, ",0x", Hex{ProfibusLength(RowSize()), 2});
  PutPieces(out, ",0x00,0x", Hex{AddressBits() & 0xFF, 2}, ",0x", Hex{AddressBits() >> 8, 2});
  return text;
}

std::string CanopenDictionary() {
  std::string text;
  TextStream out(text);
  PutHex4(out, (AddressBits() + 0x2001) & 0xFFFF);
  return text;
}

std::string CanopenDataType() { return ForType({"0x0001", "0x0004", "0x0006", "0x0008"}); }

std::string CanopenAccess() { return RowScope() == ScopeOutput ? "ro" : "rw"; }

std::string CanopenPdoMapping() {
  switch (RowScope()) {
    case ScopeOutput:
    case ScopeInput: return "1";
    case ScopeSetting:
    case ScopeGlobal: return "0";
  }
  return {};
}
