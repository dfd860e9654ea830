// The family "serial": @OPENCOM, @SETCOM, @SETCOMEXT, @WRITECOM, @READCOM$, @CLOSECOM and
// @COMERROR. Only ports that OPENCOM opened and that are still open are handed to the
// system: any other number (a file's handle, 0, a closed port) gives -1, 0 bytes or an
// empty text and is never touched. Ports still open at the end of the run are closed.

#include <algorithm>
#include <set>
#include <string>

#include "engine/engine.h"
#include "engine/function_handlers.h"
#include "engine/limits.h"
#include "library/families.h"
#include "library/serial/serial_platform.h"

namespace talven {

namespace {

class NoSerial : public SerialPlatform {
 public:
  std::optional<int32_t> Open(const std::string&, int32_t, int32_t) override { return std::nullopt; }
  bool SetMode(int32_t, const std::string&) override { return false; }
  bool SetFlags(int32_t, int32_t, int32_t, int32_t) override { return false; }
  int32_t Write(int32_t, const std::string&) override { return 0; }
  std::string Read(int32_t, int32_t) override { return {}; }
  bool Close(int32_t) override { return false; }
  int32_t TakeErrors(int32_t) override { return -1; }
};

SerialPlatform& PortsOf(Engine& engine) { return FamilyPlatformOf<SerialPlatform>(engine, FamilyId::Serial); }

struct SerialState : FamilyState {
  explicit SerialState(SerialPlatform& platform) : platform(platform) {}
  ~SerialState() override {
    for (const int32_t port : open) platform.Close(port);
  }
  SerialPlatform& platform;
  std::set<int32_t> open;
  // The port SETCOM configures: the one last opened, 0 when it was closed.
  int32_t last = 0;
};

SerialState& SerialOf(Engine& engine) { return FamilyStateOf<SerialState>(engine, FamilyId::Serial); }

bool IsOpen(Engine& engine, int32_t port) { return port != 0 && SerialOf(engine).open.count(port) != 0; }

// @OPENCOM(name, input queue, output queue): the handle, -1 on failure.
void FnOpenCom(Engine& engine, std::string_view) {
  const std::string name = ArgKept(engine, 0);
  const int32_t inQueue = ArgInteger(engine);
  const int32_t outQueue = ArgInteger(engine);
  const std::optional<int32_t> port = PortsOf(engine).Open(name, inQueue, outQueue);
  if (!port || *port <= 0) {
    ResultInteger(engine, -1);
    return;
  }
  SerialOf(engine).open.insert(*port);
  SerialOf(engine).last = *port;
  ResultInteger(engine, *port);
}

// @SETCOM(mode): applies to the port last opened; 0 or -1.
void FnSetCom(Engine& engine, std::string_view) {
  const std::string mode = ArgString(engine);
  const int32_t port = SerialOf(engine).last;
  ResultInteger(engine, IsOpen(engine, port) && PortsOf(engine).SetMode(port, mode) ? 0 : -1);
}

// @SETCOMEXT(handle, three ignored values, flags, XON limit, XOFF limit): 0 or -1.
void FnSetComExt(Engine& engine, std::string_view) {
  const int32_t port = ArgInteger(engine);
  for (int i = 0; i < 3; ++i) ArgLong(engine);
  const int32_t flags = ArgLong(engine);
  const int32_t xon = ArgInteger(engine);
  const int32_t xoff = ArgInteger(engine);
  ResultInteger(engine, IsOpen(engine, port) && PortsOf(engine).SetFlags(port, flags, xon, xoff) ? 0 : -1);
}

// @WRITECOM(handle, text): the number of bytes written.
void FnWriteCom(Engine& engine, std::string_view) {
  const int32_t port = ArgInteger(engine);
  const std::string text = ArgString(engine);
  ResultInteger(engine, IsOpen(engine, port) ? PortsOf(engine).Write(port, text) : 0);
}

// @READCOM$(handle, count): at most count (and never more than 255) of the bytes waiting;
// NUL bytes are kept.
void FnReadCom(Engine& engine, std::string_view) {
  const int32_t port = ArgInteger(engine);
  const int32_t count = std::min<int32_t>(ArgInteger(engine), static_cast<int32_t>(kMaxStringLength));
  std::string text;
  if (count > 0 && IsOpen(engine, port)) text = PortsOf(engine).Read(port, count);
  if (text.size() > static_cast<size_t>(count)) text.resize(static_cast<size_t>(count > 0 ? count : 0));
  ResultString(engine, std::move(text));
}

void FnCloseCom(Engine& engine, std::string_view) {
  const int32_t port = ArgInteger(engine);
  if (!IsOpen(engine, port)) {
    ResultInteger(engine, -1);
    return;
  }
  SerialState& state = SerialOf(engine);
  state.open.erase(port);
  if (state.last == port) state.last = 0;
  ResultInteger(engine, PortsOf(engine).Close(port) ? 0 : -1);
}

void FnComError(Engine& engine, std::string_view) {
  const int32_t port = ArgInteger(engine);
  ResultInteger(engine, IsOpen(engine, port) ? PortsOf(engine).TakeErrors(port) : -1);
}

constexpr FunctionRow kFunctions[] = {
    {"WRITECOM", FnWriteCom}, {"READCOM$", FnReadCom}, {"OPENCOM", FnOpenCom},     {"CLOSECOM", FnCloseCom},
    {"SETCOM", FnSetCom},     {"SETCOMEXT", FnSetComExt}, {"COMERROR", FnComError},
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakeNoSerial() { return std::make_unique<NoSerial>(); }

const Family& SerialFamily() {
  static const Family kFamily{
      .name = "serial",
      .statements = {},
      .functions = kFunctions,
      .variables = {},
      .makeState = [](Engine& engine) -> std::unique_ptr<FamilyState> {
        return std::make_unique<SerialState>(PortsOf(engine));
      },
      .makePlatform = MakeNoSerial,
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
