#include "installer/setup_script.h"

#include <cstring>

namespace talven::installer {
namespace {

bool StartsNoCase(const std::string& text, size_t at, const char* prefix) {
  const size_t length = std::strlen(prefix);
  if (text.size() - at < length || at > text.size()) return false;
  for (size_t i = 0; i < length; ++i) {
    char c = text[at + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != prefix[i]) return false;
  }
  return true;
}

std::string Trim(const std::string& text, const char* drop) {
  const size_t first = text.find_first_not_of(drop);
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(drop);
  return text.substr(first, last - first + 1);
}

// Splits the text inside "(" ... ")" at unquoted commas; at = the position after "(".
// False when no unquoted ")" closes it.
bool Arguments(const std::string& text, size_t at, std::vector<std::string>& args, size_t& after) {
  args.assign(1, std::string());
  bool quoted = false;
  for (size_t i = at; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == ',') {
      args.emplace_back();
    } else if (!quoted && c == ')') {
      after = i + 1;
      return true;
    } else {
      args.back() += c;
    }
  }
  return false;
}

bool HasUnquoted(const std::string& text, const char* chars) {
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    else if (!quoted && std::strchr(chars, c) != nullptr && c != 0) return true;
  }
  return false;
}

}  // namespace

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

bool EqualNoCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (name.empty()) return directory;
  const bool dirSlash = directory.back() == '\\';
  const bool nameSlash = name.front() == '\\';
  if (dirSlash && nameSlash) return directory + name.substr(1);
  if (dirSlash || nameSlash) return directory + name;
  return directory + "\\" + name;
}

// Blanks and tabs outside quotes go, a ";" outside quotes starts a comment, CR, LF (and a
// NUL, which a zero-terminated line cannot hold) end a line; a quote left open ends with
// its line.
std::string CompactScript(const std::string& raw) {
  std::string out;
  std::string line;
  bool quoted = false;
  bool comment = false;
  auto endLine = [&]() {
    if (!line.empty()) {
      if (line[0] == '[') out += '\0';
      out += line;
      out += '\0';
    }
    line.clear();
    quoted = false;
    comment = false;
  };
  for (char c : raw) {
    if (c == '\r' || c == '\n' || c == '\0') {
      endLine();
    } else if (comment) {
    } else if (c == '"') {
      quoted = !quoted;
      line += c;
    } else if (quoted) {
      line += c;
    } else if (c == ' ' || c == '\t') {
    } else if (c == ';') {
      comment = true;
    } else {
      line += c;
    }
  }
  endLine();
  out += std::string("\0\0\x1A", 3);
  return out;
}

namespace {

std::string SplitField(const std::string& line, int32_t n, bool* exists, bool keepQuotes) {
  if (exists != nullptr) *exists = false;
  // The first unquoted "=" ends field 0.
  size_t start = 0;
  {
    bool quoted = false;
    size_t equals = std::string::npos;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '"') quoted = !quoted;
      else if (!quoted && line[i] == '=') {
        equals = i;
        break;
      }
    }
    if (equals != std::string::npos) {
      if (n == 0) {
        if (exists != nullptr) *exists = true;
        return Trim(line.substr(0, equals), " \t");
      }
      start = equals + 1;
    } else if (n == 0) {
      return std::string();
    }
  }
  int32_t index = 1;
  std::string field;
  bool quoted = false;
  for (size_t i = start; i <= line.size(); ++i) {
    const bool atEnd = i == line.size();
    const char c = atEnd ? '\0' : line[i];
    if (!atEnd && c == '"') {
      if (keepQuotes) {
        quoted = !quoted;
        field += c;
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (atEnd || (!quoted && (c == ',' || c == '='))) {
      if (index == n) {
        if (exists != nullptr) *exists = true;
        return Trim(field, " \t");
      }
      ++index;
      field.clear();
    } else {
      field += c;
    }
  }
  return std::string();
}

}  // namespace

std::string Field(const std::string& line, int32_t n, bool* exists) { return SplitField(line, n, exists, false); }

std::string QuotedField(const std::string& line, int32_t n) { return SplitField(line, n, nullptr, true); }

int64_t ParseNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value > (INT64_MAX - digit) / 10) {
      value = INT64_MAX;
      break;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

bool SetupScript::Load(const std::string& raw) {
  m_lines.clear();
  if (raw.size() > static_cast<size_t>(kMaxScriptBytes)) return false;
  const std::string compact = CompactScript(raw);
  size_t at = 0;
  while (at < compact.size()) {
    const size_t end = compact.find('\0', at);
    if (end == std::string::npos) break;
    if (end > at) {
      const std::string line = compact.substr(at, end - at);
      if (line != "\x1A") m_lines.push_back(line);
    }
    at = end + 1;
  }
  return true;
}

int32_t SetupScript::FindSection(const std::string& name, int32_t& end) const {
  const std::string wanted = Upper(name);
  const int32_t count = static_cast<int32_t>(m_lines.size());
  for (int32_t i = 0; i < count; ++i) {
    if (m_lines[i][0] != '[') continue;
    std::string header;
    for (size_t k = 1; k < m_lines[i].size() && m_lines[i][k] != ']'; ++k) {
      if (m_lines[i][k] != '"') header += m_lines[i][k];
    }
    if (Upper(header) != wanted) continue;
    if (i + 1 >= count || m_lines[i + 1][0] == '[') continue;  // a header without lines is no section
    end = i + 1;
    while (end < count && m_lines[end][0] != '[') ++end;
    return i + 1;
  }
  return -1;
}

bool SetupScript::HasSection(const std::string& name) const {
  int32_t end = 0;
  return FindSection(name, end) >= 0;
}

bool SetupScript::Test(const std::string& line, std::string& rest, bool& known) const {
  known = true;
  std::vector<std::string> args;
  size_t after = 0;
  if (StartsNoCase(line, 0, "$IFINI(")) {
    if (!Arguments(line, 7, args, after)) return false;
    rest = line.substr(after);
    args.resize(5);
    const std::string value = m_environment.ReadIni(args[0], args[1], args[2], "", kMaxIfIniValue);
    if (value.empty()) return false;
    if (args[4].empty()) return true;
    int32_t year = 0, month = 0, day = 0;
    if (!m_environment.FileDate(value + args[3], year, month, day)) return false;
    // Dates compare as numbers: "%02d%02d%02d" of year - 1900 has seven digits after 1999,
    // which a comparison of texts would get wrong. Eight digits are read as YYYYMMDD.
    const std::string digits = Trim(args[4], " ");
    const int64_t wanted = ParseNumber(digits);
    const int64_t fileDate = digits.size() == 8 ? static_cast<int64_t>(year) * 10000 + month * 100 + day
                                                : static_cast<int64_t>(year - 1900) * 10000 + month * 100 + day;
    return fileDate >= wanted;
  }
  if (StartsNoCase(line, 0, "$IFMODULE(")) {
    if (!Arguments(line, 10, args, after)) return false;
    rest = line.substr(after);
    return ModuleChosen(Trim(args[0], " "));
  }
  if (StartsNoCase(line, 0, "$IFOS(")) {
    if (!Arguments(line, 6, args, after)) return false;
    rest = line.substr(after);
    const std::string os = Upper(Trim(args[0], " "));
    if (os == "WIN32" || os == "WINHLP32") return true;
    if (os == "WINNT") return m_environment.IsWindowsNt();
    if (os == "WIN95") return !m_environment.IsWindowsNt();
    return false;
  }
  known = false;
  rest = line;
  return true;
}

// Every "$NOT" in front inverts what follows; the one condition after them decides.
bool SetupScript::Condition(const std::string& line, std::string& rest) const {
  size_t at = 0;
  bool invert = false;
  while (StartsNoCase(line, at, "$NOT")) {
    invert = !invert;
    at += 4;
  }
  bool known = false;
  const bool result = Test(line.substr(at), rest, known);
  if (!known && at == 0) return true;
  return result != invert;
}

std::vector<std::string> SetupScript::Lines(const std::string& section) const {
  std::vector<std::string> lines;
  int32_t end = 0;
  const int32_t first = FindSection(section, end);
  if (first < 0) return lines;
  for (int32_t i = first; i < end; ++i) {
    std::string rest;
    if (Condition(m_lines[i], rest) && !rest.empty()) lines.push_back(rest);
  }
  return lines;
}

bool SetupScript::Value(const std::string& section, const std::string& key, std::string& value) const {
  for (const std::string& line : Lines(section)) {
    if (line.size() <= key.size() || line[key.size()] != '=' || !StartsNoCase(Upper(line), 0, Upper(key).c_str())) continue;
    std::string text = line.substr(key.size() + 1);
    if (StartsNoCase(text, 0, "$INI(")) {
      std::vector<std::string> args;
      size_t after = 0;
      if (Arguments(text, 5, args, after)) {
        args.resize(4);
        text = m_environment.ReadIni(args[0], args[1], args[2], args[3], kMaxIniValue) + text.substr(after);
      }
    }
    if (HasUnquoted(text, ",=")) {
      value = text;
    } else {
      // Blanks around the value go, then its quotes; blanks inside the quotes stay.
      value = Trim(text, " \t");
      if (!value.empty() && value.front() == '"') value.erase(0, 1);
      if (!value.empty() && value.back() == '"') value.pop_back();
    }
    return true;
  }
  return false;
}

std::string SetupScript::ValueOr(const std::string& section, const std::string& key, const std::string& fallback) const {
  std::string value;
  return Value(section, key, value) ? value : fallback;
}

bool SetupScript::DottedValue(const std::string& name, std::string& value) const {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return false;
  return Value(name.substr(0, dot), name.substr(dot + 1), value);
}

int64_t SetupScript::Number(const std::string& section, const std::string& key, int64_t fallback) const {
  std::string value;
  return Value(section, key, value) ? ParseNumber(value) : fallback;
}

void ReadDisks(const SetupScript& script, SetupPlaces& places) {
  places.disks.clear();
  places.labels.clear();
  for (const std::string& line : script.Lines("disks")) {
    const std::string key = Upper(Field(line, 0));
    if (key.size() != 1 || !((key[0] >= 'A' && key[0] <= 'Z') || (key[0] >= '0' && key[0] <= '9'))) continue;
    const std::string dir = Field(line, 1);
    places.disks[key[0]] = (dir.empty() || dir == ".") ? places.sourceDir : dir;
    places.labels[key[0]] = Field(line, 2);
  }
}

std::string ReplaceDirectoryNames(const std::string& text, const SetupPlaces& places) {
  if (StartsNoCase(text, 0, "0:WINDOWS")) return places.windowsDir + text.substr(9);
  if (StartsNoCase(text, 0, "0:SYSTEM32")) return places.systemDir + text.substr(10);
  if (StartsNoCase(text, 0, "0:SYSTEM")) return places.systemDir + text.substr(8);
  if (StartsNoCase(text, 0, "0:")) return JoinPath(places.targetDir, text.substr(2));
  if (text.size() >= 2 && text[1] == ':') {
    const char key = Upper(text.substr(0, 1))[0];
    const auto disk = places.disks.find(key);
    if (disk != places.disks.end()) return JoinPath(disk->second, text.substr(2));
  }
  return text;
}

std::string ExpandText(const std::string& text, const SetupPlaces& places, ScriptEnvironment& environment) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const size_t close = text.find('"', i + 1);
      const size_t end = close == std::string::npos ? text.size() : close;
      out += text.substr(i + 1, end - i - 1);
      i = end;
    } else if (static_cast<unsigned char>(c) == 255) {
      out += '"';
    } else if (c == '%') {
      size_t end = i + 1;
      while (end < text.size() && text[end] >= 'A' && text[end] <= 'Z') ++end;
      std::string value;
      if (end < text.size() && text[end] == '%' && end > i + 1 && environment.Environment(text.substr(i + 1, end - i - 1), value)) {
        out += value.substr(0, kMaxEnvironmentValue);
        i = end;
      } else {
        out += c;
      }
    } else if (i + 1 < text.size() && text[i + 1] == ':' &&
               ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
      const char key = Upper(std::string(1, c))[0];
      if (key == '0') {
        out += places.targetDir;
        ++i;
      } else if (places.disks.count(key) != 0) {
        out += places.disks.at(key);
        ++i;
      } else {
        out += c;
      }
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace talven::installer
