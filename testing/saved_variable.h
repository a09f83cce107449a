// For tests: keeps an environment variable as it was and puts it back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) saved_ = value;
  }
  ~SavedVariable() {
    if (saved_) setenv(name_, saved_->c_str(), 1);
    else unsetenv(name_);
  }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};
