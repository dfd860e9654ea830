// holdfile: a test fixture that keeps a file open without sharing delete or write, as a
// running program holds its own file, for the given number of seconds.
//   holdfile FILE [SECONDS]

#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  Sleep(static_cast<DWORD>(argc > 2 ? std::atoi(argv[2]) : 60) * 1000);
  CloseHandle(file);
  return 0;
}
