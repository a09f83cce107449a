// For tests: keeps an environment variable as it was and puts it back afterwards, so
// that what one test sets cannot reach the next, even when the test fails half-way.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "testing/environment.h"

class SavedVariable {
 public:
  explicit SavedVariable(std::string name) : name_(std::move(name)) {
    if (const char* value = std::getenv(name_.c_str())) saved_ = value;
  }
  // Saved, then set to `value` for the test.
  SavedVariable(std::string name, const std::string& value) : SavedVariable(std::move(name)) { Set(value); }
  ~SavedVariable() {
    if (saved_) SetVariable(name_, *saved_);
    else UnsetVariable(name_);
  }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

  void Set(const std::string& value) const { SetVariable(name_, value); }
  void Unset() const { UnsetVariable(name_); }

 private:
  std::string name_;
  std::optional<std::string> saved_;
};
