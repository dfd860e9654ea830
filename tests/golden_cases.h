#pragma once
// The golden programs and the generated load cases, shared by the in-process runner and
// the Wine runner so both check the same expectations.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

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

}  // namespace talven::test
