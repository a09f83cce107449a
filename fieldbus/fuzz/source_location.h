// clang 14, the clang that brings libFuzzer here, cannot compile libstdc++'s
// std::source_location: it lacks __builtin_source_location. The fuzz build includes
// this header first and gets the same interface from the builtins clang 14 has; a
// compiler with the builtin uses the library's own.
#pragma once

#if defined(__clang__) && !__has_builtin(__builtin_source_location)
#include <cstdint>

namespace std {

struct source_location {
  static constexpr source_location current(const char* file = __builtin_FILE(),
                                           const char* function = __builtin_FUNCTION(),
                                           uint_least32_t line = __builtin_LINE(),
                                           uint_least32_t column = __builtin_COLUMN()) noexcept {
    source_location location;
    location.file_ = file;
    location.function_ = function;
    location.line_ = line;
    location.column_ = column;
    return location;
  }
  constexpr const char* file_name() const noexcept { return file_; }
  constexpr const char* function_name() const noexcept { return function_; }
  constexpr uint_least32_t line() const noexcept { return line_; }
  constexpr uint_least32_t column() const noexcept { return column_; }

 private:
  const char* file_ = "";
  const char* function_ = "";
  uint_least32_t line_ = 0;
  uint_least32_t column_ = 0;
};

}  // namespace std
#endif
