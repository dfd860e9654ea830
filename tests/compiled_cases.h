#pragma once
// The golden programs compiled: each one copied to a fresh folder (with its include
// files), optionally switched to XOR or cipher mode by replacing its first line, a comment,
// with the directive (so line numbers stay), and the arguments mapped to the code file.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/golden.h"

namespace talven::test {

enum class CompiledMode { Plain, Xor, Cipher };

struct CompiledCase {
  std::string file;
  CompiledMode mode;
};

inline std::string ModeName(CompiledMode mode) {
  return mode == CompiledMode::Plain ? "plain" : mode == CompiledMode::Xor ? "xor" : "cipher";
}

inline void PrintTo(const CompiledCase& c, std::ostream* out) {
  *out << c.file << "/" << ModeName(c.mode);
}

// A copy of the golden folder in `dir`, with `file` switched to `mode`. False when the
// mode cannot be applied without moving lines (the first line is no comment).
inline bool PrepareCompiledFolder(const std::string& goldenDir, const std::filesystem::path& dir,
                                  const std::string& file, CompiledMode mode) {
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::filesystem::copy(goldenDir, dir, std::filesystem::copy_options::recursive);
  if (mode == CompiledMode::Plain) return true;
  std::ifstream in(dir / file, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  if (text.empty() || text.front() != '\'') return false;
  const size_t end = text.find_first_of("\r\n");
  text.replace(0, end, mode == CompiledMode::Xor ? "$P+" : "$P*");
  in.close();
  std::ofstream(dir / file, std::ios::binary | std::ios::trunc) << text;
  return true;
}

inline std::string ToCodeName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot + 4 == name.size()) {
    std::string ext = name.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".tvs") return name.substr(0, dot) + ".tvc";
  }
  return name;
}

inline std::vector<std::string> CompiledArgs(const GoldenCase& golden, const std::string& file) {
  if (golden.compiledArgs) return *golden.compiledArgs;
  std::vector<std::string> args = golden.args.value_or(std::vector<std::string>{file});
  for (std::string& arg : args) arg = ToCodeName(arg);
  return args;
}

inline std::vector<std::string> CompiledAnswers(const GoldenCase& golden) {
  std::vector<std::string> answers = golden.answers;
  for (std::string& answer : answers) {
    if (answer.rfind("file:", 0) == 0) answer = "file:" + ToCodeName(answer.substr(5));
  }
  return answers;
}

inline std::vector<CompiledCase> CompiledCases(const std::vector<std::string>& files) {
  std::vector<CompiledCase> cases;
  for (const std::string& file : files) {
    for (CompiledMode mode : {CompiledMode::Plain, CompiledMode::Xor, CompiledMode::Cipher}) {
      cases.push_back({file, mode});
    }
  }
  return cases;
}

}  // namespace talven::test
