#include "library/controls/shared_list.h"

#include "library/families.h"

namespace talven {

bool SharedList::Add(std::string_view text) {
  if (entries_.size() >= kCapacity) return false;
  entries_.emplace_back(text.substr(0, kEntryLength));
  return true;
}

bool SharedList::Replace(int32_t index, std::string_view text) {
  if (index < 0 || index > LastIndex()) return false;
  entries_[static_cast<size_t>(index)].assign(text.substr(0, kEntryLength));
  return true;
}

const std::string* SharedList::At(int32_t index) const {
  if (index < 0 || index > LastIndex()) return nullptr;
  return &entries_[static_cast<size_t>(index)];
}

ControlsState& ControlsOf(Engine& engine) { return FamilyStateOf<ControlsState>(engine, FamilyId::Controls); }

SharedList& SharedListOf(Engine& engine) { return ControlsOf(engine).list; }

}  // namespace talven
