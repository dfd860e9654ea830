// The dBase functions, statements and system variables: they read their arguments, pick
// the table and hand the work to the table layer, whose results become the language's
// errors 600..616 (warnings with the layer's detail text) here.

#include "library/dbase/dbase_functions.h"

#include <array>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/number_text.h"
#include "library/controls/shared_list.h"
#include "library/dbase/dbase_state.h"
#include "library/dbase/dbase_words.h"
#include "library/dbase/key_expression.h"
#include "library/system/system_state.h"
#include "library/system/system_values.h"
#include "library/windows/window_state.h"

namespace talven {

using dbase::DbResult;
using dbase::Table;

void DbaseState::CloseAll() {
  for (auto& table : slots) {
    // Deliberate: a close that fails at the end of a run has nobody left to tell.
    if (table != nullptr) table->Close(today);
    table.reset();
  }
  current = 0;
}

namespace {

// CHARSET 1 selects OEM fonts; then the tables hold OEM text: read texts are turned to
// ANSI, written texts and search keys to OEM.
constexpr int32_t kOemCharset = 255;

bool OemTables(Engine& engine) { return WindowOf(engine).charset == kOemCharset; }
std::string FromTable(Engine& engine, std::string text) { return OemTables(engine) ? OemToAnsi(text) : text; }
std::string ToTable(Engine& engine, std::string text) { return OemTables(engine) ? AnsiToOem(text) : text; }

}  // namespace

dbase::DbDate Today(Engine& engine) {
  const LocalTime now = SystemPlatformOf(engine).Now();
  return DbaseOf(engine).today = dbase::DbDate{now.year, now.month, now.day};
}

namespace {

// A result of the table layer that is no success: a warning with its detail text.
// False for a failure (the caller then returns its failure value).
bool Reported(Engine& engine, const DbResult& result) {
  if (result.Ok()) return true;
  Warn(engine, static_cast<ErrorCode>(result.error), result.Appended());
  return false;
}

std::string ReadText(Engine& engine, EvalMode mode = EvalMode::Any) {
  Evaluate(engine, ",", mode);
  return engine.reg.Text();
}

int32_t ReadLong(Engine& engine) {
  Evaluate(engine, ",", EvalMode::Number);
  return engine.reg.longValue;
}

bool MoreText(std::string_view text) {
  for (char c : text) {
    if (c != ' ') return true;
  }
  return false;
}

bool MoreArguments(const Engine& engine) { return MoreText(engine.param); }

// A file name of nothing but blanks, or with a wildcard, names no one file: 607 with the
// name.
bool UsableName(Engine& engine, const std::string& name) {
  if (MoreText(name) && name.find_first_of("*?") == std::string::npos) return true;
  Warn(engine, ErrorCode::DbBadFileName, name);
  return false;
}

// "#n": 105 without "#", 609 outside 1..15. 0 when the slot cannot be used (the error
// then let the program go on: level -1).
int32_t ReadTableSlot(Engine& engine) {
  std::string& param = engine.param;
  size_t start = 0;
  while (start < param.size() && param[start] == ' ') ++start;
  if (start >= param.size() || param[start] != '#') {
    Error(engine, ErrorCode::TableSlotExpected);
    return 0;
  }
  param.erase(0, start + 1);
  const int32_t slot = EvaluateInteger(engine, ",");
  if (slot < 1 || slot > dbase::kTableSlots) {
    Error(engine, ErrorCode::TableSlotOutOfRange);
    return 0;
  }
  return slot;
}

// The current table; 610 when the program has none (never opened, or closed).
Table* CurrentTable(Engine& engine) {
  Table* table = DbaseOf(engine).Current();
  if (table == nullptr) Error(engine, ErrorCode::TableSlotNotAssigned);
  return table;
}

// An occupied slot for DBUSE and DBCLOSE: 610 otherwise.
Table* SlotTable(Engine& engine, int32_t slot) {
  Table* table = DbaseOf(engine).slots[static_cast<size_t>(slot)].get();
  if (table == nullptr) Error(engine, ErrorCode::TableSlotNotAssigned);
  return table;
}

int32_t Count(const Table& table) { return static_cast<int32_t>(table.RecordCount()); }
int32_t Number(const Table& table) { return static_cast<int32_t>(table.RecordNumber()); }

// --- tables ------------------------------------------------------------------------------

void FnDbOpen(Engine& engine, std::string_view) {
  const int32_t slot = ReadTableSlot(engine);
  if (slot == 0) return ResultLong(engine, 0);
  const std::string given = ReadText(engine, EvalMode::FileName);
  if (!UsableName(engine, given)) return ResultLong(engine, 0);
  const std::string name = dbase::WithExtension(given, ".DBF");
  DbaseState& state = DbaseOf(engine);
  Today(engine);
  // A slot opened again gives up its table first, as DBCLOSE would.
  if (auto& old = state.slots[static_cast<size_t>(slot)]; old != nullptr) {
    const DbResult closed = old->Close(state.today);
    old.reset();
    if (state.current == slot) state.current = 0;
    Reported(engine, closed);
  }
  std::unique_ptr<Table> table;
  if (!Reported(engine, Table::Open(DbasePlatformOf(engine).Files(), name, &table))) return ResultLong(engine, 0);
  const int32_t count = Count(*table);
  state.slots[static_cast<size_t>(slot)] = std::move(table);
  state.current = slot;
  ResultLong(engine, count);
}

void FnDbUse(Engine& engine, std::string_view) {
  const int32_t slot = ReadTableSlot(engine);
  Table* table = slot == 0 ? nullptr : SlotTable(engine, slot);
  if (table == nullptr) return ResultLong(engine, 0);
  DbaseOf(engine).current = slot;
  ResultLong(engine, Count(*table));
}

void FnDbClose(Engine& engine, std::string_view) {
  const int32_t slot = ReadTableSlot(engine);
  Table* table = slot == 0 ? nullptr : SlotTable(engine, slot);
  if (table == nullptr) return ResultLong(engine, 0);
  DbaseState& state = DbaseOf(engine);
  const DbResult closed = table->Close(Today(engine));
  const int32_t count = Count(*table);
  state.slots[static_cast<size_t>(slot)].reset();
  if (state.current == slot) state.current = 0;
  Reported(engine, closed);
  ResultLong(engine, count);
}

// --- moves -------------------------------------------------------------------------------

void FnDbGo(Engine& engine, std::string_view) {
  Evaluate(engine, ",", EvalMode::Any);
  int64_t number = 0;
  dbase::MoveWord word = dbase::MoveWord::Number;
  std::string text;
  if (engine.reg.type == ValueType::String) {
    text = engine.reg.Text();
    word = dbase::ParseMoveWord(text, &number);
  } else {
    number = engine.reg.longValue;
  }
  const bool counted = MoreArguments(engine);
  const int64_t count = counted ? ReadLong(engine) : 1;
  Table* table = CurrentTable(engine);
  if (table == nullptr) return ResultLong(engine, 0);
  DbResult result;
  switch (word) {
    case dbase::MoveWord::Top: result = table->Top(); break;
    case dbase::MoveWord::Bottom: result = table->Bottom(); break;
    case dbase::MoveWord::Next: result = table->Next(count); break;
    case dbase::MoveWord::Prev: result = table->Prev(count); break;
    case dbase::MoveWord::Index: result = table->IndexNth(count); break;
    case dbase::MoveWord::Number: result = table->Go(number); break;
    case dbase::MoveWord::Invalid:
      // A word that names no position is a record that cannot be found.
      result = DbResult::Of(dbase::kErrKeyField, "Datensatz " + text + " nicht in der Tabelle gefunden.");
      break;
  }
  Reported(engine, result);
  ResultLong(engine, Number(*table));
}

// --- fields ------------------------------------------------------------------------------

void FnDbGet(Engine& engine, std::string_view) {
  const std::string name = ReadText(engine);
  Table* table = CurrentTable(engine);
  std::string text;
  if (table == nullptr || !Reported(engine, table->GetField(name, &text))) return ResultString(engine, {});
  ResultString(engine, FromTable(engine, std::move(text)));
}

void FnDbGetField(Engine& engine, std::string_view) {
  const int32_t number = EvaluateInteger(engine, ",");
  Table* table = CurrentTable(engine);
  std::string text;
  if (table == nullptr || !Reported(engine, table->GetField(number, &text))) return ResultString(engine, {});
  ResultString(engine, FromTable(engine, std::move(text)));
}

void FnDbPut(Engine& engine, std::string_view) {
  const std::string name = ReadText(engine);
  const std::string text = ReadText(engine);
  Table* table = CurrentTable(engine);
  const bool put = table != nullptr && Reported(engine, table->PutField(name, ToTable(engine, text)));
  ResultInteger(engine, put ? 1 : 0);
}

void FnDbPutField(Engine& engine, std::string_view) {
  const int32_t number = EvaluateInteger(engine, ",");
  const std::string text = ReadText(engine);
  Table* table = CurrentTable(engine);
  const bool put = table != nullptr && Reported(engine, table->PutField(number, ToTable(engine, text)));
  ResultInteger(engine, put ? 1 : 0);
}

// --- writing -----------------------------------------------------------------------------

// DBPUTREC [n]: 0 or nothing writes the current record (appends when none is current).
void FnDbPutRec(Engine& engine, std::string_view) {
  const int32_t record = MoreArguments(engine) ? ReadLong(engine) : 0;
  Table* table = CurrentTable(engine);
  uint32_t written = 0;
  if (table != nullptr) Reported(engine, table->PutRecord(record, &written));
  ResultLong(engine, static_cast<int32_t>(written));
}

void FnDbAppendBlank(Engine& engine, std::string_view) {
  Table* table = CurrentTable(engine);
  uint32_t record = 0;
  if (table != nullptr) Reported(engine, table->AppendBlank(&record));
  ResultLong(engine, static_cast<int32_t>(record));
}

void FnDbDelete(Engine& engine, std::string_view) {
  Table* table = CurrentTable(engine);
  if (table == nullptr) return ResultLong(engine, 0);
  Reported(engine, table->Delete());
  ResultLong(engine, Number(*table));
}

void FnDbUndelete(Engine& engine, std::string_view) {
  Table* table = CurrentTable(engine);
  if (table == nullptr) return ResultLong(engine, 0);
  Reported(engine, table->Undelete());
  ResultLong(engine, Number(*table));
}

void FnDbPack(Engine& engine, std::string_view) {
  Table* table = CurrentTable(engine);
  if (table == nullptr) return ResultLong(engine, 0);
  uint32_t count = table->RecordCount();
  Reported(engine, table->Pack(Today(engine), &count));
  ResultLong(engine, Count(*table));
}

// --- searching ---------------------------------------------------------------------------

// DBINDEX never reports an error: its result says whether an index is attached.
void FnDbIndex(Engine& engine, std::string_view) {
  const std::string names = ReadText(engine, EvalMode::FileName);
  Table* table = CurrentTable(engine);
  bool attached = false;
  if (table != nullptr) table->AttachIndexes(dbase::SplitIndexNames(names), &attached);
  ResultInteger(engine, attached ? 1 : 0);
}

void FnDbFind(Engine& engine, std::string_view) {
  const std::string key = ReadText(engine);
  const int32_t exact = EvaluateInteger(engine, ",");
  Table* table = CurrentTable(engine);
  uint32_t found = 0;
  if (table != nullptr) Reported(engine, table->Find(ToTable(engine, key), exact != 0, &found));
  ResultLong(engine, static_cast<int32_t>(found));
}

void FnDbSeek(Engine& engine, std::string_view) {
  const std::string field = ReadText(engine);
  const std::string text = ReadText(engine);
  const int32_t mode = MoreArguments(engine) ? EvaluateInteger(engine, ",") : 0;
  Table* table = CurrentTable(engine);
  uint32_t found = 0;
  if (table != nullptr) {
    // Modes other than 1 and 2 search anywhere in the field, as 0 does.
    const dbase::SeekMode seek = mode == 1 ? dbase::SeekMode::Begins
                                 : mode == 2 ? dbase::SeekMode::Equal
                                             : dbase::SeekMode::Contains;
    if (OemTables(engine)) {
      // Deliberate: compared in ANSI, where upper and lower case of the umlauts are known:
      // the field's OEM bytes are turned to ANSI, the search text stays as written.
      static const std::array<uint8_t, 256> kOemToAnsi = [] {
        std::array<uint8_t, 256> table{};
        for (int c = 0; c < 256; ++c) {
          table[static_cast<size_t>(c)] = static_cast<uint8_t>(OemToAnsi(std::string(1, static_cast<char>(c)))[0]);
        }
        return table;
      }();
      Reported(engine, table->Seek(field, text, seek, &found, &kOemToAnsi));
    } else {
      Reported(engine, table->Seek(field, text, seek, &found));
    }
  }
  ResultLong(engine, static_cast<int32_t>(found));
}

// --- memos -------------------------------------------------------------------------------

void FnDbGetMemo(Engine& engine, std::string_view) {
  const std::string field = ReadText(engine);
  Table* table = CurrentTable(engine);
  if (table == nullptr) return ResultInteger(engine, -1);
  std::vector<std::string> lines;
  int32_t result = -1;
  const DbResult read = table->GetMemo(field, &lines, &result);
  if (result >= 0) {
    // The list holds the memo, or what of it could be read.
    SharedList& list = SharedListOf(engine);
    list.Clear();
    for (std::string& line : lines) list.Add(FromTable(engine, std::move(line)));
  }
  Reported(engine, read);
  ResultInteger(engine, result);
}

void FnDbPutMemo(Engine& engine, std::string_view) {
  const std::string field = ReadText(engine);
  Table* table = CurrentTable(engine);
  if (table == nullptr) return ResultInteger(engine, 0);
  std::vector<std::string> lines;
  for (const std::string& entry : SharedListOf(engine).Entries()) lines.push_back(ToTable(engine, entry));
  ResultInteger(engine, Reported(engine, table->PutMemo(field, lines)) ? 1 : 0);
}

// --- dates -------------------------------------------------------------------------------

dbase::DateOrder ShortDateOrder(Engine& engine) {
  return dbase::DateOrderOf(engine.host.ReadIniString("WIN.INI", "INTL", "sShortDate", kDefaultShortDate));
}

void FnDtoc(Engine& engine, std::string_view) {
  const std::string date = ReadText(engine);
  std::string text;
  if (!dbase::DateToText(date, ShortDateOrder(engine), &text)) Warn(engine, ErrorCode::WrongTypeForDtoc);
  ResultString(engine, text);
}

void FnCtod(Engine& engine, std::string_view) {
  const std::string text = ReadText(engine);
  std::string date;
  if (!dbase::TextToDate(text, ShortDateOrder(engine), &date)) Warn(engine, ErrorCode::WrongTypeForCtod);
  ResultString(engine, date);
}

// --- statements --------------------------------------------------------------------------

// DBCREATE definitions > table
void StmtDbCreate(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ">", EvalMode::FileName);
  const std::string definitions = engine.reg.Text();
  const std::string given = ReadText(engine, EvalMode::FileName);
  if (!UsableName(engine, definitions) || !UsableName(engine, given)) return;
  const std::string name = dbase::WithExtension(given, ".DBF");
  Reported(engine, dbase::CreateTable(DbasePlatformOf(engine).Files(), definitions, name, Today(engine)));
}

// DBCREATEINDEX key > index
void StmtDbCreateIndex(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, ">", EvalMode::Any);
  const std::string expression = engine.reg.Text();
  const std::string name = ReadText(engine, EvalMode::FileName);
  if (!dbase::ValidIndexName(name)) return Error(engine, ErrorCode::BadIndexFileName, name);
  if (!UsableName(engine, name)) return;
  Table* table = CurrentTable(engine);
  if (table != nullptr) Reported(engine, table->CreateIndex(expression, name));
}

void StmtDbSetMemoWidth(Engine& engine) {
  engine.handled = true;
  const int32_t width = EvaluateInteger(engine, ",");
  if (Table* table = CurrentTable(engine)) table->SetMemoWidth(width);
}

// --- system variables --------------------------------------------------------------------

// The variables read the current table; without one they are 0 or empty.
template <typename Value>
void ReadNumber(Engine& engine, Value value, ValueType type = ValueType::Integer) {
  const Table* table = DbaseOf(engine).Current();
  ResultInteger(engine, table == nullptr ? 0 : value(*table), type);
}

void ReadLastUpdate(Engine& engine, std::string_view) {
  const Table* table = DbaseOf(engine).Current();
  if (table == nullptr) return ResultString(engine, {});
  // Day, month and the year byte taken modulo 100 (others store 95 or 124 for 1995 and
  // 2024), two digits each.
  const uint8_t* raw = table->Header().raw;
  auto two = [](int value) {
    return std::string{static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
  };
  ResultString(engine, two(raw[3]) + "." + two(raw[2]) + "." + two(raw[1] % 100));
}

void ReadFieldType(Engine& engine, std::string_view) {
  const Table* table = DbaseOf(engine).Current();
  ResultString(engine, table == nullptr ? std::string(" ") : std::string(1, table->Last().type));
}

void ReadFieldName(Engine& engine, std::string_view) {
  const Table* table = DbaseOf(engine).Current();
  ResultString(engine, table == nullptr ? std::string() : table->Last().name);
}

void ReadDbMemo(Engine& e, std::string_view) { ReadNumber(e, [](const Table& t) { return t.HasMemoFile() ? 1 : 0; }); }
void ReadDbVersion(Engine& e, std::string_view) { ReadNumber(e, [](const Table& t) { return t.Header().raw[0] & 3; }); }
void ReadDbRecCount(Engine& e, std::string_view) { ReadNumber(e, Count, ValueType::Long); }
void ReadDbHeader(Engine& e, std::string_view) {
  ReadNumber(e, [](const Table& t) { return static_cast<int32_t>(t.Header().headerLength); });
}
void ReadDbRecSize(Engine& e, std::string_view) {
  ReadNumber(e, [](const Table& t) { return static_cast<int32_t>(t.Header().recordLength); });
}
void ReadDbRecNo(Engine& e, std::string_view) { ReadNumber(e, Number, ValueType::Long); }
void ReadDbFieldCount(Engine& e, std::string_view) {
  ReadNumber(e, [](const Table& t) { return static_cast<int32_t>(t.Fields().size()); });
}
void ReadDbFieldDecimals(Engine& e, std::string_view) { ReadNumber(e, [](const Table& t) { return t.Last().decimals; }); }
void ReadDbFieldLength(Engine& e, std::string_view) { ReadNumber(e, [](const Table& t) { return t.Last().length; }); }
void ReadDbFieldNumber(Engine& e, std::string_view) { ReadNumber(e, [](const Table& t) { return t.Last().number; }); }
void ReadDbDeleted(Engine& e, std::string_view) { ReadNumber(e, [](const Table& t) { return t.Deleted() ? 1 : 0; }); }
void ReadDbEof(Engine& e, std::string_view) { ReadNumber(e, [](const Table& t) { return t.Eof() ? 1 : 0; }); }

constexpr FunctionRow kFunctions[] = {
    {"DBOPEN", FnDbOpen},       {"DBUSE", FnDbUse},           {"DBGO", FnDbGo},
    {"DBCLOSE", FnDbClose},     {"DBGET$", FnDbGet},          {"DBGETFIELD$", FnDbGetField},
    {"DBINDEX", FnDbIndex},     {"DBFIND", FnDbFind},         {"DBSEEK", FnDbSeek},
    {"DBPUT", FnDbPut},         {"DBPUTFIELD", FnDbPutField}, {"DBPUTREC", FnDbPutRec},
    {"DBDELETE", FnDbDelete},   {"DBUNDELETE", FnDbUndelete}, {"DBPACK", FnDbPack},
    {"DBAPPENDBLANK", FnDbAppendBlank}, {"DBGETMEMO", FnDbGetMemo}, {"DBPUTMEMO", FnDbPutMemo},
    {"DTOC$", FnDtoc},          {"CTOD$", FnCtod},
};

constexpr StatementRow kStatements[] = {
    {"DBCREATE", StmtDbCreate},
    {"DBCREATEINDEX", StmtDbCreateIndex},
    {"DBSETMEMOWIDTH", StmtDbSetMemoWidth},
};

constexpr VariableRow kVariables[] = {
    {"%DBMEMO", ReadDbMemo},         {"%DBVERSION", ReadDbVersion},     {"&DBRECCOUNT", ReadDbRecCount},
    {"%DBHEADER", ReadDbHeader},     {"%DBRECSIZE", ReadDbRecSize},     {"&DBRECNO", ReadDbRecNo},
    {"%DBFCOUNT", ReadDbFieldCount}, {"$DBLUPDATE", ReadLastUpdate},    {"$DBFTYPE", ReadFieldType},
    {"%DBFDECS", ReadDbFieldDecimals}, {"%DBFLEN", ReadDbFieldLength},  {"%DBFNUMBER", ReadDbFieldNumber},
    {"$DBFNAME", ReadFieldName},     {"%DBDELETED", ReadDbDeleted},     {"%DBEOF", ReadDbEof},
};

}  // namespace

std::span<const FunctionRow> DbaseFunctionRows() { return kFunctions; }
std::span<const StatementRow> DbaseStatementRows() { return kStatements; }
std::span<const VariableRow> DbaseVariableRows() { return kVariables; }

}  // namespace talven
