// The functions that read parameters and lists: the DIM lists (@LIST% ...), the
// program's command-line parameters (@PAR$), the blocks of area variables (@BYTE, @WORD,
// @LONG, @STRING$, @CHAR$) and the address of a variable (@ADDR).

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/function_handlers.h"
#include "engine/limits.h"
#include "engine/scan.h"
#include "engine/text.h"

namespace talven {

namespace {

void Fail(Engine& engine, ErrorCode code, std::string_view detail = {}) {
  engine.reg = Registers{};
  Error(engine, code, detail);
}

template <typename T, typename Store>
void ListFunction(Engine& engine, const DimList<T>& list, Store store) {
  const int32_t index = ArgLong(engine);
  // Deliberate: a negative index names no element either.
  if (index < 0 || index > list.Bound()) {
    Fail(engine, ErrorCode::OutOfBounds, std::to_string(list.Bound()));
    return;
  }
  store(list.elements[static_cast<size_t>(index)]);
}

// The bytes of an area variable's block from the offset on, `needs` of them at least (with
// a length argument: as many as it asks for, at most 255); the area variable is named (not
// evaluated) before the first ",". False after an error.
struct AreaBytes {
  const uint8_t* at = nullptr;
  int64_t available = 0;  // bytes from `at` to the end of the block
};

bool ReadArea(Engine& engine, int64_t needs, AreaBytes& out, bool withLength, int32_t& length) {
  CatchUpText(engine);
  const size_t comma = FindSeparator(engine.param, ",");
  const std::string name = UpperCase(TrimControl(std::string_view(engine.param).substr(0, comma)));
  engine.param = comma == kNotFound ? std::string()
                                    : std::string(TrimControl(std::string_view(engine.param).substr(comma + 1)));
  const int32_t offset = ArgLong(engine);
  if (withLength) {
    length = ArgInteger(engine);
    needs = std::clamp<int64_t>(length, 0, kMaxStringLength);
  }
  if (name.empty() || name.back() != '#') {
    Fail(engine, ErrorCode::AreaVariableExpected);
    return false;
  }
  const int32_t index = engine.vars.areas.Find(name);
  if (index < 0) {
    Fail(engine, ErrorCode::NotDeclared, name);
    return false;
  }
  const AreaValue area = engine.vars.areas.Value(index);
  const std::vector<uint8_t>* block = engine.vars.Block(area.address);
  if (block == nullptr) {
    Fail(engine, ErrorCode::AreaNotDimensioned);
    return false;
  }
  // The block holds size + 1 bytes; never more than were allocated at that address.
  const int64_t limit = std::min<int64_t>(int64_t{area.size} + 1, static_cast<int64_t>(Variables::UsableBytes(*block)));
  if (offset < 0 || offset >= limit || offset + needs > limit) {
    Fail(engine, ErrorCode::OutOfBounds, std::to_string(area.size));
    return false;
  }
  out.at = block->data() + offset;
  out.available = limit - offset;
  return true;
}

uint32_t LittleEndian(const uint8_t* at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

// A number that stands for where a value lives. The 32-bit programs give the value's own
// address, as a DLL expects it; the native build's pointers do not fit a long, so it
// gives a number of its own, never 0.
int32_t AddressOf(const void* value, int kind, size_t index) {
  if constexpr (sizeof(void*) == 4) {
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(value));
  } else {
    return static_cast<int32_t>(0x40000000u + (static_cast<uint32_t>(kind) << 24) +
                                static_cast<uint32_t>(index) * 8u);
  }
}

}  // namespace

void FnListInteger(Engine& engine, std::string_view) {
  ListFunction(engine, engine.vars.integerList,
               [&](int32_t v) { ResultInteger(engine, v, ValueType::Integer); });
}

void FnListLong(Engine& engine, std::string_view) {
  ListFunction(engine, engine.vars.longList, [&](int32_t v) { ResultInteger(engine, v, ValueType::Long); });
}

void FnListFloat(Engine& engine, std::string_view) {
  ListFunction(engine, engine.vars.floatList, [&](double v) { ResultFloat(engine, v); });
}

void FnListString(Engine& engine, std::string_view) {
  ListFunction(engine, engine.vars.stringList, [&](const std::string& v) { ResultString(engine, v); });
}

void FnPar(Engine& engine, std::string_view) {
  const int32_t index = ArgInteger(engine);
  const std::vector<std::string>& args = engine.programArgs;
  if (index < 1 || static_cast<size_t>(index) > args.size()) {
    Fail(engine, ErrorCode::CommandLineParameterMissing);
    return;
  }
  ResultString(engine, args[static_cast<size_t>(index) - 1]);
}

void FnByte(Engine& engine, std::string_view) {
  AreaBytes bytes;
  int32_t unused = 0;
  if (ReadArea(engine, 1, bytes, false, unused)) ResultInteger(engine, bytes.at[0]);
}

void FnWord(Engine& engine, std::string_view) {
  AreaBytes bytes;
  int32_t unused = 0;
  if (ReadArea(engine, 2, bytes, false, unused)) {
    ResultInteger(engine, static_cast<int32_t>(LittleEndian(bytes.at, 2)));
  }
}

void FnLong(Engine& engine, std::string_view) {
  AreaBytes bytes;
  int32_t unused = 0;
  if (ReadArea(engine, 4, bytes, false, unused)) {
    ResultInteger(engine, static_cast<int32_t>(LittleEndian(bytes.at, 4)), ValueType::Long);
  }
}

// @STRING$(area, offset): the text up to the first zero byte or the end of the block.
void FnStringAt(Engine& engine, std::string_view) {
  AreaBytes bytes;
  int32_t unused = 0;
  if (!ReadArea(engine, 1, bytes, false, unused)) return;
  const int64_t most = std::min<int64_t>(bytes.available, kMaxStringLength);
  int64_t n = 0;
  while (n < most && bytes.at[n] != 0) ++n;
  ResultString(engine, std::string(reinterpret_cast<const char*>(bytes.at), static_cast<size_t>(n)));
}

// @CHAR$(area, offset, length): `length` bytes as they stand; they must lie in the block.
void FnCharAt(Engine& engine, std::string_view) {
  AreaBytes bytes;
  int32_t length = 0;
  if (!ReadArea(engine, 0, bytes, true, length)) return;
  const int64_t wanted = std::clamp<int64_t>(length, 0, kMaxStringLength);
  ResultString(engine, std::string(reinterpret_cast<const char*>(bytes.at), static_cast<size_t>(wanted)));
}

// @ADDR(variable): the variable is named, not evaluated: a simple variable, an area
// variable (the address of its block) or an array element.
void FnAddr(Engine& engine, std::string_view) {
  CatchUpText(engine);
  const std::string name = UpperCase(TrimControl(engine.param));
  engine.param.clear();
  Variables& vars = engine.vars;
  if (!name.empty() && name.back() == ']' && name.find('[') != std::string::npos) {
    const size_t open = name.find('[');
    const std::string arrayName(TrimControl(std::string_view(name).substr(0, open)));
    int32_t indices[3] = {0, 0, 0};
    if (!ReadIndices(engine, std::string_view(name).substr(open + 1, name.size() - open - 2), indices)) {
      return;
    }
    const int32_t array = vars.FindArray(arrayName);
    if (array < 0) {
      Fail(engine, ErrorCode::NotDeclared, arrayName);
      return;
    }
    const ArrayDescriptor& descriptor = vars.arrays[static_cast<size_t>(array)];
    const int64_t element = ElementPosition(descriptor, indices);
    if (element < 0) {
      Fail(engine, ErrorCode::NoSuchElement);
      return;
    }
    const auto at = static_cast<size_t>(element);
    const void* value = nullptr;
    switch (descriptor.type) {
      case '%': value = &vars.integerPool[at]; break;
      case '&': value = &vars.longPool[at]; break;
      case '!': value = &vars.floatPool[at]; break;
      default: value = vars.stringPool[at].data(); break;
    }
    ResultInteger(engine, AddressOf(value, 5, at), ValueType::Long);
    return;
  }
  const char suffix = name.empty() ? ' ' : name.back();
  int32_t index = -1;
  const void* value = nullptr;
  int kind = 0;
  switch (suffix) {
    case '%':
      index = vars.integers.Find(name);
      if (index >= 0) value = &vars.integers.Value(index);
      kind = 1;
      break;
    case '&':
      index = vars.longs.Find(name);
      if (index >= 0) value = &vars.longs.Value(index);
      kind = 2;
      break;
    case '!':
      index = vars.floats.Find(name);
      if (index >= 0) value = &vars.floats.Value(index);
      kind = 3;
      break;
    case '$':
      index = vars.strings.Find(name);
      if (index >= 0) {
        // The address of a buffer of 256 bytes, so that a DLL may write a whole text and
        // its zero byte there (the call takes what it wrote as the value).
        vars.strings.Value(index).reserve(kMaxStringLength + 1);
        value = vars.strings.Value(index).data();
      }
      kind = 4;
      break;
    case '#':
      index = vars.areas.Find(name);
      if (index >= 0) {
        ResultInteger(engine, vars.areas.Value(index).address, ValueType::Long);
        return;
      }
      break;
    default: break;
  }
  if (index < 0) {
    Fail(engine, ErrorCode::NotDeclared, name);
    return;
  }
  ResultInteger(engine, AddressOf(value, kind, static_cast<size_t>(index)), ValueType::Long);
}

}  // namespace talven
