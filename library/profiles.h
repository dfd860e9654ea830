#pragma once
// The profiles of the programs: TALVEN and TLVRUN32 (and every linked program) have every
// family; TALVSCR has fewer and withholds further names.

#include "engine/profile.h"

namespace talven {

const Profile& InterpreterProfile();
const Profile& RuntimeProfile();
const Profile& ScriptProfile();

}  // namespace talven
