#include "fieldbus/template_engine.h"

#include <cstdint>
#include <string>

#include "fieldbus/data_table.h"
#include "fieldbus/evaluate.h"
#include "fieldbus/upper_case_match.h"
#include "runtime/console_streams.h"
#include "runtime/window_hooks.h"

namespace {

// A tab stop further right than this is a template fault; padding stops there so
// that a runaway number cannot fill the disk.
constexpr int64_t MaxTabColumn = 1024;

// Reads a template or a block's text; past the end it gives 0.
struct Reader {
  std::string_view text;
  size_t position;

  bool Ended() const { return position >= text.size(); }
  uint8_t Next() {
    if (Ended()) {
      ++position;
      return 0;
    }
    return static_cast<uint8_t>(text[position++]);
  }
};

struct Output {
  Stream* stream;
  int64_t column;  // characters since the last CR or LF, for the tab stops
};

void Write(Output& output, uint8_t c) {
  PutChar(*output.stream, c);
  output.column = c == '\r' || c == '\n' ? 0 : output.column + 1;
}

void Write(Output& output, std::string_view text) {
  for (char c : text) Write(output, static_cast<uint8_t>(c));
}

bool Fail(const char* message) {
  PutText(StandardError, "\r\nGenerateConfigurationFile");
  PutText(StandardError, message);
  return false;
}

bool StartsWith(std::string_view text, std::string_view upperPrefix) {
  return MatchesUpperCase(text.substr(0, upperPrefix.size()), upperPrefix);
}

// The placeholder after its opening '%': up to the closing '%' or the first control
// character (a line end cuts an unclosed one), which is consumed.
void Placeholder(Reader& reader, Output& output) {
  size_t start = reader.position;
  while (!reader.Ended() && reader.text[reader.position] != '%' &&
         static_cast<uint8_t>(reader.text[reader.position]) >= 0x20) {
    ++reader.position;
  }
  std::string_view text = reader.text.substr(start, reader.position - start);
  reader.Next();
  if (!StartsWith(text, "TAB=")) {
    Write(output, Evaluate(text));
    return;
  }
  int64_t stop = ReadInt(String::Copy(Evaluate(text.substr(4))));
  if (stop > MaxTabColumn) stop = MaxTabColumn;
  while (output.column < stop) Write(output, ' ');
}

void ExpandBits(std::string_view body, Output& output) {
  ResetBitCursor();
  while (NextBit()) {
    if (BitName().Empty()) continue;
    Reader reader{body, 0};
    while (!reader.Ended()) {
      uint8_t c = reader.Next();
      if (c == '%') Placeholder(reader, output);
      else Write(output, c);
    }
  }
}

bool ExpandRow(std::string_view body, Output& output) {
  Reader reader{body, 0};
  while (!reader.Ended()) {
    uint8_t c = reader.Next();
    if (c == '%') {
      Placeholder(reader, output);
    } else if (c == '{') {
      size_t start = reader.position;
      size_t end = body.find('}', start);
      if (end == std::string_view::npos) end = body.size();
      std::string_view inner = body.substr(start, end - start);
      reader.position = end + 1;
      if (!StartsWith(inner, "BITS=")) return Fail(" expected bits");
      ExpandBits(inner.substr(5), output);
    } else {
      Write(output, c);
    }
  }
  return true;
}

// The block after its opening '{', without its closing '}'; one inner pair of
// braces may come inside and stays in the text.
bool CollectBlock(Reader& reader, std::string& block) {
  bool inInner = false;
  for (;;) {
    uint8_t c = reader.Next();
    if (c == 0) return Fail(" unexpected end");
    if (c == '{') {
      if (inInner) return Fail(" nesting too deep");
      inInner = true;
    } else if (c == '}') {
      if (!inInner) return true;
      inInner = false;
    }
    block += static_cast<char>(c);
  }
}

bool ExpandBlock(std::string_view block, Output& output) {
  int scope = -1;
  std::string_view body = block;
  if (StartsWith(block, "OUTPUT=")) {
    scope = ScopeOutput;
    body = block.substr(7);
  } else if (StartsWith(block, "INPUT=")) {
    scope = ScopeInput;
    body = block.substr(6);
  } else if (StartsWith(block, "BITS=")) {
    ResetRowCursor();
    while (NextRow()) ExpandBits(block.substr(5), output);
    return true;
  }
  ResetRowCursor();
  while (NextRow()) {
    if (scope >= 0 && RowScope() != scope) continue;
    if (!ExpandRow(body, output)) return false;
  }
  return true;
}

}  // namespace

bool GenerateConfigurationFile(std::string_view templateText, Stream& stream) {
  Reader reader{templateText, 0};
  Output output{&stream, 0};
  std::string block;
  while (!reader.Ended()) {
    uint8_t c = reader.Next();
    if (c == '%') {
      Placeholder(reader, output);
    } else if (c == '{') {
      block.clear();
      if (!CollectBlock(reader, block) || !ExpandBlock(block, output)) return false;
    } else if (c == 0) {
      return Fail(" unexpected end");
    } else {
      Write(output, c);
    }
  }
  ProgressTick();
  return true;
}
