// The family "dll": @USEDLL, FREEDLL and the DEF functions whose body names a library.
//
// A "!" body calls a 32-bit library function directly: the library is loaded, the
// function looked up, called with the long value of each parameter slot and the library
// freed again, at every call. The names are string expressions: the library's in
// file-name mode, the function's as written (its case kept).

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/host.h"
#include "engine/limits.h"
#include "library/dll/dll_platform.h"
#include "library/families.h"

namespace talven {

namespace {

// The libraries @USEDLL loaded and not yet freed, freed at the end of the run.
struct DllState : FamilyState {
  explicit DllState(DllPlatform& platform) : dll(platform) {}
  ~DllState() override {
    for (const auto& [library, loads] : loaded) {
      for (int32_t i = 0; i < loads; ++i) dll.Free(library);
    }
  }
  DllPlatform& dll;
  int32_t lastHandle = 0;
  std::map<intptr_t, int32_t> loaded;  // handle -> loads outstanding
};

DllState& DllOf(Engine& engine) { return FamilyStateOf<DllState>(engine, FamilyId::Dll); }
DllPlatform& DllPlatformOf(Engine& engine) { return FamilyPlatformOf<DllPlatform>(engine, FamilyId::Dll); }

constexpr int32_t kInterpreterArguments = 15;
constexpr int32_t kRuntimeArguments = 12;

// @USEDLL(name): loads the library and remembers its handle; the empty name loads
// nothing and gives the handle of the last @USEDLL (0 after a failed load). A failed
// load reports nothing.
void FnUseDll(Engine& engine, std::string_view) {
  Evaluate(engine, "", EvalMode::FileName);
  const std::string name = engine.reg.Text();
  DllState& state = DllOf(engine);
  if (!name.empty()) {
    const intptr_t library = state.dll.Load(name);
    state.lastHandle = static_cast<int32_t>(library);
    if (library != 0) ++state.loaded[library];
  }
  ResultInteger(engine, state.lastHandle, ValueType::Long);
}

// FREEDLL handle. Mended: only a library @USEDLL loaded is freed, and no more often than
// it was loaded, so that a wrong handle cannot unload what the system itself uses.
void StmtFreeDll(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "");
  const intptr_t library = static_cast<uint32_t>(engine.reg.longValue);
  DllState& state = DllOf(engine);
  const auto found = state.loaded.find(library);
  if (found == state.loaded.end()) return;
  state.dll.Free(library);
  if (--found->second == 0) state.loaded.erase(found);
}

// The 32-bit argument of a slot: integers and longs as they are, a float truncated
// (saturated), a text 0 (texts go by @ADDR or an area variable).
uint32_t SlotArgument(const Registers& slot) {
  switch (slot.type) {
    case ValueType::Float: {
      const double value = std::trunc(slot.floatValue);
      if (!(value == value)) return 0;
      if (value >= 2147483647.0) return 0x7FFFFFFFu;
      if (value <= -2147483648.0) return 0x80000000u;
      return static_cast<uint32_t>(static_cast<int32_t>(value));
    }
    case ValueType::String: return 0;
    default: return static_cast<uint32_t>(slot.longValue);
  }
}

// A string variable whose buffer a call got by @ADDR takes as its value what the
// function wrote there, up to the zero byte (at most 255 characters). Only the 32-bit
// programs pass real addresses.
void TakeWrittenTexts(Engine& engine, const std::vector<uint32_t>& arguments) {
  if constexpr (sizeof(void*) == 4) {
    auto& strings = engine.vars.strings;
    for (int32_t i = 0; i < strings.Count(); ++i) {
      std::string& value = strings.Value(i);
      if (value.capacity() < kMaxStringLength) continue;  // no buffer was handed out
      const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value.data()));
      for (const uint32_t argument : arguments) {
        if (argument != address) continue;
        const size_t length = strnlen(value.data(), kMaxStringLength);
        std::string written(value.data(), length);
        value.assign(written);
        break;
      }
    }
  } else {
    (void)engine;
    (void)arguments;
  }
}

// The names of a body: library and function, read from the text after "!".
void ReadNames(Engine& engine, std::string_view text, std::string& library, std::string& function) {
  std::string saved = std::move(engine.param);
  const char savedSeparator = engine.lastSeparator;
  const bool savedEnded = engine.paramEnded;
  engine.param = std::string(text);
  Evaluate(engine, ",", EvalMode::FileName);
  library = engine.reg.Text();
  Evaluate(engine, "", EvalMode::String);
  function = engine.reg.Text();
  engine.param = std::move(saved);
  engine.lastSeparator = savedSeparator;
  engine.paramEnded = savedEnded;
}

// A "*" body: library, function, parameter description ("%", "&" or "#" for each
// parameter) and result type. The description is checked against the count (245) and
// its characters (246). Deliberate: this build does not start the 16-bit helper at all;
// on the systems it runs on (32-bit programs on 64-bit Windows, Wine without 16-bit
// support) the helper cannot run, so every such call ends as a missing helper does (304).
void CallThroughHelper(Engine& engine, std::string_view text, int32_t count) {
  std::string saved = std::move(engine.param);
  const char savedSeparator = engine.lastSeparator;
  const bool savedEnded = engine.paramEnded;
  engine.param = std::string(text);
  std::string names[4];
  for (size_t i = 0; i < 4; ++i) {
    Evaluate(engine, i < 3 ? "," : "", i == 0 ? EvalMode::FileName : EvalMode::String);
    names[i] = engine.reg.Text();
  }
  engine.param = std::move(saved);
  engine.lastSeparator = savedSeparator;
  engine.paramEnded = savedEnded;
  engine.reg = Registers{};
  const std::string& description = names[2];
  if (static_cast<int32_t>(description.size()) != count) {
    Error(engine, ErrorCode::ParameterCountMismatch);
    return;
  }
  if (description.find_first_not_of("%&#") != std::string::npos) {
    Error(engine, ErrorCode::InvalidDescriptionType);
    return;
  }
  Error(engine, ErrorCode::Talv16Missing);
}

void CallLibrary(Engine& engine, std::string_view, std::string_view body, int32_t count) {
  if (body.front() == '*') {
    CallThroughHelper(engine, body.substr(1), count);
    return;
  }
  std::string library;
  std::string function;
  ReadNames(engine, body.substr(1), library, function);
  engine.reg = Registers{};
  const int32_t most = engine.kind == ProgramKind::Runtime ? kRuntimeArguments : kInterpreterArguments;
  if (count > most) {
    // Deliberate: the run goes on; the refused call's result is 0.
    engine.host.ShowBox(BoxRequest{"Fehler", "Mehr als " + std::to_string(most) + " Parameter!",
                                   BoxIcon::Information, BoxButtons::Ok, BoxOwner::MainWindow});
    ResultInteger(engine, 0, ValueType::Long);
    return;
  }
  std::vector<uint32_t> arguments;
  for (int32_t k = 1; k <= count; ++k) arguments.push_back(SlotArgument(engine.slots[static_cast<size_t>(k)]));
  DllPlatform& dll = DllPlatformOf(engine);
  const intptr_t handle = dll.Load(library);
  if (handle == 0) {
    Error(engine, ErrorCode::DllNotLoadable, library);
    return;
  }
  const intptr_t address = FindLibraryFunction(dll, handle, function, count);
  if (address == 0) {
    dll.Free(handle);
    Error(engine, ErrorCode::DllFunctionMissing, function);
    return;
  }
  const LibraryCallResult result = dll.Call(address, arguments);
  if (result.faulted) {
    // The function faulted: what it may have overwritten is unknown, so the run ends with
    // the box of an unexpected error whatever the error level. The library stays loaded.
    engine.errors.level = 0;
    FatalError(engine, ErrorText(0));
    throw RunEnd{2};
  }
  dll.Free(handle);
  TakeWrittenTexts(engine, arguments);
  ResultInteger(engine, static_cast<int32_t>(result.value), ValueType::Long);
  engine.reg.integer = engine.reg.longValue;
  engine.reg.floatValue = static_cast<double>(engine.reg.longValue);
}

constexpr StatementRow kStatements[] = {{"FREEDLL", StmtFreeDll}};
constexpr FunctionRow kFunctions[] = {{"USEDLL", FnUseDll}};

}  // namespace

intptr_t FindLibraryFunction(DllPlatform& dll, intptr_t library, const std::string& name,
                             int32_t count) {
  const std::string suffix = "@" + std::to_string(4 * count);
  for (const std::string& candidate : {name, name + suffix, "_" + name + suffix}) {
    const intptr_t address = dll.Find(library, candidate);
    if (address != 0) return address;
  }
  return 0;
}

const Family& DllFamily() {
  static const Family kFamily{
      .name = "dll",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = {},
      .makeState = [](Engine& engine) -> std::unique_ptr<FamilyState> {
        return std::make_unique<DllState>(FamilyPlatformOf<DllPlatform>(engine, FamilyId::Dll));
      },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<NullDll>(); },
      .arguments = ArgumentStyle::ParameterText,
      .libraryCall = CallLibrary,
  };
  return kFamily;
}

}  // namespace talven
