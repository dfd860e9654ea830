#include "library/files/file_slots.h"

#include "engine/argument_text.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/scan.h"
#include "engine/text.h"

#include <algorithm>
#include <filesystem>

namespace talven {

// Every end of a run (its last line, END, a fatal error, RUN, the window closed) drops the
// state and so flushes and closes every file.
void FileState::CloseAll() {
  for (FileSlot& slot : slots) {
    if (slot.text != nullptr) std::fclose(slot.text);
    slot.text = nullptr;
    slot.mode = TextMode::Closed;
    slot.bytes.Close();
  }
  search.reset();
}

std::string StreamName(const std::string& name) {
#ifdef _WIN32
  return name;
#else
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
#endif
}

StreamCalls& Streams() {
  static StreamCalls calls;
  return calls;
}

std::FILE* OpenStream(const std::string& name, const char* mode) {
  const std::string path = StreamName(name);
  return Streams().open != nullptr ? Streams().open(path.c_str(), mode) : std::fopen(path.c_str(), mode);
}

bool RenameStream(const std::string& from, const std::string& to) {
  const std::string source = StreamName(from);
  const std::string target = StreamName(to);
  if (Streams().rename != nullptr) return Streams().rename(source.c_str(), target.c_str()) == 0;
  // The library's rename replaces an existing file on every system (the C one does not on
  // Windows).
  std::error_code error;
  std::filesystem::rename(source, target, error);
  return !error;
}

bool ReadAreaBlock(Engine& engine, AreaBlock& area) {
  const size_t comma = FindSeparator(engine.param, ",");
  const std::string name = UpperCase(TrimControl(std::string_view(engine.param).substr(0, comma)));
  engine.param = comma == kNotFound ? std::string()
                                    : std::string(TrimControl(std::string_view(engine.param).substr(comma + 1)));
  if (name.empty() || name.back() != '#') {
    Error(engine, ErrorCode::AreaVariableExpected);
    return false;
  }
  const int32_t index = engine.vars.areas.Find(name);
  if (index < 0) {
    Error(engine, ErrorCode::NotDeclared, name);
    return false;
  }
  const AreaValue value = engine.vars.areas.Value(index);
  std::vector<uint8_t>* block = engine.vars.Block(value.address);
  if (block == nullptr) {
    Error(engine, ErrorCode::AreaNotDimensioned);
    return false;
  }
  area.data = block->data();
  // The area's own size, never more than was allocated at its address.
  area.size = std::min<int64_t>(value.size, static_cast<int64_t>(Variables::UsableBytes(*block)));
  return true;
}

namespace {

// "#n" with n written as digits alone, followed by "," or nothing (what byte loops write),
// in `text` from its "#": read here as the evaluator reads it, without looking up the
// reading of the text each time. `rest` is what follows, trimmed. Anything else (an
// expression, a sign, more digits than fit) is the evaluator's.
bool ParsePlainSlot(std::string_view text, int32_t& slot, char& separator, std::string_view& rest) {
  const size_t size = text.size();
  size_t pos = 1;
  while (pos < size && IsControlOrBlank(text[pos])) ++pos;
  const size_t digits = pos;
  int32_t value = 0;
  while (pos < size && pos - digits < 9 && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == digits) return false;
  while (pos < size && IsControlOrBlank(text[pos])) ++pos;
  separator = ' ';
  if (pos < size) {
    if (text[pos] != ',') return false;
    separator = ',';
    ++pos;
  }
  size_t last = size;
  while (pos < last && IsControlOrBlank(text[pos])) ++pos;
  while (last > pos && IsControlOrBlank(text[last - 1])) --last;
  rest = text.substr(pos, last - pos);
  slot = value;
  return true;
}

int32_t CheckedSlot(Engine& engine, int32_t slot) {
  if (slot < 1 || slot > kFileSlots) {
    Error(engine, ErrorCode::FileSlotOutOfRange);
    return 0;
  }
  return slot;
}

}  // namespace

int32_t ReadFileSlot(Engine& engine, bool& plain, RememberedExpression* memo) {
  std::string& param = engine.param;
  plain = false;
  // A function's argument keeps the blanks after its "(": "@EOF( #1 )" names slot 1 as
  // "@EOF(#1)" does (a statement's parameter text is trimmed already).
  size_t lead = 0;
  while (lead < param.size() && IsControlOrBlank(param[lead])) ++lead;
  param.erase(0, lead);
  if (param.empty() || param.front() != '#') {
    Error(engine, ErrorCode::FileSlotExpected);
    return 0;
  }
  int32_t slot = 0;
  char separator = ' ';
  std::string_view rest;
  if (ParsePlainSlot(param, slot, separator, rest)) {
    // What follows is the parameter text left for the next argument.
    const size_t from = static_cast<size_t>(rest.data() - param.data());
    param.erase(from + rest.size());
    param.erase(0, from);
    engine.lastSeparator = separator;
    engine.paramEnded = param.empty();
    plain = true;
  } else {
    param.erase(0, 1);
    if (memo != nullptr) {
      EvaluateRemembered(engine, *memo, ",", EvalMode::Number);
      slot = engine.reg.integer;
    } else {
      slot = EvaluateInteger(engine, ",");
    }
  }
  return CheckedSlot(engine, slot);
}

int32_t ReadFileSlot(Engine& engine) {
  bool plain = false;
  return ReadFileSlot(engine, plain, nullptr);
}

int32_t ArgFileSlot(Engine& engine) {
  std::string_view text;
  size_t lead = 0;
  // With the short ways off (engine.numericPath) always as ReadFileSlot reads the text.
  const std::string_view* pending = engine.numericPath ? PendingArgumentText(engine) : nullptr;
  if (pending != nullptr) {
    const char* data = pending->data();
    const size_t size = pending->size();
    if (size == 2 && data[0] == '#' && data[1] >= '1' && data[1] <= '9') {
      // "#1" to "#9" alone, the common spelling.
      TakeArgumentText(engine, data + 2, 0);
      engine.lastSeparator = ' ';
      engine.paramEnded = true;
      return data[1] - '0';
    }
    text = std::string_view(data, size);
    while (lead < text.size() && IsControlOrBlank(text[lead])) ++lead;
  }
  if (lead >= text.size() || text[lead] != '#') {
    // No text kept, or no "#": the text written out and read as a statement reads it.
    CatchUpText(engine);
    return ReadFileSlot(engine);
  }
  int32_t slot = 0;
  char separator = ' ';
  std::string_view rest;
  if (ParsePlainSlot(text.substr(lead), slot, separator, rest)) {
    TakeArgumentText(engine, rest.data(), rest.size());
    engine.lastSeparator = separator;
    engine.paramEnded = rest.empty();
  } else {
    NextArgumentAfter(engine, lead + 1, EvalMode::Number);
    slot = engine.reg.integer;
  }
  return CheckedSlot(engine, slot);
}

bool ReadTextLine(Engine& engine, int32_t slot, std::string& line) {
  FileSlot& file = FilesOf(engine).slots[static_cast<size_t>(slot)];
  line.clear();
  if (file.mode != TextMode::Reading) {
    FilesOf(engine).ioResult = file.mode == TextMode::Closed ? kIoNotOpen : kIoNotOpenForInput;
    return false;
  }
  int c = std::getc(file.text);
  if (c == EOF) {
    FilesOf(engine).ioResult = kIoReadPastEnd;
    return false;
  }
  while (c != EOF && c != '\n' && c != '\r') {
    if (line.size() < kMaxStringLength) line.push_back(static_cast<char>(c));
    c = std::getc(file.text);
  }
  if (c == '\r') {
    const int next = std::getc(file.text);
    if (next != '\n' && next != EOF) std::ungetc(next, file.text);
  }
  return true;
}

void WriteTextFile(Engine& engine, int32_t slot, std::string_view text) {
  FileSlot& file = FilesOf(engine).slots[static_cast<size_t>(slot)];
  if (file.mode != TextMode::Writing) {
    FilesOf(engine).ioResult = file.mode == TextMode::Closed ? kIoNotOpen : kIoNotOpenForOutput;
    return;
  }
  if (std::fwrite(text.data(), 1, text.size(), file.text) != text.size()) {
    FilesOf(engine).ioResult = kIoWriteFailed;
  }
}

bool AtTextEnd(Engine& engine, int32_t slot) {
  FileSlot& file = FilesOf(engine).slots[static_cast<size_t>(slot)];
  if (file.mode != TextMode::Reading) {
    FilesOf(engine).ioResult = file.mode == TextMode::Closed ? kIoNotOpen : kIoNotOpenForInput;
    return true;
  }
  const int c = std::getc(file.text);
  if (c == EOF) return true;
  std::ungetc(c, file.text);
  return false;
}

}  // namespace talven
