// The family "odbc": @SQLINIT, SQLEXEC, SQLSETDEL, SQLSETNULL, SQLDONE and &SQLCOUNT.
//
// One connection exists at a time. SQLEXEC runs a statement and delivers its result as
// text lines (odbc_layout.cpp) to the text window (mode 0), the shared string list
// (mode 1) or the file "SQL.DAT" in the current directory (mode 2). A statement the
// driver refuses shows the driver's message in a stop box "ODBC-Fehler" and the run goes
// on with &SQLCOUNT -1.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/host.h"
#include "engine/system_variables.h"
#include "library/controls/shared_list.h"
#include "library/families.h"
#include "library/odbc/odbc_layout.h"
#include "library/odbc/odbc_platform.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

struct OdbcState : FamilyState {
  explicit OdbcState(OdbcPlatform& platform) : odbc(platform) {}
  // The end of the run disconnects what the program left connected.
  ~OdbcState() override {
    if (initialised) odbc.Done();
  }
  OdbcPlatform& odbc;
  bool initialised = false;
  std::string delimiter;
  std::string quote;
  std::string nullText;
  int32_t count = 0;  // &SQLCOUNT
};

OdbcState& OdbcOf(Engine& engine) { return FamilyStateOf<OdbcState>(engine, FamilyId::Odbc); }

// Rows fetched between two looks at the message queue (Ctrl+Break, a closed window).
constexpr int32_t kRowsPerPump = 256;

// @SQLINIT(connection): 1 when connected, else 0. Mended: a second @SQLINIT ends the
// first connection before it makes its own.
void FnSqlInit(Engine& engine, std::string_view) {
  Evaluate(engine, "", EvalMode::String);
  const std::string connection = engine.reg.Text();
  OdbcState& state = OdbcOf(engine);
  if (state.initialised) state.odbc.Done();
  state.initialised = false;
  if (!state.odbc.Load()) {
    Error(engine, ErrorCode::OdbcInitialisationFailed);
    ResultInteger(engine, 0);
    return;
  }
  // Mended: the driver manager refuses to ask without an owner window; the main window
  // owns the question where there is one, else the platform takes the desktop.
  const intptr_t owner = WindowPlatformOf(engine).NativeHandle();
  if (!state.odbc.Connect(connection, owner)) {
    state.odbc.Done();
    ResultInteger(engine, 0);
    return;
  }
  state.initialised = true;
  ResultInteger(engine, 1);
}

void StmtSqlDone(Engine& engine) {
  engine.handled = true;
  OdbcState& state = OdbcOf(engine);
  if (!state.initialised) {
    Error(engine, ErrorCode::OdbcNotInitialised);
    return;
  }
  state.odbc.Done();
  state.initialised = false;
}

void StmtSqlSetDel(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "", EvalMode::String);
  const std::string text = engine.reg.Text();
  OdbcState& state = OdbcOf(engine);
  state.delimiter = text.substr(0, std::min<size_t>(text.size(), 1));
  state.quote = text.size() > 1 ? text.substr(1, 1) : std::string();
}

void StmtSqlSetNull(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "", EvalMode::String);
  OdbcOf(engine).nullText = engine.reg.Text();
}

// Where the lines of one SQLEXEC go.
class LineSink {
 public:
  LineSink(Engine& engine, SqlTarget target) : m_engine(engine), m_target(target) {}
  ~LineSink() {
    if (m_file != nullptr) std::fclose(m_file);
  }
  LineSink(const LineSink&) = delete;
  LineSink& operator=(const LineSink&) = delete;

  bool OpenFile() {
    m_file = std::fopen("SQL.DAT", "wb");
    return m_file != nullptr;
  }
  // False when the list is full (warned once; nothing more is taken).
  bool Write(const std::string& line) {
    switch (m_target) {
      case SqlTarget::Window:
        EnsureWindow(m_engine);
        WriteText(m_engine, line);
        WriteLineEnd(m_engine);
        return true;
      case SqlTarget::List:
        if (m_full) return false;
        if (SharedListOf(m_engine).Add(line)) return true;
        m_full = true;
        Warn(m_engine, ErrorCode::ResultSetTooLarge);
        return false;
      case SqlTarget::File:
        std::fwrite(line.data(), 1, line.size(), m_file);
        std::fwrite("\r\n", 1, 2, m_file);
        return true;
    }
    return true;
  }

 private:
  Engine& m_engine;
  SqlTarget m_target;
  std::FILE* m_file = nullptr;
  bool m_full = false;
};

// Closes the statement on every way out, a fatal error's unwinding included.
class StatementCloser {
 public:
  explicit StatementCloser(OdbcPlatform& odbc) : m_odbc(odbc) {}
  ~StatementCloser() { m_odbc.CloseStatement(); }
  StatementCloser(const StatementCloser&) = delete;
  StatementCloser& operator=(const StatementCloser&) = delete;

 private:
  OdbcPlatform& m_odbc;
};

void ShowDriverMessage(Engine& engine, const std::string& message) {
  engine.host.ShowBox(BoxRequest{std::string(ErrorText(ErrorCode::OdbcErrorCaption)), DriverMessage(message),
                                 BoxIcon::Stop, BoxButtons::Ok, BoxOwner::MainWindow, false, true});
}

// SQLEXEC sql, mode.
void StmtSqlExec(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ",", EvalMode::String);
  const std::string sql = engine.reg.Text();
  const int32_t mode = EvaluateInteger(engine, "");
  OdbcState& state = OdbcOf(engine);
  if (!state.initialised) {
    Error(engine, ErrorCode::OdbcNotInitialised);
    return;
  }
  state.count = 0;
  OdbcPlatform& odbc = state.odbc;
  std::string message;
  if (!odbc.Execute(sql, message)) {
    state.count = -1;
    ShowDriverMessage(engine, message);
    return;
  }
  StatementCloser closer(odbc);
  const SqlTarget target = mode == 1 ? SqlTarget::List : mode == 2 ? SqlTarget::File : SqlTarget::Window;
  const int32_t columns = odbc.ColumnCount();
  if (columns <= 0) {
    // An action statement: its row count; "Operation erfolgreich!" and a commit where it
    // touched no row.
    state.count = odbc.RowCount();
    if (state.count > 0) {
      if (mode == 0) {
        EnsureWindow(engine);
        WriteText(engine, std::to_string(state.count) + std::string(ErrorText(ErrorCode::RecordsProcessed)));
        WriteLineEnd(engine);
      }
    } else {
      if (mode == 0) {
        EnsureWindow(engine);
        WriteText(engine, ErrorText(ErrorCode::OperationSucceeded));
        WriteLineEnd(engine);
      }
      odbc.Commit();
      state.count = 0;
    }
    return;
  }
  LineSink sink(engine, target);
  if (target == SqlTarget::File && !sink.OpenFile()) {
    Error(engine, ErrorCode::ResultFileNotOpenable);
    return;
  }
  SqlLineStyle style{target, state.delimiter, state.quote, state.nullText};
  std::vector<std::optional<std::string>> names;
  std::vector<int64_t> widths;
  std::vector<size_t> buffers;
  for (int32_t column = 1; column <= columns; ++column) {
    const OdbcColumn described = odbc.Describe(column);
    const int64_t width = DisplayWidth(described.type, described.size, described.name.size());
    names.emplace_back(described.name);
    widths.push_back(width);
    buffers.push_back(BufferSize(width, target));
  }
  odbc.Bind(buffers);
  bool taking = sink.Write(SqlLine(names, widths, style));
  if (taking && target != SqlTarget::File) taking = sink.Write(SqlSeparator(names, widths, style));
  std::vector<std::optional<std::string>> row;
  int32_t sincePump = 0;
  while (taking && odbc.Fetch(row)) {
    ++state.count;
    taking = sink.Write(SqlLine(row, widths, style));
    // Mended: an endless result set can be broken off with Ctrl+Break.
    if (++sincePump == kRowsPerPump) {
      sincePump = 0;
      if (engine.host.PumpMessages(false) == PumpResult::Quit) throw RunEnd{255};
    }
  }
}

void ReadSqlCount(Engine& engine, std::string_view name) { SetSystemNumber(engine, name, OdbcOf(engine).count); }

constexpr StatementRow kStatements[] = {
    {"SQLEXEC", StmtSqlExec},
    {"SQLSETNULL", StmtSqlSetNull},
    {"SQLSETDEL", StmtSqlSetDel},
    {"SQLDONE", StmtSqlDone},
};
constexpr FunctionRow kFunctions[] = {{"SQLINIT", FnSqlInit}};
constexpr VariableRow kVariables[] = {{"&SQLCOUNT", ReadSqlCount}};

}  // namespace

const Family& OdbcFamily() {
  static const Family kFamily{
      .name = "odbc",
      .statements = kStatements,
      .functions = kFunctions,
      .variables = kVariables,
      .makeState = [](Engine& engine) -> std::unique_ptr<FamilyState> {
        return std::make_unique<OdbcState>(FamilyPlatformOf<OdbcPlatform>(engine, FamilyId::Odbc));
      },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<NullOdbc>(); },
      .arguments = ArgumentStyle::ParameterText,
  };
  return kFamily;
}

}  // namespace talven
