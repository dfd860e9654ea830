// The family "dde": DDELINK, DDEEXECUTE, DDETERMINATE and %DDEWIN, a client of one DDE
// conversation at a time. No errors are raised: a link nobody answers keeps the partner
// as it was, and an execute without a partner does nothing.

#include <string>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/host.h"
#include "engine/system_variables.h"
#include "library/dde/dde_platform.h"
#include "library/families.h"

namespace talven {

namespace {

// How long DDEEXECUTE waits for the acknowledgement of a partner that is still there.
constexpr uint32_t kExecuteWait = 30000;

class NoDde : public DdePlatform {
 public:
  intptr_t Link(const std::string&, const std::string&) override { return 0; }
  DdePost Execute(const std::string&) override { return DdePost::NoPartner; }
  bool Acknowledged() override { return false; }
  bool PartnerGone() override { return true; }
  void WaitForMessage(uint32_t) override {}
  uint32_t Milliseconds() override { return 0; }
  void Terminate() override {}
  intptr_t Partner() override { return 0; }
};

DdePlatform& DdeOf(Engine& engine) { return FamilyPlatformOf<DdePlatform>(engine, FamilyId::Dde); }

// The end of a run ends the conversation too.
struct DdeState : FamilyState {
  explicit DdeState(DdePlatform& platform) : platform(platform) {}
  ~DdeState() override { platform.Terminate(); }
  DdePlatform& platform;
};

void StmtDdeLink(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ",", EvalMode::String);
  const std::string application = engine.reg.Text();
  Evaluate(engine, "", EvalMode::String);
  const std::string topic = engine.reg.Text();
  DdeOf(engine).Link(application, topic);
}

// Waits for the partner's acknowledgement while the window's messages are served; the wait
// sleeps between messages and ends when the partner is gone or after 30 seconds. A closed
// main window still ends the run.
void StmtDdeExecute(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "", EvalMode::String);
  const std::string command = engine.reg.Text();
  DdePlatform& dde = DdeOf(engine);
  if (dde.Execute(command) != DdePost::Posted) return;
  const uint32_t start = dde.Milliseconds();
  for (;;) {
    if (engine.host.PumpMessages(true) == PumpResult::Quit) throw RunEnd{255};
    if (dde.Acknowledged() || dde.PartnerGone()) return;
    const uint32_t waited = dde.Milliseconds() - start;
    if (waited >= kExecuteWait) return;
    dde.WaitForMessage(kExecuteWait - waited);
  }
}

void StmtDdeTerminate(Engine& engine) {
  engine.handled = true;
  DdeOf(engine).Terminate();
}

void ReadDdeWin(Engine& engine, std::string_view name) {
  SetSystemNumber(engine, name, static_cast<int32_t>(DdeOf(engine).Partner()));
}

constexpr StatementRow kStatements[] = {
    {"DDELINK", StmtDdeLink},
    {"DDEEXECUTE", StmtDdeExecute},
    {"DDETERMINATE", StmtDdeTerminate},
};

constexpr VariableRow kVariables[] = {
    {"%DDEWIN", ReadDdeWin},
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakeNoDde() { return std::make_unique<NoDde>(); }

const Family& DdeFamily() {
  static const Family kFamily{
      .name = "dde",
      .statements = kStatements,
      .functions = {},
      .variables = kVariables,
      .makeState = [](Engine& engine) -> std::unique_ptr<FamilyState> {
        return std::make_unique<DdeState>(DdeOf(engine));
      },
      .makePlatform = MakeNoDde,
      .arguments = ArgumentStyle::ParameterText,
  };
  return kFamily;
}

}  // namespace talven
