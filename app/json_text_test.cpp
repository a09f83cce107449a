#include "app/json_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

// Whatever a unit's text or a file name holds, the document stays JSON and says it back.
TEST(JsonText, TextsComeBackAsTheyWere) {
  const std::string texts[] = {
      "", "plain", "a \"quoted\" \\ path\\", "tab\tline\nreturn\r", std::string("nul\0bell\x07 del\x7F", 14),
      "Waage \xC3\xA4 \xE2\x82\xAC 5",
  };
  for (const std::string& text : texts) {
    nlohmann::json read = nlohmann::json::parse(JsonString(text));
    EXPECT_EQ(read.get<std::string>(), text);
  }
  JsonObject object;
  object.Add("name", "x").AddNumber("count", -3).AddBool("done", false).AddJson("list", JsonStrings({"a", "b"}));
  EXPECT_EQ(object.Text(), R"({"name":"x","count":-3,"done":false,"list":["a","b"]})");
  EXPECT_EQ(JsonArray({}), "[]");
}

}  // namespace
