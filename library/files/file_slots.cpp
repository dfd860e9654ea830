#include "library/files/file_slots.h"

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/text.h"

namespace talven {

namespace {


}  // namespace

void FileState::CloseAll() {
  for (FileSlot& slot : slots) {
    if (slot.text != nullptr) std::fclose(slot.text);
    slot.text = nullptr;
    slot.mode = TextMode::Closed;
  }
}

int32_t ReadFileSlot(Engine& engine) {
  std::string& param = engine.param;
  if (param.empty() || param.front() != '#') {
    Error(engine, ErrorCode::FileSlotExpected);
    return 0;
  }
  param.erase(0, 1);
  const int32_t slot = EvaluateInteger(engine, ",");
  if (slot < 1 || slot > kFileSlots) {
    Error(engine, ErrorCode::FileSlotOutOfRange);
    return 0;
  }
  return slot;
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
