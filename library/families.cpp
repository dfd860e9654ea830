#include "library/families.h"

#include <array>

namespace talven {

FamilyList AllFamilies() {
  static const std::array<const Family*, kFamilyCount> kFamilies = {
#define TALVEN_FAMILY(id, folder) &id##Family(),
#include "library/families.def"
#undef TALVEN_FAMILY
  };
  return kFamilies;
}

}  // namespace talven
