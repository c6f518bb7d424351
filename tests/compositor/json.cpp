#include "json.h"

#include <cstdlib>
#include <cstring>

namespace kv_compositor {

namespace {

class Parser {
 public:
  explicit Parser(const std::string& text) : s_(text) {}

  bool Whole(Json* out) {
    if (!Value(out, 0)) return false;
    Space();
    return at_ == s_.size();
  }

 private:
  static constexpr int kDeepest = 200;

  void Space() {
    while (at_ < s_.size() && std::strchr(" \t\r\n", s_[at_])) ++at_;
  }
  bool Take(char c) {
    Space();
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(const char* word) {
    const size_t n = std::strlen(word);
    if (s_.compare(at_, n, word) != 0) return false;
    at_ += n;
    return true;
  }

  bool String(std::string* out) {
    if (!Take('"')) return false;
    while (at_ < s_.size()) {
      const char c = s_[at_++];
      if (c == '"') return true;
      if (c != '\\') {
        out->push_back(c);
        continue;
      }
      if (at_ >= s_.size()) return false;
      const char e = s_[at_++];
      switch (e) {
        case 'n': out->push_back('\n'); break;
        case 't': out->push_back('\t'); break;
        case 'r': out->push_back('\r'); break;
        case 'b': out->push_back('\b'); break;
        case 'f': out->push_back('\f'); break;
        case 'u': {
          if (at_ + 4 > s_.size()) return false;
          const long code = std::strtol(s_.substr(at_, 4).c_str(), nullptr, 16);
          at_ += 4;
          out->push_back(code < 0x80 ? static_cast<char>(code) : '?');
          break;
        }
        default: out->push_back(e); break;  // \" \\ \/
      }
    }
    return false;
  }

  bool Value(Json* out, int depth) {
    if (depth > kDeepest) return false;
    Space();
    if (at_ >= s_.size()) return false;
    const char c = s_[at_];
    if (c == '{') {
      ++at_;
      out->kind = Json::kObject;
      if (Take('}')) return true;
      do {
        std::pair<std::string, Json> member;
        if (!String(&member.first) || !Take(':') || !Value(&member.second, depth + 1)) return false;
        out->members.push_back(std::move(member));
      } while (Take(','));
      return Take('}');
    }
    if (c == '[') {
      ++at_;
      out->kind = Json::kArray;
      if (Take(']')) return true;
      do {
        out->items.emplace_back();
        if (!Value(&out->items.back(), depth + 1)) return false;
      } while (Take(','));
      return Take(']');
    }
    if (c == '"') {
      out->kind = Json::kString;
      return String(&out->text);
    }
    if (Word("true") || Word("false")) {
      out->kind = Json::kBool;
      out->flag = c == 't';
      return true;
    }
    if (Word("null")) return true;
    const char* begin = s_.c_str() + at_;
    char* end = nullptr;
    out->number = std::strtod(begin, &end);
    if (end == begin) return false;
    out->kind = Json::kNumber;
    at_ += static_cast<size_t>(end - begin);
    return true;
  }

  const std::string& s_;
  size_t at_ = 0;
};

}  // namespace

const Json* Json::Get(const std::string& key) const {
  for (const auto& m : members)
    if (m.first == key) return &m.second;
  return nullptr;
}

double Json::Number(const std::string& key, double fallback) const {
  const Json* v = Get(key);
  return v && v->kind == kNumber ? v->number : fallback;
}

std::string Json::Text(const std::string& key) const {
  const Json* v = Get(key);
  return v && v->kind == kString ? v->text : "";
}

bool ParseJson(const std::string& text, Json* out) {
  *out = Json{};
  return Parser(text).Whole(out);
}

}  // namespace kv_compositor
