#include "testing/saved_variable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr const char* Name = "QUARNET_SAVED_VARIABLE_TEST";

std::optional<std::string> Value() {
  const char* value = std::getenv(Name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void Put(const std::optional<std::string>& value) {
  if (value)
    SetVariable(Name, value->c_str());
  else
    UnsetVariable(Name);
}

// Whatever the test did with the variable, it is as it was before: set (an empty
// value is set, too) or not set at all.
TEST(SavedVariable, PutsBackWhatWasThere) {
  const struct {
    const char* what;
    void (*test)();
  } changes[] = {
      {"set when saved",
       [] {
         SavedVariable saved(Name, "for the test");
         EXPECT_EQ(Value(), "for the test");
       }},
      {"set",
       [] {
         SavedVariable saved(Name);
         saved.Set("changed");
         EXPECT_EQ(Value(), "changed");
       }},
      {"unset",
       [] {
         SavedVariable saved(Name);
         saved.Unset();
         EXPECT_EQ(Value(), std::nullopt);
       }},
      {"set by hand",
       [] {
         SavedVariable saved(Name);
         SetVariable(Name, "by hand");
       }},
  };
  for (const std::optional<std::string>& before :
       {std::optional<std::string>("COM3"), std::optional<std::string>(""), std::optional<std::string>()}) {
    for (const auto& change : changes) {
      Put(before);
      change.test();
      EXPECT_EQ(Value(), before) << before.value_or("(not set)") << ", " << change.what;
    }
  }
  UnsetVariable(Name);
}

}  // namespace
