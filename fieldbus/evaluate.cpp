#include "fieldbus/evaluate.h"

#include <charconv>
#include <cstdlib>
#include <string>

#include "fieldbus/float_conversion.h"
#include "fieldbus/lookup.h"
#include "fieldbus/text_stream.h"
#include "runtime/console_streams.h"
#include "runtime/number_format.h"

namespace {

enum class Token { End, Operator, Number, Key, Invalid };

struct Scanner {
  std::string_view source;
  size_t position;
  Token token;
  std::string_view tokenText;
  float tokenNumber;
  std::string keyText;  // the text the key looked up has
  bool error;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

void NextToken(Scanner& scanner) {
  std::string_view source = scanner.source;
  size_t& at = scanner.position;
  while (at < source.size() && source[at] == ' ') ++at;
  size_t start = at;
  scanner.tokenNumber = 0;
  if (at >= source.size()) {
    scanner.token = Token::End;
    scanner.tokenText = {};
    return;
  }
  char c = source[at];
  if (c == '+' || c == '-' || c == '*' || c == '/') {
    ++at;
    scanner.token = Token::Operator;
  } else if (IsDigit(c)) {
    while (at < source.size() && (IsDigit(source[at]) || source[at] == '.')) ++at;
    scanner.token = Token::Number;
  } else if (IsLetter(c)) {
    while (at < source.size() && (IsLetter(source[at]) || IsDigit(source[at]))) ++at;
    scanner.token = Token::Key;
  } else {
    ++at;
    scanner.token = Token::Invalid;
    scanner.error = true;
  }
  scanner.tokenText = source.substr(start, at - start);
  if (scanner.token == Token::Number) {
    // Digits and points only: read up to a second point, as ReadReal would.
    std::string_view digits = scanner.tokenText;
    double number = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), number, std::chars_format::fixed).ec ==
        std::errc::result_out_of_range) {
      number = std::strtod(std::string(digits).c_str(), nullptr);
    }
    scanner.tokenNumber = SinglePrecision(number);
  } else if (scanner.token == Token::Key) {
    if (!Lookup(scanner.tokenText, scanner.tokenNumber, scanner.keyText)) scanner.error = true;
  }
}

struct Operand {
  float number;
  std::string text;
};

// Arithmetic replaces the text by the result, so "5+1" reads 6.
Operand Computed(float number) {
  Operand result{number, {}};
  TextStream out(result.text);
  PutReal(out, number, 7);
  return result;
}

bool IsOperator(const Scanner& scanner, char c) {
  return !scanner.error && scanner.token == Token::Operator && scanner.tokenText[0] == c;
}

Operand Primary(Scanner& scanner) {
  Operand operand{scanner.tokenNumber, {}};
  if (scanner.token == Token::Number) {
    operand.text = scanner.tokenText;
  } else if (scanner.token == Token::Key) {
    operand.text = std::move(scanner.keyText);
  } else {
    // An operator or the end where a value must stand.
    scanner.error = true;
  }
  if (!scanner.error) NextToken(scanner);
  return operand;
}

Operand Factor(Scanner& scanner) {
  if (!IsOperator(scanner, '-')) return Primary(scanner);
  NextToken(scanner);
  if (scanner.error) return {};
  return Computed(-Primary(scanner).number);
}

Operand Term(Scanner& scanner) {
  Operand value = Factor(scanner);
  while (IsOperator(scanner, '*') || IsOperator(scanner, '/')) {
    char op = scanner.tokenText[0];
    NextToken(scanner);
    if (scanner.error) break;
    float right = Factor(scanner).number;
    value = Computed(op == '*' ? value.number * right : value.number / right);
  }
  return value;
}

Operand Expression(Scanner& scanner) {
  Operand value = Term(scanner);
  while (IsOperator(scanner, '+') || IsOperator(scanner, '-')) {
    char op = scanner.tokenText[0];
    NextToken(scanner);
    if (scanner.error) break;
    float right = Term(scanner).number;
    value = Computed(op == '+' ? value.number + right : value.number - right);
  }
  return value;
}

}  // namespace

std::string Evaluate(std::string_view source) {
  Scanner scanner{source, 0, Token::End, {}, 0, {}, false};
  NextToken(scanner);
  Operand value{};
  if (!scanner.error) value = Expression(scanner);
  if (!scanner.error) return value.text;
  PutText(StandardError, "\r\nEvaluate syntax error <");
  PutText(StandardError, scanner.tokenText);
  PutText(StandardError, "> in expression ");
  PutText(StandardError, source);
  std::string unchanged = "%";
  unchanged += source;
  unchanged += '%';
  return unchanged;
}
