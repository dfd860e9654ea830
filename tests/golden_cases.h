#pragma once
// The golden programs and the generated load cases, shared by the in-process runner and
// the Wine runner so both check the same expectations.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <fstream>
#include <set>

#include "library/profiles.h"
#include "tests/support/golden.h"

namespace talven::test {

inline std::vector<std::string> GoldenFiles(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".tvs") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string TestNameOf(const std::string& file) {
  std::string name = std::filesystem::path(file).stem().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

// Whether the script interpreter runs a golden program: the program says nothing against
// it ("' profiles: full"), and no word of it outside strings and comments is one the
// script withholds (withheld words fall through as unknown words: the expectations would
// differ).
inline bool RunsAsScript(const std::string& path) {
  static const std::set<std::string, std::less<>> withheld(ScriptProfile().withheldNames.begin(),
                                                          ScriptProfile().withheldNames.end());
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("' profiles:", 0) == 0) {
      const std::vector<std::string> profiles = SplitWords(line.substr(11));
      return std::find(profiles.begin(), profiles.end(), "script") != profiles.end();
    }
    std::string word;
    bool quoted = false;
    for (size_t i = 0; i <= line.size(); ++i) {
      const char c = i < line.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(line[i]))) : ' ';
      if (!quoted && c == '\'') break;
      if (c == '"') quoted = !quoted;
      const bool nameChar = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
                            c == '%' || c == '&' || c == '!';
      if (!quoted && nameChar) {
        word.push_back(c);
        continue;
      }
      if (withheld.count(word) != 0) return false;
      word.clear();
    }
    if (withheld.count(word) != 0) return false;
  }
  return true;
}

// The golden programs the in-process runners take: all but those marked
// "' hosts: windows", which call functions of the system's own libraries and so run only
// as the real programs under Wine.
inline std::vector<std::string> InProcessGoldenFiles(const std::string& dir) {
  std::vector<std::string> names;
  for (const std::string& name : GoldenFiles(dir)) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    std::string line;
    bool windowsOnly = false;
    while (!windowsOnly && std::getline(in, line)) windowsOnly = line.rfind("' hosts: windows", 0) == 0;
    if (!windowsOnly) names.push_back(name);
  }
  return names;
}

inline std::vector<std::string> ScriptGoldenFiles(const std::string& dir) {
  std::vector<std::string> names;
  for (const std::string& name : GoldenFiles(dir)) {
    if (RunsAsScript(dir + "/" + name)) names.push_back(name);
  }
  return names;
}

// What the script interpreter shows where the others show a golden's boxes: the boxes of
// errors and of the start are captioned "T A L V E N - S C R I P T" (the trace box keeps
// "TRACE:", a missing include names itself).
inline std::vector<std::string> ScriptEvents(const std::vector<std::string>& events) {
  std::vector<std::string> seen;
  for (const std::string& event : events) {
    const size_t first = event.find(" | ");
    const size_t second = first == std::string::npos ? first : event.find(" | ", first + 3);
    const std::string caption =
        second == std::string::npos ? std::string() : event.substr(first + 3, second - first - 3);
    const bool own = caption.rfind("Zeile ", 0) == 0 || caption == "TALVEN\xB2" || caption == "T A L V E N \xB2";
    if (event.rfind("box: ", 0) != 0 || !own) {
      seen.push_back(event);
      continue;
    }
    seen.push_back(event.substr(0, first + 3) + std::string(ScriptProfile().boxCaption) + event.substr(second));
  }
  return seen;
}

// A private copy of the golden folder for one test process: programs that write files
// write them there, so runners in parallel never meet.
inline const std::string& GoldenWorkDir(const std::string& source, const std::string& tag) {
  static const std::string dir = [&] {
    const auto path = std::filesystem::temp_directory_path() /
                      ("talven-" + tag + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(path);
    std::filesystem::copy(source, path, std::filesystem::copy_options::recursive);
    return path.string();
  }();
  return dir;
}

// Generated programs at and past the loader's limits: name, content, expected events, exit.
struct GeneratedCase {
  std::string name;
  std::string content;
  std::vector<std::string> events;
  int exitCode;
};

// Test names and failure messages show the case's name, not its bytes.
inline void PrintTo(const GeneratedCase& generated, std::ostream* out) { *out << generated.name; }

inline std::vector<GeneratedCase> GeneratedCases() {
  std::vector<GeneratedCase> cases;
  // 254 characters after joining load; 255 do not.
  const std::string rem254 = "REM " + std::string(250, 'x');
  cases.push_back({"line_254", rem254.substr(0, 120) + "\\\r\n" + rem254.substr(120) + "\r\n", {}, 0});
  cases.push_back({"line_255", rem254.substr(0, 120) + "\\\r\n" + rem254.substr(120) + "y\r\n",
                   {"box: stop ok | TALVEN\xB2 | Zeile zu lang (max. 254 Zeichen)!"}, 1});
  // A physical line over 255 characters keeps its first 255: still too long.
  cases.push_back({"line_300", "REM " + std::string(296, 'z') + "\n",
                   {"box: stop ok | TALVEN\xB2 | Zeile zu lang (max. 254 Zeichen)!"}, 1});
  std::string full;
  for (int i = 0; i < 65534; ++i) full += "\r\n";
  cases.push_back({"lines_65535", full + "unbekannt\r\n",
                   {"box: stop ok | Zeile  65535: \\nunbekannt | Befehl unbekannt: UNBEKANNT"}, 2});
  cases.push_back({"lines_65536", full + "\r\nREM\r\n",
                   {"box: stop ok | TALVEN\xB2 | Zu viele Programm-Zeilen!"}, 1});
  return cases;
}

// The script interpreter's own cases: its line limit, and words it withholds.
inline std::vector<GeneratedCase> GeneratedScriptCases() {
  constexpr std::string_view kCaption = "T A L V E N - S C R I P T";
  std::vector<GeneratedCase> cases;
  std::string full;
  for (int i = 0; i < 9998; ++i) full += "\r\n";
  cases.push_back({"lines_9999", full + "unbekannt\r\n",
                   {"box: stop ok | " + std::string(kCaption) + " | Befehl unbekannt: UNBEKANNT"}, 2});
  cases.push_back({"lines_10000", full + "\r\nREM\r\n",
                   {"box: stop ok | " + std::string(kCaption) + " | Nur 9999 Zeilen sind erlaubt!"}, 1});
  cases.push_back({"assign", "ASSIGN #1, \"X.TXT\"\r\n",
                   {"box: stop ok | " + std::string(kCaption) + " | Befehl unbekannt: ASSIGN"}, 2});
  // A withheld function falls through to the DEF functions as an unknown name does.
  cases.push_back({"left_def", "DEF LEFT$(1) \"links\"\r\nDECLARE a$\r\na$ = @LEFT$(\"abc\")\r\n"
                   "IF a$ = \"links\"\r\nEND\r\nENDIF\r\nunbekannt\r\n",
                   {}, 0});
  cases.push_back({"progend", "PROGEND\r\n",
                   {"box: stop ok | " + std::string(kCaption) + " | Befehl unbekannt: PROGEND"}, 2});
  return cases;
}

}  // namespace talven::test
