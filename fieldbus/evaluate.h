// The expression inside a template placeholder: numbers, keys and + - * / with the
// usual precedence and unary minus, computed in single precision.
#pragma once

#include <string>
#include <string_view>

// The value's text: a lone key or number as written, the result of any arithmetic
// in seven significant digits. On a syntax error or an unknown key the error line
// goes to standard error and the placeholder comes back unchanged, percent signs
// and all, so the file shows what could not be filled in.
std::string Evaluate(std::string_view source);
