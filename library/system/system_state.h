#pragma once
// The run state of the system family: what a later read reports; and the accessors of
// the family's state and platform.

#include <cstdint>

#include "engine/family.h"
#include "library/families.h"
#include "library/system/system_platform.h"

namespace talven {

struct SystemState : FamilyState {
  // %MCIERROR: the result code of the last multimedia command string.
  int32_t mciError = 0;
};

inline SystemState& SystemOf(Engine& engine) {
  return FamilyStateOf<SystemState>(engine, FamilyId::System);
}
inline SystemPlatform& SystemPlatformOf(Engine& engine) {
  return FamilyPlatformOf<SystemPlatform>(engine, FamilyId::System);
}

}  // namespace talven
