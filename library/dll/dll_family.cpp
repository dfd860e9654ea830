// The family "dll": @USEDLL, FREEDLL and the DEF functions whose body names a library.
//
// A "!" body calls a 32-bit library function directly: the library is loaded, the
// function called with the long value of each parameter slot and the library freed again,
// at every call. The names are string expressions: the library's in file-name mode, the
// function's as written (its case kept). A call site looks its function up once: it keeps
// the address and one reference to the library for the rest of the run (so the library's
// own load and free at each call only count), and names given as plain strings are read
// once. A call allocates nothing then.
//
// Area variables handed to a function are checked afterwards: a function that wrote past
// an area's end (into the guard behind its block) warns 207.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/host.h"
#include "engine/limits.h"
#include "library/dll/dll_platform.h"
#include "library/dll/talv16_file.h"
#include "library/families.h"

namespace talven {

namespace {

// What a "!" call site keeps from one call to the next: the names, when its body gives
// them as plain strings, and the function's address with the library it was found in.
// That library stays loaded (one reference of our own) until the end of the run, so the
// address stays good while the call's own load and free only count references.
struct LibrarySite {
  std::string body;  // the body the site was read from
  bool constantNames = false;
  std::string library;
  std::string function;
  intptr_t handle = 0;
  intptr_t address = 0;
};

// The libraries @USEDLL loaded and not yet freed, and the call sites' libraries, freed at
// the end of the run.
struct DllState : FamilyState {
  explicit DllState(DllPlatform& platform) : dll(platform) {}
  ~DllState() override {
    for (const auto& [library, loads] : loaded) {
      for (int32_t i = 0; i < loads; ++i) dll.Free(library);
    }
    for (const auto& [body, site] : sites) {
      if (site.handle != 0) dll.Free(site.handle);
    }
  }
  DllPlatform& dll;
  int32_t lastHandle = 0;
  uint32_t lastHelperNumber = 0;
  std::map<intptr_t, int32_t> loaded;  // handle -> loads outstanding
  // By the body's text, which the engine keeps in one place for the whole run.
  std::unordered_map<const char*, LibrarySite> sites;
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
void TakeWrittenTexts(Engine& engine, std::span<const uint32_t> arguments) {
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

// The area a "#" argument names: its block's bytes without the closing zero; nullptr
// when the value names no area.
std::vector<uint8_t>* AreaOfSlot(Engine& engine, const Registers& slot) {
  if (slot.type == ValueType::String || slot.type == ValueType::Float) return nullptr;
  return engine.vars.Block(slot.longValue);
}

size_t AreaSize(const std::vector<uint8_t>& block) {
  const size_t usable = Variables::UsableBytes(block);
  return usable > 0 ? usable - 1 : 0;
}

// A "*" body: library, function, parameter description ("%", "&" or "#" for each
// parameter) and result type. The description is checked against the count (245) and its
// characters (246); the arguments go to TALV16.EXE in the temporary file "P" + six digits
// + ".$" in the current folder, the helper is started and waited for (with the messages
// processed) until it leaves the marker (the file's name + "!"), then the areas and the
// result are read back. Mended: a stale marker is removed first; a helper that ends
// without its marker, or cannot be started, is 304; an area that comes back longer than
// it is takes its own size and warns 207; the temporary file goes on every path.
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
  std::vector<HelperArgument> arguments(static_cast<size_t>(count));
  std::vector<std::vector<uint8_t>*> areas;  // the blocks of the "#" arguments, in order
  for (int32_t k = 1; k <= count; ++k) {
    const Registers& slot = engine.slots[static_cast<size_t>(k)];
    HelperArgument& argument = arguments[static_cast<size_t>(k - 1)];
    if (description[static_cast<size_t>(k - 1)] != '#') {
      argument.value = static_cast<int32_t>(SlotArgument(slot));
      continue;
    }
    std::vector<uint8_t>* block = AreaOfSlot(engine, slot);
    areas.push_back(block);
    if (block != nullptr) {
      argument.area.emplace(block->begin(), block->begin() + static_cast<std::ptrdiff_t>(AreaSize(*block)));
    }
  }
  DllState& state = DllOf(engine);
  DllPlatform& dll = state.dll;
  const std::string path = dll.FullPath(HelperFileName(NextHelperNumber(dll.Ticks(), state.lastHelperNumber)));
  const std::string marker = path + "!";
  if (!dll.WriteFile(path, WriteHelperFile(description, arguments))) {
    Error(engine, ErrorCode::FileNotCreatable, path);
    return;
  }
  dll.RemoveFile(marker);
  const intptr_t helper =
      dll.StartHelper(HelperCommandLine(names[0], names[1], description, names[3], dll.ShortPath(path)));
  bool answered = false;
  if (helper != 0) {
    for (;;) {
      if (dll.FileExists(marker)) {
        answered = true;
        break;
      }
      if (!dll.HelperRunning(helper, 10)) {
        answered = dll.FileExists(marker);
        break;
      }
      if (engine.host.PumpMessages(false) == PumpResult::Quit) {
        dll.ReleaseHelper(helper);
        dll.RemoveFile(marker);
        dll.RemoveFile(path);
        throw RunEnd{255};
      }
    }
    // The helper may still be closing the marker it just made: it is deleted once it can
    // be (for a second at most).
    for (int tries = 0; tries < 100 && !dll.RemoveFile(marker); ++tries) dll.HelperRunning(helper, 10);
    dll.ReleaseHelper(helper);
  }
  std::optional<std::vector<uint8_t>> written;
  if (answered) written = dll.ReadFile(path);
  dll.RemoveFile(path);
  if (!answered) {
    Error(engine, ErrorCode::Talv16Missing);
    return;
  }
  const std::optional<HelperReply> reply =
      written ? ReadHelperFile(*written, description, arguments) : std::nullopt;
  if (!reply) {
    Error(engine, ErrorCode::ReadFailed, path);
    return;
  }
  for (size_t i = 0; i < areas.size() && i < reply->areas.size(); ++i) {
    if (areas[i] != nullptr) std::copy(reply->areas[i].begin(), reply->areas[i].end(), areas[i]->begin());
  }
  const bool typed = names[3] == "%" || names[3] == "&";
  ResultInteger(engine, typed ? reply->result : 0, ValueType::Long);
  const Registers result = engine.reg;
  if (reply->areaOverflow) Warn(engine, ErrorCode::OutOfBounds, std::to_string(reply->overflowSize));
  engine.reg = result;
}

// Whether a body (after its "!") is two plain strings and a comma, nothing else: then its
// names are the same at every call.
bool PlainNames(std::string_view text) {
  size_t at = 0;
  const auto skipBlanks = [&] {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  };
  const auto quoted = [&] {
    skipBlanks();
    if (at >= text.size() || text[at] != '"') return false;
    const size_t close = text.find('"', at + 1);
    if (close == std::string_view::npos) return false;
    at = close + 1;
    return true;
  };
  if (!quoted()) return false;
  skipBlanks();
  if (at >= text.size() || text[at] != ',') return false;
  ++at;
  if (!quoted()) return false;
  skipBlanks();
  return at == text.size();
}

LibrarySite& SiteOf(DllState& state, std::string_view body) {
  LibrarySite& site = state.sites[body.data()];
  if (site.body != body) {
    if (site.handle != 0) state.dll.Free(site.handle);
    site = LibrarySite{};
    site.body = std::string(body);
    site.constantNames = PlainNames(body.substr(1));
  }
  return site;
}

// After a call: an area whose block an argument pointed into and whose guard the function
// overwrote warns 207 with the area's size (the guard is whole again).
void CheckAreaGuards(Engine& engine, std::span<const uint32_t> arguments) {
  if (engine.vars.blocks.empty()) return;
  for (const uint32_t argument : arguments) {
    auto* held = engine.vars.BlockHolding(argument);
    if (held == nullptr || !Variables::GuardDamaged(held->second)) continue;
    const size_t usable = Variables::UsableBytes(held->second);
    Warn(engine, ErrorCode::OutOfBounds, std::to_string(usable > 0 ? usable - 1 : 0));
  }
}

void CallLibrary(Engine& engine, std::string_view, std::string_view body, int32_t count) {
  if (body.front() == '*') {
    CallThroughHelper(engine, body.substr(1), count);
    return;
  }
  DllState& state = DllOf(engine);
  LibrarySite& site = SiteOf(state, body);
  std::string readLibrary;
  std::string readFunction;
  if (!site.constantNames || site.library.empty()) {
    ReadNames(engine, body.substr(1), readLibrary, readFunction);
    if (site.constantNames) {
      site.library = std::move(readLibrary);
      site.function = std::move(readFunction);
    }
  }
  const std::string& library = site.constantNames ? site.library : readLibrary;
  const std::string& function = site.constantNames ? site.function : readFunction;
  engine.reg = Registers{};
  const int32_t most = engine.kind == ProgramKind::Runtime ? kRuntimeArguments : kInterpreterArguments;
  if (count > most) {
    // Deliberate: the run goes on; the refused call's result is 0.
    engine.host.ShowBox(BoxRequest{"Fehler", "Mehr als " + std::to_string(most) + " Parameter!",
                                   BoxIcon::Information, BoxButtons::Ok, BoxOwner::MainWindow});
    ResultInteger(engine, 0, ValueType::Long);
    return;
  }
  std::array<uint32_t, kInterpreterArguments> slots{};
  for (int32_t k = 1; k <= count; ++k) {
    slots[static_cast<size_t>(k - 1)] = SlotArgument(engine.slots[static_cast<size_t>(k)]);
  }
  const std::span<const uint32_t> arguments(slots.data(), static_cast<size_t>(count));
  DllPlatform& dll = state.dll;
  const intptr_t handle = dll.Load(library);
  if (handle == 0) {
    Error(engine, ErrorCode::DllNotLoadable, library);
    return;
  }
  intptr_t address = handle == site.handle ? site.address : 0;
  bool kept = false;
  if (address == 0) {
    address = FindLibraryFunction(dll, handle, function, count);
    if (address == 0) {
      dll.Free(handle);
      Error(engine, ErrorCode::DllFunctionMissing, function);
      return;
    }
    // This load's reference stays as the site's own; the old library's is given back.
    if (site.handle != 0) dll.Free(site.handle);
    site.handle = handle;
    site.address = address;
    kept = true;
  }
  const LibraryCallResult result = dll.Call(address, arguments);
  if (result.faulted) {
    // The function faulted: what it may have overwritten is unknown, so the run ends with
    // the box of an unexpected error whatever the error level. The library stays loaded.
    site.handle = 0;
    engine.errors.level = 0;
    FatalError(engine, ErrorText(0));
    throw RunEnd{2};
  }
  if (!kept) dll.Free(handle);
  TakeWrittenTexts(engine, arguments);
  CheckAreaGuards(engine, arguments);
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
