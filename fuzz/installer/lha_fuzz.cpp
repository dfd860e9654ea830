// The LHA reader on arbitrary bytes: the header walk with extraction into a folder in
// memory (decoder, CRC, failed and stopped writes), and the target-name planner on the input
// read as a name.

#include <cstdint>
#include <cstring>
#include <string>

#include "installer/lha_archive.h"
#include "tests/installer/memory_lha.h"

// True when a component of path is "..".
static bool LeavesFolder(const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (path.compare(start, end - start, "..") == 0 && end - start == 2) return true;
    start = end + 1;
  }
  return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talven::installer;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  test::MemoryArchive archive(bytes);
  test::MemoryFolder folder;
  folder.overwrite = size % 2 == 0;
  // Some inputs also fail, or stop, at an early write: the temporary file must go either way.
  if (size % 7 == 3 && size > 0) {
    folder.failWriteAt = data[0] % 5 + 1;
    folder.stopInsteadOfFailing = size % 3 == 0;
  }
  char failed[64];
  const int32_t code = ExtractArchive(archive, "C:\\ZIEL", folder, failed, sizeof(failed));
  if (folder.temporaryOpen) __builtin_trap();
  if (code == kLhaStopped && !folder.stopped) __builtin_trap();
  for (const auto& [path, content] : folder.files) {
    if (path.compare(0, 8, "C:\\ZIEL\\") != 0 || LeavesFolder(path)) __builtin_trap();
  }
  const std::string name = bytes.substr(0, 300);
  char target[kLhaMaxPath];
  int32_t ends[32];
  int32_t count = 0;
  if (PlanMemberPath("C:\\ZIEL", name.c_str(), target, sizeof(target), ends, count) == kLhaOk) {
    if (std::strncmp(target, "C:\\ZIEL\\", 8) != 0 || LeavesFolder(target) ||
        std::strchr(target + 2, ':') != nullptr) {
      __builtin_trap();
    }
  }
  return 0;
}
