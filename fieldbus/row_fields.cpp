#include "fieldbus/row_fields.h"

#include <cfloat>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include "fieldbus/float_conversion.h"
#include "fieldbus/table_numbers.h"
#include "fieldbus/table_text.h"
#include "generic/parse_fields.h"
#include "generic/string_utility.h"

namespace {

// The EtherNet/IP parameter's data size is a USINT.
constexpr int64_t MaxSize = 255;
// A PROFIBUS module's length byte counts at most 64 words, or 64 bytes.
constexpr int64_t MaxProfibusWords = 64;
constexpr int64_t MaxProfibusBytes = 64;
// The EtherNet/IP parameter's decimal places are a USINT.
constexpr int64_t MaxDecimals = 255;

struct Keyword {
  std::string_view word;
  uint8_t code;
};

constexpr Keyword Scopes[] = {
    {"OUTPUT", ScopeOutput}, {"INPUT", ScopeInput}, {"SETTING", ScopeSetting}, {"GLOBAL", ScopeGlobal}};
constexpr Keyword Types[] = {
    {"BOOL", TypeBool}, {"SIGNED32", TypeSigned32}, {"BITS16", TypeBits16}, {"REAL32", TypeReal32}};

std::string_view TypeName(uint8_t type) {
  for (const Keyword& keyword : Types) {
    if (keyword.code == type) return keyword.word;
  }
  return {};
}

// Spaces and control characters are all a reader of the files would see of some
// texts: they all become spaces.
bool HasVisibleCharacter(std::string_view text) {
  size_t at = 0;
  char32_t c;
  while (NextCodePoint(text, at, c)) {
    if (c > 0x20 && (c < 0x7F || c > 0xA0)) return true;
  }
  return false;
}

class RowCheck {
 public:
  RowCheck(const RowFields& fields, TableRefusal& refusal) : fields_(fields), refusal_(refusal) {}

  const std::string& Text(Column column) const { return fields_.text[column]; }
  // A number as the field writes it, for the reasons.
  std::string Number(Column column) const { return Shown(TrimBlanks(Text(column))); }

  bool Refuse(Column column, std::string reason) {
    refusal_.column = HeaderNames[column];
    refusal_.reason = std::move(reason);
    return false;
  }

  bool TableText(Column column, String& value, bool mayBeBlank) {
    const std::string& text = Text(column);
    if (text.size() > static_cast<size_t>(MaxStringLength)) {
      return Refuse(column, "longer than " + std::to_string(MaxStringLength) + " bytes");
    }
    if (!mayBeBlank && !HasVisibleCharacter(text)) {
      return Refuse(column, "empty: every description file names the item by it");
    }
    value = String::Copy(text);
    return true;
  }

  template <size_t N>
  bool Choice(Column column, const Keyword (&words)[N], uint8_t& code) {
    String upper = UpperCase(TrimBlanks(Text(column)));
    std::string names;
    for (const Keyword& keyword : words) {
      if (upper.View() == keyword.word) {
        code = keyword.code;
        return true;
      }
      names += (names.empty() ? "" : ", ") + std::string(keyword.word);
    }
    return Refuse(column, Quoted(Text(column)) + " is none of " + names);
  }

  bool Whole(Column column, int64_t& value) {
    std::optional<int64_t> number = ReadWholeNumber(Text(column));
    if (!number) return Refuse(column, Quoted(Text(column)) + " is not a whole decimal number");
    value = *number;
    return true;
  }

  bool Real(Column column, double& value) {
    std::optional<double> number = ReadRealNumber(Text(column));
    if (!number) return Refuse(column, Quoted(Text(column)) + " is not a number");
    value = *number;
    return true;
  }

 private:
  const RowFields& fields_;
  TableRefusal& refusal_;
};

bool Address(RowCheck& check, DataRow& row) {
  int64_t address;
  if (!check.Whole(AddressColumn, address)) return false;
  if (address < FirstAddress) {
    return check.Refuse(AddressColumn, check.Number(AddressColumn) + " is below " + std::to_string(FirstAddress) +
                                           ": a PROFINET module ident number of 0 is not allowed, and the "
                                           "CANopen object (0x2001 + address) must stay above 0x2001");
  }
  if (address > LastAddress) {
    return check.Refuse(AddressColumn, check.Number(AddressColumn) + " is beyond " + std::to_string(LastAddress) +
                                           ": the CANopen object (0x2001 + address) would leave the "
                                           "manufacturer's objects, which end at 0x5FFF");
  }
  row.address = static_cast<int16_t>(address);
  return true;
}

bool Size(RowCheck& check, DataRow& row) {
  int64_t size;
  if (!check.Whole(SizeColumn, size)) return false;
  std::string bytes = check.Number(SizeColumn) + " bytes";
  if (size < 1) return check.Refuse(SizeColumn, bytes + ": a data item holds at least 1");
  if (size > MaxSize) {
    return check.Refuse(SizeColumn, bytes + " is beyond " + std::to_string(MaxSize) +
                                        ", the largest size an EtherNet/IP parameter carries");
  }
  bool exchanged = row.scope == ScopeOutput || row.scope == ScopeInput;
  bool fitsProfibus = size % 2 == 0 ? size / 2 <= MaxProfibusWords : size <= MaxProfibusBytes;
  if (exchanged && !fitsProfibus) {
    return check.Refuse(SizeColumn, bytes + " is more than one PROFIBUS module carries (" +
                                        std::to_string(2 * MaxProfibusWords) + " bytes, " +
                                        std::to_string(MaxProfibusBytes - 1) + " for an odd size)");
  }
  row.size = static_cast<uint8_t>(size);
  return true;
}

// The values a limit of each type may take, as FormatValue writes them: integers
// truncated toward zero. A BOOL is written as 0 for zero and 1 for anything else,
// which every number is.
bool InRange(double value, uint8_t type) {
  switch (type) {
    case TypeBool: return true;
    case TypeSigned32: return std::trunc(value) >= -2147483648.0 && std::trunc(value) <= 2147483647.0;
    case TypeBits16: return std::trunc(value) >= 0 && std::trunc(value) <= 65535;
    default: return std::fabs(value) <= FLT_MAX;
  }
}

const char* RangeText(uint8_t type) {
  switch (type) {
    case TypeSigned32: return "outside -2147483648 to 2147483647, the range of a SIGNED32";
    case TypeBits16: return "outside 0 to 65535, the range of a BITS16";
    default: return "beyond the range of a REAL32 (3.402823E38 either way)";
  }
}

bool Limit(RowCheck& check, Column column, uint8_t type, double& value) {
  if (!check.Real(column, value)) return false;
  if (!InRange(value, type)) return check.Refuse(column, check.Number(column) + " is " + RangeText(type));
  return true;
}

bool Limits(RowCheck& check, DataRow& row) {
  double defaultValue;
  if (!Limit(check, MinimumColumn, row.type, row.minimum) || !Limit(check, MaximumColumn, row.type, row.maximum) ||
      !Limit(check, DefaultColumn, row.type, defaultValue)) {
    return false;
  }
  // The default is kept in single precision, which may carry it over the edge.
  row.defaultValue = SinglePrecision(defaultValue);
  if (!InRange(row.defaultValue, row.type)) {
    return check.Refuse(DefaultColumn, check.Number(DefaultColumn) + " becomes " +
                                           std::to_string(TruncateTowardZero(row.defaultValue)) +
                                           " in the single precision a default is kept in, " + RangeText(row.type));
  }
  return true;
}

bool Decimals(RowCheck& check, DataRow& row) {
  // An empty field says no decimal places, as the files write 0.
  if (IsBlank(check.Text(DecimalsColumn))) return true;
  int64_t decimals;
  if (!check.Whole(DecimalsColumn, decimals)) return false;
  if (decimals < 0 || decimals > MaxDecimals) {
    return check.Refuse(DecimalsColumn, check.Number(DecimalsColumn) + " is outside 0 to " +
                                            std::to_string(MaxDecimals) +
                                            ", the decimal places an EtherNet/IP parameter carries");
  }
  row.decimals = static_cast<int16_t>(decimals);
  return true;
}

// The bits of a row's data type: the PROFINET bit items lie within them.
int BitsOf(uint8_t type) {
  switch (type) {
    case TypeBool: return 8;  // written as Unsigned8
    case TypeBits16: return 16;
    default: return 32;
  }
}

bool BitNames(RowCheck& check, DataRow& row) {
  if (!check.TableText(BitNamesColumn, row.bitNames, true)) return false;
  CsvCursor cursor;
  std::string name;
  while (ReadCsvField(check.Text(BitNamesColumn), cursor, name)) {
    std::string place = "the name at place " + std::to_string(cursor.column + 1);
    if (cursor.quoteLeftOpen) return check.Refuse(BitNamesColumn, place + " opens a quote that is not closed");
    if (!name.empty() && cursor.column >= BitsOf(row.type)) {
      return check.Refuse(BitNamesColumn, place + ", " + Quoted(name) + ", is beyond the " +
                                              std::to_string(BitsOf(row.type)) + " bits of a " +
                                              std::string(TypeName(row.type)));
    }
  }
  return true;
}

}  // namespace

bool IsBlank(const std::string& text) { return TrimBlanks(text).empty(); }

bool ConvertRow(const RowFields& fields, DataRow& row, TableRefusal& refusal) {
  RowCheck check(fields, refusal);
  row = DataRow{};
  return Address(check, row) && check.TableText(NameColumn, row.name, false) &&
         check.Choice(ScopeColumn, Scopes, row.scope) && Size(check, row) &&
         check.Choice(TypeColumn, Types, row.type) && Limits(check, row) && Decimals(check, row) &&
         check.TableText(UnitsColumn, row.units, true) && BitNames(check, row);
}
