#include "engine/variables.h"

#include <algorithm>
#include <array>
#include <new>

namespace talven {

namespace {

// The largest block an area variable may ask for; beyond it DIM reports that memory is
// short, as a 32-bit process would long before.
constexpr int64_t kMaxBlockBytes = int64_t{1} << 28;

// The guard's bytes: no run of one value, nothing a text or a count would leave.
const std::array<uint8_t, Variables::kGuardBytes>& GuardPattern() {
  static const std::array<uint8_t, Variables::kGuardBytes> pattern = [] {
    std::array<uint8_t, Variables::kGuardBytes> bytes{};
    uint32_t state = 0x9E3779B9u;
    for (uint8_t& b : bytes) {
      state = state * 1664525u + 1013904223u;
      b = static_cast<uint8_t>((state >> 24) | 0x80u);
    }
    return bytes;
  }();
  return pattern;
}

}  // namespace

std::pair<const int32_t, std::vector<uint8_t>>* Variables::BlockHolding(uint32_t address) {
  if (address == 0 || blocks.empty()) return nullptr;
  auto it = blocks.upper_bound(static_cast<int32_t>(address));
  // The map orders addresses as signed numbers; a 32-bit program's blocks never lie at or
  // above 2 GiB, but look at the whole map's order anyway.
  if (it == blocks.begin()) return nullptr;
  --it;
  const uint32_t start = static_cast<uint32_t>(it->first);
  if (address - start >= it->second.size()) return nullptr;
  return &*it;
}

bool Variables::GuardDamaged(std::vector<uint8_t>& block) {
  if (block.size() < kGuardBytes) return false;
  const auto guard = block.end() - kGuardBytes;
  if (std::equal(GuardPattern().begin(), GuardPattern().end(), guard)) return false;
  std::copy_n(GuardPattern().begin(), kGuardBytes, guard);
  return true;
}

int32_t Variables::Allocate(int64_t bytes) {
  if (bytes <= 0 || bytes > kMaxBlockBytes) return 0;
  std::vector<uint8_t> block;
  try {
    block.assign(static_cast<size_t>(bytes) + kGuardBytes, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  std::copy_n(GuardPattern().begin(), kGuardBytes, block.end() - kGuardBytes);
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
