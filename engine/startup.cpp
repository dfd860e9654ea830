#include "engine/startup.h"

#include "engine/errors.h"
#include "engine/loader.h"
#include "engine/run_loop.h"
#include "engine/text.h"

namespace talven {

namespace {

[[noreturn]] void Usage(Host& host, const Profile& profile) {
  StopWithBox(host, std::string(profile.startCaption), std::string(profile.usageText), 2);
}

// The file named by parameter 1, else the one the dialog chooses.
std::unique_ptr<InputFile> OpenProgram(Host& host, const Profile& profile,
                                       const std::vector<std::string>& params) {
  if (!params.empty()) {
    const std::string name = ProgramFileName(params.front(), profile.appendedExtension);
    if (auto file = host.OpenInput(name)) return file;
  }
  const std::optional<std::string> chosen =
      host.OpenFileDialog(ErrorText(ErrorCode::LoadPrompt), profile.fileFilter, profile.defaultExtension);
  if (!chosen) Usage(host, profile);
  const std::string name(TrimControl(*chosen));
  auto file = host.OpenInput(name);
  if (!file) {
    // The dialog only offers existing files; one that still cannot be read ends the start
    // as if nothing had been chosen, but says which file it was.
    StopWithBox(host, std::string(profile.startCaption),
                Joined(ErrorText(ErrorCode::FileNotFound), name), 2);
  }
  return file;
}

}  // namespace

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
    RunStatements(engine);
    // The families end in the reverse order of their ids, so that the window (the first)
    // comes last: the files, tables and print jobs of the others are complete before a
    // program that opened its window leaves it to the user.
    const auto& states = engine.FamilyStates();
    for (auto state = states.rbegin(); state != states.rend(); ++state) {
      if (*state != nullptr) (*state)->AfterLastStatement(engine);
    }
  } catch (const RunEnd& end) {
    exitCode = end.exitCode;
  }
  engine.store.Clear();
  host.ReleaseRun();
  return exitCode;
}

int RunInterpreter(Host& host, const std::vector<std::string>& params, const Profile& profile) {
  Engine engine(host, ProgramKind::Interpreter, profile);
  return RunProgram(engine, [&](Engine& run) {
    std::unique_ptr<InputFile> file = OpenProgram(host, profile, params);
    LoadSource(host, *file, run.store, nullptr, &profile);
    if (params.size() > 1) run.programArgs.assign(params.begin() + 1, params.end());
  });
}

}  // namespace talven
