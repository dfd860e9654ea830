// The byte file alone, without the interpreter: 1 MB written one byte a call, a seek to
// the start, the 1 MB read back one byte a call; best of the runs in milliseconds. Built
// natively beside run_bench; for the system's C runtime under Wine build it by hand:
//   i686-w64-mingw32-g++ -O2 -std=c++20 -I. bench/byte_file_bench.cpp -static
//     -Wl,--start-group build/windows/library/libtalven_library.a
//     build/windows/engine/libtalven_engine.a build/windows/common/libtalven_common.a
//     -Wl,--end-group -o byte_file_bench.exe      (one command line)
//   byte_file_bench [runs]

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "library/files/byte_file.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  constexpr int kBytes = 1 << 20;
  double best = 1e9;
  unsigned sum = 0;
  for (int run = 0; run < runs; ++run) {
    std::remove("byte_file_bench.bin");
    const auto start = std::chrono::steady_clock::now();
    talven::ByteFile file;
    int error = 0;
    if (file.Open("byte_file_bench.bin", talven::ByteAccess::Both, error) == talven::ByteOpen::Failed) {
      std::fprintf(stderr, "cannot create byte_file_bench.bin (%d)\n", error);
      return 1;
    }
    for (int i = 0; i < kBytes; ++i) file.Put(static_cast<uint8_t>(i % 251));
    file.Seek(0);
    sum = 0;
    for (int i = 0; i < kBytes; ++i) sum += static_cast<unsigned>(file.Get());
    file.Close();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms < best) best = ms;
  }
  std::remove("byte_file_bench.bin");
  std::printf("byte file 1 MB put + get: %.1f ms (best of %d), sum %u\n", best, runs, sum);
  return sum == 131064401u ? 0 : 1;
}
