#include "engine/startup.h"

#include "engine/errors.h"
#include "engine/loader.h"
#include "engine/run_loop.h"
#include "engine/text.h"

namespace talven {

namespace {

constexpr std::string_view kUsageCaption = "T A L V E N ²";

ErrorCode UsageText(ProgramKind kind) {
  switch (kind) {
    case ProgramKind::Runtime:
      return ErrorCode::UsageRuntime;
    case ProgramKind::Compiler:
      return ErrorCode::UsageCompiler;
    default:
      return ErrorCode::UsageInterpreter;
  }
}

[[noreturn]] void Usage(Host& host, ProgramKind kind) {
  StopWithBox(host, std::string(kUsageCaption), std::string(ErrorText(UsageText(kind))), 2);
}

// Finding the program: the file named by parameter 1, else the one the dialog chooses.
std::unique_ptr<InputFile> OpenProgram(Host& host, ProgramKind kind,
                                       const std::vector<std::string>& params) {
  const bool runtime = kind == ProgramKind::Runtime;
  if (!params.empty()) {
    const std::string name = ProgramFileName(params.front(), runtime ? ".TVC" : ".TVS");
    if (auto file = host.OpenInput(name)) return file;
  }
  const std::optional<std::string> chosen =
      host.OpenFileDialog(ErrorText(ErrorCode::LoadPrompt),
                          runtime ? "Talven-Code (*.tvc)|*.TVC|All (*.*)|*.*"
                                  : "Talven-Source (*.tvs)|*.TVS|All (*.*)|*.*",
                          runtime ? "TVC" : "TVS");
  if (!chosen) Usage(host, kind);
  const std::string name(TrimControl(*chosen));
  auto file = host.OpenInput(name);
  if (!file) {
    // The dialog only offers existing files; one that still cannot be read ends the start
    // as if nothing had been chosen, but says which file it was.
    StopWithBox(host, std::string(kUsageCaption), Joined(ErrorText(ErrorCode::FileNotFound), name),
                2);
  }
  return file;
}

}  // namespace

std::string_view WindowTitleFor(ProgramKind kind) {
  return kind == ProgramKind::Runtime ? "ZUL-TALVEN² RUNTIME 6.5-NT"
                                      : "ZUL-TALVEN² INTERPRETER 6.6-NT";
}

std::string_view EngineVersion(ProgramKind kind) {
  return kind == ProgramKind::Runtime ? "6.5-NT" : "6.6-NT";
}

std::string ProgramFileName(std::string_view param, std::string_view extension) {
  std::string name(param);
  if (name.find('.') == std::string::npos) name.append(extension);
  return name;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> params;
  size_t i = 0;
  while (i < commandLine.size()) {
    while (i < commandLine.size() && IsControlOrBlank(commandLine[i])) ++i;
    if (i >= commandLine.size()) break;
    std::string param;
    bool quoted = false;
    while (i < commandLine.size() && (quoted || !IsControlOrBlank(commandLine[i]))) {
      if (commandLine[i] == '"') {
        quoted = !quoted;
      } else {
        param.push_back(commandLine[i]);
      }
      ++i;
    }
    params.push_back(std::move(param));
  }
  return params;
}

int RunProgram(Engine& engine, const std::function<void(Engine&)>& load) {
  Host& host = engine.host;
  int exitCode = 0;
  try {
    load(engine);
    engine.ResetRunState();
    engine.window.setup.title = std::string(WindowTitleFor(engine.kind));
    RunStatements(engine);
    if (host.Window().Exists()) host.Window().RunUntilClosed();
  } catch (const RunEnd& end) {
    exitCode = end.exitCode;
  }
  engine.store.Clear();
  host.ReleaseRun();
  return exitCode;
}

int RunInterpreter(Host& host, const std::vector<std::string>& params) {
  Engine engine(host, ProgramKind::Interpreter);
  return RunProgram(engine, [&](Engine& run) {
    std::unique_ptr<InputFile> file = OpenProgram(host, run.kind, params);
    LoadSource(host, *file, run.store);
    if (params.size() > 1) run.programArgs.assign(params.begin() + 1, params.end());
  });
}

}  // namespace talven
