#pragma once
// The families of the built-in library (families.def) and their ids. A family's handlers
// reach its run state and platform through the typed accessors its own header defines
// on top of FamilyStateOf/FamilyPlatformOf.

#include <cstddef>

#include "engine/engine.h"
#include "engine/family.h"

namespace talven {

enum class FamilyId : size_t {
#define TALVEN_FAMILY(id, folder) id,
#include "library/families.def"
#undef TALVEN_FAMILY
  Count
};

constexpr size_t FamilyIndex(FamilyId id) { return static_cast<size_t>(id); }
inline constexpr size_t kFamilyCount = FamilyIndex(FamilyId::Count);

// Each family's definition, in its folder.
#define TALVEN_FAMILY(id, folder) const Family& id##Family();
#include "library/families.def"
#undef TALVEN_FAMILY

// Every family, indexed by id.
FamilyList AllFamilies();

// The run state of family `id` as its own type. Every program that runs a family's
// handler has its state.
template <typename State>
State& FamilyStateOf(Engine& engine, FamilyId id) {
  return static_cast<State&>(*engine.StateOf(FamilyIndex(id)));
}
template <typename State>
const State& FamilyStateOf(const Engine& engine, FamilyId id) {
  return static_cast<const State&>(*engine.StateOf(FamilyIndex(id)));
}

// The platform of family `id` as its own type.
template <typename Platform>
Platform& FamilyPlatformOf(Engine& engine, FamilyId id) {
  // Installers put only the family's own platform under its id.
  return static_cast<Platform&>(engine.PlatformOf(FamilyIndex(id)));
}

}  // namespace talven
