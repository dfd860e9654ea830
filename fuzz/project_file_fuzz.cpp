// Project files: whatever is read, written again and read back, gives the same settings
// and files.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/editor_rules.h"

using talven::editor::ProjectLine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto lines = talven::editor::ReadProject(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string runtime, directory;
  std::vector<std::string> files;
  for (const ProjectLine& line : lines) {
    if (line.text.size() > 259) abort();
    if (line.kind == ProjectLine::Kind::Runtime) runtime = line.text;
    if (line.kind == ProjectLine::Kind::Directory) directory = line.text;
    if (line.kind == ProjectLine::Kind::File) files.push_back(line.text);
  }
  const std::string written = talven::editor::WriteProject(runtime, directory, files);
  const auto again = talven::editor::ReadProject(written);
  // Settings come first when written; files keep their order.
  std::vector<std::string> filesAgain;
  std::string runtimeAgain, directoryAgain;
  for (const ProjectLine& line : again) {
    if (line.kind == ProjectLine::Kind::Runtime) runtimeAgain = line.text;
    if (line.kind == ProjectLine::Kind::Directory) directoryAgain = line.text;
    if (line.kind == ProjectLine::Kind::File) filesAgain.push_back(line.text);
  }
  if (runtimeAgain != runtime || directoryAgain != directory || filesAgain != files) abort();
  if (talven::editor::WriteProject(runtimeAgain, directoryAgain, filesAgain) != written) abort();
  return 0;
}
