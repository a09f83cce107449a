// A stream that appends to a std::string. The generator's texts outgrow a String:
// an escaped name, the Enum list of a long bit list, a whole generated file.
#pragma once

#include <string>

#include "runtime/stream.h"

struct TextStream : Stream {
  explicit TextStream(std::string& target);
  std::string* target;
};
