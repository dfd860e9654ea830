#pragma once
// Writing the parameter slots. An evaluation that must see the slots as they were when it
// began (the arguments of a procedure call) runs under a SlotsGuard; whatever writes a
// slot meanwhile goes through WriteSlot, which first keeps the slots aside for every
// guard, and each guard puts them back when it ends. The slots are copied only when
// something writes them.

#include <optional>

#include "engine/engine.h"

namespace talven {

class SlotsGuard {
 public:
  explicit SlotsGuard(Engine& engine) : m_engine(engine), m_outer(engine.slotsGuard) {
    engine.slotsGuard = this;
  }
  ~SlotsGuard() {
    if (m_saved) m_engine.slots = *m_saved;
    m_engine.slotsGuard = m_outer;
  }
  SlotsGuard(const SlotsGuard&) = delete;
  SlotsGuard& operator=(const SlotsGuard&) = delete;

  // Before the first write under this guard and those around it.
  static void BeforeWrite(Engine& engine) {
    for (SlotsGuard* guard = engine.slotsGuard; guard != nullptr; guard = guard->m_outer) {
      if (!guard->m_saved) guard->m_saved = engine.slots;
    }
  }

 private:
  Engine& m_engine;
  SlotsGuard* m_outer;
  std::optional<ParameterSlots> m_saved;
};

inline void WriteSlot(Engine& engine, size_t index, const Registers& value) {
  SlotsGuard::BeforeWrite(engine);
  engine.slots[index] = value;
}

}  // namespace talven
