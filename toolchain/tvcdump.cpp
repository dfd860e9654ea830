// tvcdump: prints a code file's header, mode and lines, decoded with their codes named.
//   tvcdump FILE.tvc [OFFSET]    (OFFSET: where the code starts, as in a linked program)

#include <cstdio>
#include <cstdlib>

#include "toolchain/code_dump.h"
#include "toolchain/file_bytes.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tvcdump FILE.tvc [OFFSET]\n");
    return 2;
  }
  const uint64_t offset = argc >= 3 ? std::strtoull(argv[2], nullptr, 0) : 0;
  auto source = talven::OpenBytes(argv[1], offset);
  if (!source) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 2;
  }
  const talven::CodeFileContent content = talven::ReadCodeFile(*source);
  std::fputs(talven::DumpCodeFile(content).c_str(), stdout);
  return content.error == talven::ErrorCode::None ? 0 : 1;
}
