#pragma once
// TALVCOMP: a source program in, a code file out.

#include <string>
#include <vector>

#include "engine/host.h"
#include "toolchain/code_file.h"
#include "toolchain/progress.h"

namespace talven {

// The random numbers of the header, seeded from the clock.
class ClockRandom : public RandomSource {
 public:
  ClockRandom();
  uint8_t Next(uint8_t low, uint8_t high) override;

 private:
  uint64_t m_state;
};

// Runs the compiler on its command-line parameters (without its own name); returns the
// exit code: 0 success, 1 load error, 2 any other failure.
int RunCompiler(Host& host, const std::vector<std::string>& params, ProgressWindow& progress,
                RandomSource& random);

}  // namespace talven
