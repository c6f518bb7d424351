// Just enough JSON to read what a compositor's IPC answers (sway's tree).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kv_compositor {

struct Json {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool flag = false;
  double number = 0;
  std::string text;  // strings; \u escapes outside ASCII are kept as '?'
  std::vector<Json> items;                             // arrays
  std::vector<std::pair<std::string, Json>> members;   // objects, in order

  // The member named `key` of an object, or null.
  const Json* Get(const std::string& key) const;
  // The member's number or text, or the fallback.
  double Number(const std::string& key, double fallback = 0) const;
  std::string Text(const std::string& key) const;
};

// False for text that is not one whole JSON value.
bool ParseJson(const std::string& text, Json* out);

}  // namespace kv_compositor
