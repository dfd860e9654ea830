#pragma once
// The setup script: read whole, compacted into zero-terminated lines, split into sections;
// line conditions, fields, values, directory names and the expansion of texts.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace talven::installer {

inline constexpr int32_t kMaxScriptBytes = 65535;
inline constexpr int32_t kMaxIfIniValue = 120;
inline constexpr int32_t kMaxIniValue = 150;
inline constexpr int32_t kMaxEnvironmentValue = 95;

// What the conditions and values ask of the machine.
class ScriptEnvironment {
 public:
  // The INI value (cut to maxLength characters) or defaultValue.
  virtual std::string ReadIni(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultValue, int32_t maxLength) = 0;
  virtual bool FileDate(const std::string& path, int32_t& year, int32_t& month, int32_t& day) = 0;
  virtual bool IsWindowsNt() = 0;
  virtual bool Environment(const std::string& name, std::string& value) = 0;

 protected:
  ~ScriptEnvironment() = default;
};

// The compacted form of a script: each line zero-terminated, an extra zero before a line
// that begins with "[", the end marked by 0 0 26.
std::string CompactScript(const std::string& raw);

// Field n of a line (0: the key before the first "="); exists tells whether it is there.
std::string Field(const std::string& line, int32_t n, bool* exists = nullptr);
// The same with its double quotes kept, for texts that go through ExpandText.
std::string QuotedField(const std::string& line, int32_t n);
// Decimal digits with an optional "-"; anything else reads as 0. Saturates at 64 bits.
int64_t ParseNumber(const std::string& text);
std::string Upper(std::string text);
bool EqualNoCase(const std::string& a, const std::string& b);

class SetupScript {
 public:
  explicit SetupScript(ScriptEnvironment& environment) : m_environment(environment) {}
  // False when the script is longer than kMaxScriptBytes.
  bool Load(const std::string& raw);

  // The condition of a line: true when it is used, with rest = the line after it.
  bool Condition(const std::string& line, std::string& rest) const;
  bool HasSection(const std::string& name) const;
  // The used lines of a section, conditions removed.
  std::vector<std::string> Lines(const std::string& section) const;
  bool Value(const std::string& section, const std::string& key, std::string& value) const;
  std::string ValueOr(const std::string& section, const std::string& key, const std::string& fallback) const;
  // "S.K": key K of section S, split at the last ".".
  bool DottedValue(const std::string& name, std::string& value) const;
  int64_t Number(const std::string& section, const std::string& key, int64_t fallback) const;

  void ChooseModule(const std::string& name) { m_modules.insert(Upper(name)); }
  void ClearModules() { m_modules.clear(); }
  bool ModuleChosen(const std::string& name) const { return m_modules.count(Upper(name)) != 0; }

  const std::vector<std::string>& AllLines() const { return m_lines; }

 private:
  // The lines of the first header of that name that is followed by a line; -1 when none.
  int32_t FindSection(const std::string& name, int32_t& end) const;
  bool Test(const std::string& condition, std::string& rest, bool& known) const;

  ScriptEnvironment& m_environment;
  std::vector<std::string> m_lines;
  std::set<std::string> m_modules;
};

// The directories that directory names and expansion refer to.
struct SetupPlaces {
  std::string windowsDir;
  std::string systemDir;
  std::string targetDir;
  std::string sourceDir;
  std::map<char, std::string> disks;  // upper-case key -> directory ("." already resolved)
  std::map<char, std::string> labels;
};

// Reads [disks]: key = letter or digit, field 1 = directory ("." or empty: the source
// directory), field 2 = label.
void ReadDisks(const SetupScript& script, SetupPlaces& places);
// "0:WINDOWS", "0:SYSTEM32", "0:SYSTEM", "0:" and disk keys at the start of a name.
std::string ReplaceDirectoryNames(const std::string& text, const SetupPlaces& places);
// Disk keys before ":", %NAME% from the environment, quoted text literally, byte 255 as ".
std::string ExpandText(const std::string& text, const SetupPlaces& places, ScriptEnvironment& environment);
// Joins a directory and a name with one backslash.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace talven::installer
