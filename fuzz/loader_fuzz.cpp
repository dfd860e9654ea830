// The loader on arbitrary program text: whatever it accepts keeps every line within the
// limits. (Running what it loaded is the statement fuzzer's part.)

#include <cstdint>

#include "engine/engine.h"
#include "engine/loader.h"
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  talven::fuzz::FuzzHost host;
  talven::fuzz::BytesFile file(data, size);
  talven::ProgramStore store;
  try {
    talven::LoadSource(host, file, store);
    if (store.LineCount() > 65535) __builtin_trap();
    for (int32_t n = 1; n <= store.LineCount(); ++n) {
      if (store.Line(n).text.size() > 254) __builtin_trap();
    }
  } catch (const talven::RunEnd& end) {
    if (end.exitCode != 1) __builtin_trap();
  }
  return 0;
}
