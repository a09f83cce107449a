#include "fieldbus/format_value.h"

#include "fieldbus/data_table.h"
#include "fieldbus/float_conversion.h"
#include "fieldbus/text_stream.h"
#include "runtime/number_format.h"

std::string FormatValue(double number, uint8_t type) {
  std::string text;
  TextStream out(text);
  switch (type) {
    case TypeBool: PutChar(out, number == 0 ? '0' : '1'); break;
    case TypeBits16:
      PutText(out, "0x");
      PutHex4(out, static_cast<uint64_t>(TruncateTowardZero(number)));
      break;
    case TypeReal32: PutReal(out, SinglePrecision(number), 7); break;
    case TypeSigned32: PutInt(out, TruncateTowardZero(number)); break;
  }
  return text;
}
