#include "app/json_text.h"

#include <cstdio>

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

void JsonObject::Key(std::string_view key) {
  if (!members_.empty()) members_ += ",";
  members_ += JsonString(key) + ":";
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view text) {
  Key(key);
  members_ += JsonString(text);
  return *this;
}

JsonObject& JsonObject::AddNumber(std::string_view key, int64_t number) {
  Key(key);
  members_ += std::to_string(number);
  return *this;
}

JsonObject& JsonObject::AddBool(std::string_view key, bool value) {
  Key(key);
  members_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::AddJson(std::string_view key, std::string_view json) {
  Key(key);
  members_ += json;
  return *this;
}

JsonObject& JsonObject::AddMembers(const JsonObject& other) {
  if (!members_.empty() && !other.members_.empty()) members_ += ",";
  members_ += other.members_;
  return *this;
}

std::string JsonArray(const std::vector<std::string>& items) {
  std::string array = "[";
  for (size_t i = 0; i < items.size(); ++i) array += (i == 0 ? "" : ",") + items[i];
  return array + "]";
}

std::string JsonStrings(const std::vector<std::string>& texts) {
  std::vector<std::string> items;
  for (const std::string& text : texts) items.push_back(JsonString(text));
  return JsonArray(items);
}
