#pragma once
// The program store: the loaded lines, numbered from 1.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talven {

struct ProgramLine {
  std::string text;
  // A compiled line says whether its parameter text holds an operator; source lines are
  // always searched for operators.
  bool hasOperators = true;
  // A compiled call of a procedure by its bare name carries the PROC line (0: none).
  int32_t procedureLine = 0;
  // What the block scans compare for a compiled line, whose blocks are found by statement
  // code: its block word ("IF ", "ENDIF", ...) or "-" for any other statement. Empty for
  // source lines, whose own beginning is compared.
  std::string scanText;
};

// The text the block scans compare with their words.
inline std::string_view ScanTextOf(const ProgramLine& line) {
  return line.scanText.empty() ? std::string_view(line.text) : std::string_view(line.scanText);
}

class ProgramStore {
 public:
  int32_t LineCount() const { return static_cast<int32_t>(m_lines.size()); }
  // Line `number`, 1-based.
  const ProgramLine& Line(int32_t number) const { return m_lines[static_cast<size_t>(number - 1)]; }
  void Append(std::string text) { m_lines.push_back(ProgramLine{std::move(text), true, 0, {}}); }
  void Append(ProgramLine line) { m_lines.push_back(std::move(line)); }
  void Clear() { m_lines.clear(); }

 private:
  std::vector<ProgramLine> m_lines;
};

}  // namespace talven
