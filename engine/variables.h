#pragma once
// The variable tables of a run: five kinds of simple variables searched newest first,
// array descriptors over four element pools, the four DIM lists and the blocks of the
// area variables.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The look-ups every variable site makes are inlined there: a call would hand the name
// over in two halves, which the 32-bit build reloads in one piece, a load that waits for
// both stores. The checked builds (sanitizers, fuzzing) leave inlining to the compiler:
// there each inlined copy adds guarded stack slots of its own, and the deepest nesting an
// evaluation allows would exhaust the stack.
#ifdef TALVEN_CHECKED
#define TALVEN_LOOKUP_INLINE
#else
#define TALVEN_LOOKUP_INLINE [[gnu::always_inline]]
#endif

namespace talven {

// A block of an area variable is known by its address; the value of an area variable is
// that address and the size it was dimensioned with.
struct AreaValue {
  int32_t address = 0;
  int32_t size = 0;
};

// A remembered variable look-up: valid while the table holds the same list of names.
struct LookupCache {
  uint32_t generation = 0;
  int32_t index = -1;
};

// A remembered array look-up: arrays are only ever added, so it holds while their number
// stays the same.
struct ArrayLookupCache {
  size_t count = static_cast<size_t>(-1);
  int32_t index = -1;
};

// Names a list of variable names by its contents: two lists of the same names in the same
// order have the same identity, however they came about. A procedure's locals are dropped
// at its end and declared again at the next call; the table then holds the same names as
// at the last call, and every look-up remembered then still holds. Identities are the
// nodes of a tree of name sequences, grown as names are added. Deep recursion makes ever
// new sequences (each level with or without its later locals): past a size (or a number
// of branches at one node) the tree stops growing and each new list gets an identity of
// its own, never equal to an older one.
class NameHistory {
 public:
  static constexpr uint32_t kEmpty = 1;
  // The identity of `parent` followed by `name`.
  uint32_t Child(uint32_t parent, std::string_view name) {
    if (parent < m_nodes.size()) {
      std::vector<Edge>& edges = m_nodes[parent];
      for (const Edge& edge : edges) {
        if (edge.name == name) return edge.child;
      }
      if (m_nodes.size() < kMaxNodes && edges.size() < kMaxEdges) {
        const auto child = static_cast<uint32_t>(m_nodes.size());
        edges.push_back(Edge{std::string(name), child});
        m_nodes.emplace_back();
        return child;
      }
    }
    return m_unique++;
  }

 private:
  static constexpr size_t kMaxNodes = 4096;
  // A place where ever new names follow gets no more branches: the search stays short.
  static constexpr size_t kMaxEdges = 8;
  struct Edge {
    std::string name;
    uint32_t child;
  };
  // Node 0 is unused (a fresh LookupCache holds generation 0), node 1 the empty list.
  std::vector<std::vector<Edge>> m_nodes = std::vector<std::vector<Edge>>(2);
  uint32_t m_unique = kMaxNodes;
};

// The entries past the count that a procedure's end dropped stay where they were: the
// next call declares the same names at the same places, and takes them up again with a
// compare instead of building them anew (names, identities, values' room). Only the first
// `m_count` entries exist for every reader; a different name at a place drops the kept
// ones from there on, so the kept entries always continue the live ones as they were
// made (m_path[n + 1] is the identity of the first n + 1 names).
template <typename T>
class VariableTable {
 public:
  int32_t Count() const { return static_cast<int32_t>(m_count); }
  // Newest entry first; -1 when the name is not declared.
  int32_t Find(std::string_view name) const {
    for (size_t i = m_count; i-- > 0;) {
      if (m_names[i] == name) return static_cast<int32_t>(i);
    }
    return -1;
  }
  // The same name again where the table had it before (a procedure's PARAMETERS at its
  // next call) takes its old place; inlined for that case, like FindCached.
  TALVEN_LOOKUP_INLINE void Add(std::string_view name, T value) {
    if (m_count < m_names.size() && m_names[m_count] == name) {
      m_values[m_count] = std::move(value);
      m_generation = m_path[++m_count];
      return;
    }
    AddNew(name, std::move(value));
  }
  [[gnu::noinline]] void AddNew(std::string_view name, T value) {
    if (m_count < m_names.size()) {
      m_names.resize(m_count);
      m_values.resize(m_count);
      m_path.resize(m_count + 1);
    }
    m_path.push_back(m_history.Child(m_path[m_count], name));
    m_names.emplace_back(name);
    m_values.push_back(std::move(value));
    m_generation = m_path[++m_count];
  }
  // The identity of the list of names (NameHistory): a look-up remembered at one
  // generation holds wherever the table shows the same generation again.
  uint32_t Generation() const { return m_generation; }
  // Drops every entry past `count` (the end of a procedure).
  void DropTo(int32_t count) {
    if (count < 0 || count >= Count()) return;
    m_count = static_cast<size_t>(count);
    m_generation = m_path[m_count];
  }
  // Find, remembered in `cache` until the names change. The search itself stays out of
  // line: the remembered case is a compare at every variable site.
  TALVEN_LOOKUP_INLINE int32_t FindCached(std::string_view name, LookupCache& cache) const {
    const uint32_t generation = m_generation;
    if (cache.generation != generation) [[unlikely]] Refind(name, cache, generation);
    return cache.index;
  }
  T& Value(int32_t index) { return m_values[static_cast<size_t>(index)]; }
  const T& Value(int32_t index) const { return m_values[static_cast<size_t>(index)]; }
  [[gnu::noinline]] void Refind(std::string_view name, LookupCache& cache, uint32_t generation) const {
    cache.index = Find(name);
    cache.generation = generation;
  }
  void Clear() {
    m_names.clear();
    m_values.clear();
    m_path.assign(1, NameHistory::kEmpty);
    m_count = 0;
    m_generation = NameHistory::kEmpty;
  }

 private:
  std::vector<std::string> m_names;
  std::vector<T> m_values;
  // m_path[n]: the identity of the first n names.
  std::vector<uint32_t> m_path = std::vector<uint32_t>(1, NameHistory::kEmpty);
  size_t m_count = 0;  // the entries that exist; those past it are kept for reuse
  uint32_t m_generation = NameHistory::kEmpty;  // m_path[m_count]
  NameHistory m_history;
};

struct ArrayDescriptor {
  char type = '%';
  std::string name;  // with its suffix
  int32_t bounds[3] = {0, 0, 0};
  int32_t count = 0;
  int32_t first = 0;  // index of the first element in the pool of its type (0-based)
};

// The counts a procedure frame records and its end restores.
struct VariableCounts {
  int32_t integers = 0;
  int32_t longs = 0;
  int32_t strings = 0;
  int32_t floats = 0;
};

// The four unnamed DIM lists. `dimensioned` tells a list that DIM% and its kin created.
template <typename T>
struct DimList {
  bool dimensioned = false;
  std::vector<T> elements;
  int32_t Bound() const { return dimensioned ? static_cast<int32_t>(elements.size()) - 1 : -1; }
};

struct Variables {
  VariableTable<int32_t> integers;
  VariableTable<int32_t> longs;
  VariableTable<double> floats;
  VariableTable<std::string> strings;
  VariableTable<AreaValue> areas;

  std::vector<ArrayDescriptor> arrays;
  std::vector<int32_t> integerPool;
  std::vector<int32_t> longPool;
  std::vector<double> floatPool;
  std::vector<std::string> stringPool;

  DimList<int32_t> integerList;
  DimList<int32_t> longList;
  DimList<double> floatList;
  DimList<std::string> stringList;

  // The live blocks of the area variables by address. A value that names no live block
  // (an address assigned by hand, a block already disposed) has no block to write to.
  // Each block is followed by kGuardBytes of a known pattern, which no statement touches:
  // a library function that writes past the block changes it (GuardDamaged).
  std::map<int32_t, std::vector<uint8_t>> blocks;
  static constexpr size_t kGuardBytes = 64;
  int32_t nextSyntheticAddress = 0x10000;

  VariableCounts Counts() const {
    return {integers.Count(), longs.Count(), strings.Count(), floats.Count()};
  }
  void RestoreCounts(const VariableCounts& counts) {
    integers.DropTo(counts.integers);
    longs.DropTo(counts.longs);
    strings.DropTo(counts.strings);
    floats.DropTo(counts.floats);
  }
  // Newest array of that name (with suffix); -1 when none.
  int32_t FindArray(std::string_view name) const {
    for (size_t i = arrays.size(); i-- > 0;) {
      if (arrays[i].name == name) return static_cast<int32_t>(i);
    }
    return -1;
  }
  TALVEN_LOOKUP_INLINE int32_t FindArrayCached(std::string_view name, ArrayLookupCache& cache) const {
    if (cache.count != arrays.size()) {
      cache.index = FindArray(name);
      cache.count = arrays.size();
    }
    return cache.index;
  }
  std::vector<uint8_t>* Block(int32_t address) {
    if (address == 0) return nullptr;
    auto it = blocks.find(address);
    return it == blocks.end() ? nullptr : &it->second;
  }
  // The bytes of a block the program may use: without its guard.
  static size_t UsableBytes(const std::vector<uint8_t>& block) {
    return block.size() > kGuardBytes ? block.size() - kGuardBytes : 0;
  }
  // The block that holds `address` (its start or any byte up to its guard); nullptr when none.
  std::pair<const int32_t, std::vector<uint8_t>>* BlockHolding(uint32_t address);
  // Whether something wrote into the guard behind the block; the guard is whole again
  // afterwards.
  static bool GuardDamaged(std::vector<uint8_t>& block);
  // A block of `bytes` bytes; its address, or 0 when it cannot be had.
  int32_t Allocate(int64_t bytes);
  void Free(int32_t address) { blocks.erase(address); }
  void Reset();
};

}  // namespace talven
