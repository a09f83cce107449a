// The few pieces of JSON the shell's --json output is built from: a string quoted and
// escaped, and objects and arrays written member by member.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// `text` as a JSON string; its bytes are taken as UTF-8, control characters escaped.
std::string JsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view text);
  JsonObject& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
  JsonObject& AddNumber(std::string_view key, int64_t number);
  JsonObject& AddBool(std::string_view key, bool value);
  // `json` is written as it is: an object or array made before.
  JsonObject& AddJson(std::string_view key, std::string_view json);
  // Every member of `other`, after these.
  JsonObject& AddMembers(const JsonObject& other);
  std::string Text() const { return "{" + members_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string members_;
};

// An array of items that are JSON already.
std::string JsonArray(const std::vector<std::string>& items);
// An array of strings.
std::string JsonStrings(const std::vector<std::string>& texts);
