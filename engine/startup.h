#pragma once
// From process start to the end of a run: defaults, the file name from the command line
// or the file dialog, loading, the statement loop and the release at the end.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"

namespace talven {

// The process-wide defaults of the main window, set before anything else.
struct WindowDefaults {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 640;
  int32_t height = 480;
  std::string title;
  std::string titleFormat = "%s";
};

// The one place a run ends: `load` fills the program store (and the program's arguments),
// then the run state is reset, the statement loop runs, and a program that opened its
// window leaves it to the user. Whichever way the run ends (RunEnd), what it holds is
// released here. Returns the exit code.
int RunProgram(Engine& engine, const std::function<void(Engine&)>& load);

// Runs the interpreter of `profile` (TALVEN's, TALVSCR's) on the command-line parameters
// (without the program's own name) and returns the exit code: 0 normal end, 1 load error,
// 2 no program or a fatal error, 255 the window was closed.
int RunInterpreter(Host& host, const std::vector<std::string>& params, const Profile& profile);

// The name of the program file: parameter 1 with `extension` appended when it holds no
// "." (also a "." only in a directory part counts).
std::string ProgramFileName(std::string_view param, std::string_view extension);

// Splits a command line into its parameters the way the programs read them: blanks
// separate, double quotes group and are removed. Element 0 is the program's own name.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace talven
