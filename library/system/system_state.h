#pragma once
// The run state of the system functions: what a later read reports.

#include <cstdint>

namespace talven {

struct SystemState {
  // %MCIERROR: the result code of the last multimedia command string.
  int32_t mciError = 0;
};

}  // namespace talven
