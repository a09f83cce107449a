#include "fieldbus/lookup.h"

#include <utility>

#include "fieldbus/data_table.h"
#include "fieldbus/fieldbus_keys.h"
#include "fieldbus/float_conversion.h"
#include "fieldbus/format_value.h"
#include "fieldbus/text_escape.h"
#include "fieldbus/text_stream.h"
#include "fieldbus/upper_case_match.h"
#include "runtime/console_streams.h"
#include "runtime/window_hooks.h"

int32_t SerialCounter = 0;

namespace {

struct Value {
  float number;
  std::string text;
};

std::string Decimal(int64_t value) {
  std::string text;
  TextStream out(text);
  PutInt(out, value);
  return text;
}

Value Integer(int64_t value) { return {static_cast<float>(value), Decimal(value)}; }

// A text with the number 0, as the keys that are only written give.
Value Text(std::string text) { return {0, std::move(text)}; }

Value TableText(const String& text) { return Text(EscapeText(text.View(), CurrentTextEscape)); }

Value Limit(double number) { return {SinglePrecision(number), FormatValue(number, RowType())}; }

// The address sign-extended to 32 bits.
Value AddressHex() {
  std::string text = "0x";
  TextStream out(text);
  PutHex8(out, static_cast<uint32_t>(static_cast<int32_t>(RowAddress())));
  return Text(text);
}

Value DecimalPlaces() {
  int16_t decimals = RowDecimals();
  return decimals == 0 ? Text("") : Integer(decimals);
}

Value Serial() { return Integer(SerialCounter++); }

struct Key {
  std::string_view name;
  Value (*value)();
};

constexpr Key Keys[] = {
    {"INPUTSIZE", [] { return Integer(TableInputSize()); }},
    {"INPUTBITSIZE", [] { return Integer(TableInputSize() * 8); }},
    {"OUTPUTSIZE", [] { return Integer(TableOutputSize()); }},
    {"OUTPUTBITSIZE", [] { return Integer(TableOutputSize() * 8); }},
    {"INDEX", [] { return Integer(TableRowIndex()); }},
    {"COUNT", [] { return Integer(TableRowCount()); }},
    {"DATAADDRESS", [] { return Text(Decimal(RowAddress())); }},
    {"DATAADDRESS_HEX", AddressHex},
    {"DATANAME", [] { return TableText(RowName()); }},
    {"DATASIZE", [] { return Integer(RowSize()); }},
    {"DATABITSIZE", [] { return Integer(RowSize() * 8); }},
    {"MINVALUE", [] { return Limit(RowMinimum()); }},
    {"MAXVALUE", [] { return Limit(RowMaximum()); }},
    {"DEFAULTVALUE", [] { return Limit(RowDefault()); }},
    {"DECIMALPLACES", DecimalPlaces},
    {"UNITS", [] { return TableText(RowUnits()); }},
    {"SERIAL", Serial},
    {"BITNO", [] { return Text(Decimal(BitNumber())); }},
    {"BITNAME", [] { return TableText(BitName()); }},
    {"ETHIPLINKPATHSIZE", [] { return Value{7, "7"}; }},
    {"ETHIPLINKPATH", [] { return Text(EthIpLinkPath()); }},
    {"ETHIPDESCRIPTOR", [] { return Text(EthIpDescriptor()); }},
    {"ETHIPDATATYPE", [] { return Text(EthIpDataType()); }},
    {"ETHIPDATATYPEDESCRIPTION", [] { return Text(EthIpDataTypeDescription()); }},
    {"ETHENUM", [] { return Text(EthEnum()); }},
    {"PROFINETDATATYPE", [] { return Text(ProfinetDataType()); }},
    {"PROFINETUSEASBITS", [] { return Text(ProfinetUseAsBits()); }},
    {"PROFIBUSMODULE", [] { return Text(ProfibusModule()); }},
    {"CANOPENDICTIONARY", [] { return Text(CanopenDictionary()); }},
    {"CANOPENDATATYPE", [] { return Text(CanopenDataType()); }},
    {"CANOPENACCESS", [] { return Text(CanopenAccess()); }},
    {"CANOPENPDOMAPPING", [] { return Text(CanopenPdoMapping()); }},
};

}  // namespace

bool Lookup(std::string_view key, float& number, std::string& text) {
  for (const Key& known : Keys) {
    if (!MatchesUpperCase(key, known.name)) continue;
    Value value = known.value();
    number = value.number;
    text = std::move(value.text);
    ProgressTick();
    return true;
  }
  PutText(StandardError, "\r\nLookup not found: ");
  PutText(StandardError, key);
  return false;
}
