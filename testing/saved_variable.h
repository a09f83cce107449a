// For tests: keeps an environment variable as it was and puts it back afterwards, so
// that what one test sets cannot reach the next, even when the test fails half-way.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

class SavedVariable {
 public:
  explicit SavedVariable(std::string name) : name_(std::move(name)) {
    if (const char* value = std::getenv(name_.c_str())) saved_ = value;
  }
  // Saved, then set to `value` for the test.
  SavedVariable(std::string name, const std::string& value) : SavedVariable(std::move(name)) { Set(value); }
  ~SavedVariable() {
    if (saved_) setenv(name_.c_str(), saved_->c_str(), 1);
    else unsetenv(name_.c_str());
  }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

  void Set(const std::string& value) const { setenv(name_.c_str(), value.c_str(), 1); }
  void Unset() const { unsetenv(name_.c_str()); }

 private:
  std::string name_;
  std::optional<std::string> saved_;
};
