#include "engine/variables.h"

#include <new>

namespace talven {

namespace {

// The largest block an area variable may ask for; beyond it DIM reports that memory is
// short, as a 32-bit process would long before.
constexpr int64_t kMaxBlockBytes = int64_t{1} << 28;

}  // namespace

int32_t Variables::Allocate(int64_t bytes) {
  if (bytes <= 0 || bytes > kMaxBlockBytes) return 0;
  std::vector<uint8_t> block;
  try {
    block.assign(static_cast<size_t>(bytes), 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  int32_t address = 0;
  const auto pointer = reinterpret_cast<uintptr_t>(block.data());
  if constexpr (sizeof(void*) == 4) {
    // In the 32-bit programs the address is the block's own, as DLLs expect it.
    address = static_cast<int32_t>(pointer);
  } else {
    // The native build's pointers do not fit a long: number the blocks instead.
    do {
      address = nextSyntheticAddress;
      nextSyntheticAddress =
          static_cast<int32_t>(static_cast<uint32_t>(nextSyntheticAddress) + 0x10000u);
    } while (address == 0 || blocks.count(address) != 0);
  }
  blocks[address] = std::move(block);
  return address;
}

void Variables::Reset() { *this = Variables{}; }

}  // namespace talven
