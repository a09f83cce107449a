#include "fieldbus/table_lines.h"

TableLine ReadTableLine(TableLineReader& reader, std::string& line) {
  line.clear();
  bool any = false;
  for (;;) {
    uint8_t c = FileGetByte(reader.file);
    if (FileEnd(reader.file)) break;
    bool lineFeedOfPair = c == '\n' && reader.afterCarriageReturn && !any;
    reader.afterCarriageReturn = c == '\r';
    if (lineFeedOfPair) continue;
    if (!any) ++reader.lineNumber;
    any = true;
    if (c == '\r' || c == '\n') return TableLine::Read;
    if (line.size() == MaxTableLineLength) return TableLine::TooLong;
    line += static_cast<char>(c);
  }
  return any ? TableLine::Read : TableLine::End;
}
