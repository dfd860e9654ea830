#include "engine/engine.h"

namespace talven {

void Engine::ResetRunState() {
  pc = 0;
  terminate = false;
  handled = false;
  word = {};
  selectedWord.clear();
  param.clear();
  displayLine.clear();
  displayLineRef = nullptr;
  operatorMode = true;
  errors = ErrorState{};
  reg = Registers{};
  lastSeparator = ' ';
  paramEnded = false;
  format = NumberFormat{};
  vars.Reset();
  slots = ParameterSlots{};
  functions = FunctionState{};
  slotsGuard = nullptr;
  argumentCount = 0;
  operators.clear();
  whileStack.clear();
  frames.clear();
  currentLine = nullptr;
  cache = SearchCache{};
  // Older state first released, then every family starts afresh.
  DropFamilyStates();
  m_familyStates.resize(profile.families.size());
  for (size_t id = 0; id < profile.families.size(); ++id) {
    const Family* family = profile.families[id];
    if (family != nullptr && family->makeState != nullptr) m_familyStates[id] = family->makeState(*this);
  }
}

void Engine::DropFamilyStates() {
  // Later families may lean on earlier ones (a print job on the window): release in
  // reverse order.
  for (size_t id = m_familyStates.size(); id-- > 0;) m_familyStates[id].reset();
}

FamilyPlatform& Engine::PlatformOf(size_t id) {
  if (FamilyPlatform* installed = host.InstalledPlatform(id)) return *installed;
  const Family* family = id < profile.families.size() ? profile.families[id] : nullptr;
  std::unique_ptr<FamilyPlatform> made =
      family != nullptr && family->makePlatform != nullptr ? family->makePlatform() : nullptr;
  if (made == nullptr) made = std::make_unique<FamilyPlatform>();
  return host.InstallPlatform(id, std::move(made));
}

}  // namespace talven
