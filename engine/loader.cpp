#include "engine/loader.h"

#include <vector>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/limits.h"
#include "engine/scan.h"
#include "engine/text.h"

namespace talven {

namespace {

constexpr std::string_view kLoadCaption = "TALVEN²";
constexpr std::string_view kCompilerCaption = "TALVEN²-Compiler";
constexpr std::string_view kSettingsFile = "TALVED32.INI";

enum class Nesting { MainFile, IncludeFile };

[[noreturn]] void LoadFailure(Host& host, std::string caption, std::string text) {
  StopWithBox(host, std::move(caption), std::move(text), 1);
}

class Loader {
 public:
  Loader(Host& host, ProgramStore& store, CompilerLoad* compiler, const Profile* profile)
      : m_host(host), m_store(store), m_compiler(compiler) {
    if (profile != nullptr) {
      m_maxLines = profile->lineLimit;
      m_tooManyLines = profile->tooManyLines;
      if (!profile->loadCaption.empty()) m_caption = profile->loadCaption;
    }
  }

  void ReadFile(InputFile& file, Nesting nesting) {
    std::string physical;
    while (file.ReadLine(physical)) {
      NextLineNumber();
      std::string line = CleanSourceLine(physical);
      JoinContinuations(file, line);
      if (line.size() > kMaxLineLength) LoadFailure(ErrorCode::LineTooLong);
      StoreLine(std::move(line), nesting);
    }
  }

 private:
  [[noreturn]] void LoadFailure(ErrorCode code) {
    talven::LoadFailure(m_host, std::string(m_caption), std::string(ErrorText(code)));
  }

  void NextLineNumber() {
    if (m_lineNumber >= m_maxLines) {
      if (m_compiler != nullptr) {
        talven::LoadFailure(m_host, std::string(kCompilerCaption),
                            std::string(ErrorText(ErrorCode::TooManyLines)));
      }
      if (!m_tooManyLines.empty()) {
        talven::LoadFailure(m_host, std::string(m_caption), std::string(m_tooManyLines));
      }
      LoadFailure(ErrorCode::TooManyLines);
    }
    ++m_lineNumber;
  }

  // While the line ends with "\", the next physical line (only trimmed: its comment and
  // tabs stay) replaces the "\". Each physical line keeps its own number: the part read so
  // far is stored empty and the joined text moves on to the next number.
  void JoinContinuations(InputFile& file, std::string& line) {
    std::string next;
    while (!line.empty() && line.back() == '\\') {
      line.pop_back();
      // A "\" on the last line of a file has nothing to join: the line ends there.
      if (!file.ReadLine(next)) break;
      m_store.Append(std::string());
      NextLineNumber();
      line.append(TrimControl(next));
      CutToMaxString(line);
    }
  }

  void StoreLine(std::string line, Nesting nesting) {
    const std::string_view head = std::string_view(line).substr(0, 3);
    if ((head == "$P+" || head == "$P*") && (m_compiler == nullptr || nesting == Nesting::MainFile)) {
      if (m_compiler != nullptr) {
        m_compiler->directive = head == "$P+" ? ScrambleDirective::Xor : ScrambleDirective::Cipher;
      }
      m_store.Append(std::string());
      return;
    }
    if (head == "$I ") {
      if (nesting == Nesting::IncludeFile) LoadFailure(ErrorCode::IncludeNested);
      m_store.Append(std::string());
      Include(line);
      return;
    }
    m_store.Append(std::move(line));
  }

  void Include(const std::string& includeLine) {
    const std::string name = ResolveInclude(std::string(TrimControl(std::string_view(includeLine).substr(3))));
    std::unique_ptr<InputFile> file = m_host.OpenInput(name);
    if (!file) {
      talven::LoadFailure(m_host, std::string(ErrorText(ErrorCode::IncludeNotFound)),
                  "Zeile " + std::to_string(m_lineNumber) + ": " + includeLine);
    }
    ReadFile(*file, Nesting::IncludeFile);
  }

  // A name without "\" is looked for as given, then in each directory of the "Include"
  // setting in turn; found nowhere, it stays as given.
  std::string ResolveInclude(const std::string& name) {
    if (name.find('\\') != std::string::npos) return name;
    if (m_host.FileExists(name)) return name;
    const std::string dirs = m_host.ReadIniString(kSettingsFile, "COMPILE", "Include", "");
    size_t start = 0;
    while (start <= dirs.size()) {
      size_t end = dirs.find(';', start);
      if (end == std::string::npos) end = dirs.size();
      std::string dir(TrimControl(std::string_view(dirs).substr(start, end - start)));
      if (!dir.empty()) {
        if (dir.back() != '\\' && dir.back() != ':') dir.push_back('\\');
        std::string candidate = dir + name;
        if (m_host.FileExists(candidate)) return candidate;
      }
      start = end + 1;
    }
    return name;
  }

  Host& m_host;
  ProgramStore& m_store;
  CompilerLoad* m_compiler;
  int32_t m_maxLines = kMaxProgramLines;
  std::string_view m_tooManyLines;
  std::string_view m_caption = kLoadCaption;
  int32_t m_lineNumber = 0;
};

}  // namespace

std::string CleanSourceLine(std::string_view physical) {
  std::string_view trimmed = TrimControl(physical);
  const size_t comment = FindCommentStart(trimmed);
  if (comment != kNotFound) trimmed = TrimControl(trimmed.substr(0, comment));
  std::string line(trimmed);
  for (char& c : line) {
    if (c == '\t') c = ' ';
  }
  return line;
}

void LoadSource(Host& host, InputFile& file, ProgramStore& store, CompilerLoad* compiler,
                const Profile* profile) {
  Loader loader(host, store, compiler, profile);
  loader.ReadFile(file, Nesting::MainFile);
}

}  // namespace talven
