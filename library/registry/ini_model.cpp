#include "library/registry/ini_model.h"

#include <vector>

#include "engine/limits.h"

namespace talven {

namespace {

struct Line {
  size_t begin = 0;  // first character
  size_t end = 0;    // one past the last character, before the line end
  size_t next = 0;   // start of the next line
};

// Lines end in CR LF, LF or a lone CR.
std::vector<Line> Lines(std::string_view text) {
  std::vector<Line> lines;
  size_t at = 0;
  while (at < text.size()) {
    Line line;
    line.begin = at;
    while (at < text.size() && text[at] != '\r' && text[at] != '\n') ++at;
    line.end = at;
    if (at < text.size() && text[at] == '\r') ++at;
    if (at < text.size() && text[at] == '\n' && (at == line.end || text[at - 1] == '\r')) ++at;
    line.next = at;
    lines.push_back(line);
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// The section name of a "[name]" line; nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  return Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// The key of a "key=value" line; nullopt for a line without "=" or a comment.
std::optional<std::string_view> KeyOf(std::string_view line, std::string_view* value) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  if (value != nullptr) *value = Trim(line.substr(equals + 1));
  return Trim(line.substr(0, equals));
}

}  // namespace

std::optional<std::string> IniValue(std::string_view text, std::string_view section, std::string_view key) {
  bool inSection = false;
  for (const Line& line : Lines(text)) {
    const std::string_view content = text.substr(line.begin, line.end - line.begin);
    if (const auto name = SectionOf(content)) {
      inSection = SameName(*name, Trim(section));
      continue;
    }
    if (!inSection) continue;
    std::string_view value;
    const auto name = KeyOf(content, &value);
    if (!name || !SameName(*name, Trim(key))) continue;
    // One pair of matching quotes around the value is not part of it.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    std::string result(value.substr(0, kMaxStringLength));
    // The text ends at its first NUL, as a C string would.
    const size_t nul = result.find('\0');
    if (nul != std::string::npos) result.resize(nul);
    return result;
  }
  return std::nullopt;
}

std::string IniWithValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value) {
  const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  const std::vector<Line> lines = Lines(text);
  bool inSection = false;
  size_t sectionEnd = std::string_view::npos;  // where a new entry of the section goes
  for (const Line& line : lines) {
    const std::string_view content = text.substr(line.begin, line.end - line.begin);
    if (const auto name = SectionOf(content)) {
      if (inSection) break;
      inSection = SameName(*name, Trim(section));
      if (inSection) sectionEnd = line.next;
      continue;
    }
    if (!inSection) continue;
    const auto name = KeyOf(content, nullptr);
    if (name && SameName(*name, Trim(key))) {
      return std::string(text.substr(0, line.begin)) + entry + std::string(text.substr(line.end));
    }
    if (!Trim(content).empty()) sectionEnd = line.next;
  }
  std::string result(text);
  if (sectionEnd != std::string_view::npos) {
    std::string before(text.substr(0, sectionEnd));
    if (!before.empty() && before.back() != '\n' && before.back() != '\r') before += "\r\n";
    return before + entry + "\r\n" + std::string(text.substr(sectionEnd));
  }
  if (!result.empty() && result.back() != '\n' && result.back() != '\r') result += "\r\n";
  result += "[" + std::string(Trim(section)) + "]\r\n" + entry + "\r\n";
  return result;
}

}  // namespace talven
