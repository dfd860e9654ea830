#pragma once
// What the DLL calls need from the system: load and free a library, look up a function,
// call it with 32-bit arguments. win32/ implements it with LoadLibrary and a small thunk;
// the default loads nothing; tests use a table of fake functions.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/family.h"

namespace talven {

struct LibraryCallResult {
  uint32_t value = 0;
  // The function faulted; the value means nothing then.
  bool faulted = false;
};

class DllPlatform : public FamilyPlatform {
 public:
  // The library's handle; 0 when it cannot be loaded (no system dialog).
  virtual intptr_t Load(const std::string& name) = 0;
  virtual void Free(intptr_t library) = 0;
  // The function's address; 0 when the library has no export of that exact name.
  virtual intptr_t Find(intptr_t library, const std::string& name) = 0;
  // Calls the function with the arguments pushed right to left; the stack is the same
  // afterwards whether the function cleaned it up (stdcall) or not (cdecl).
  virtual LibraryCallResult Call(intptr_t function, std::span<const uint32_t> arguments) = 0;

  // For the calls through the 16-bit helper TALV16.EXE.
  virtual uint32_t Ticks() { return 0; }
  // The full path of `name` in the current folder.
  virtual std::string FullPath(const std::string& name) { return name; }
  // The short (8.3) form of an existing file's path; the path itself when it has none.
  virtual std::string ShortPath(const std::string& path) { return path; }
  // Creates (or empties) the file and writes the bytes; false when that fails.
  virtual bool WriteFile(const std::string&, std::span<const uint8_t>) { return false; }
  virtual std::optional<std::vector<uint8_t>> ReadFile(const std::string&) { return std::nullopt; }
  virtual bool FileExists(const std::string&) { return false; }
  // Deletes the file; whether it is gone (deleted, or never there).
  virtual bool RemoveFile(const std::string&) { return true; }
  // Starts the helper with the command line, its window shown normally; 0 when it cannot
  // be started (missing, or a program the system cannot run).
  virtual intptr_t StartHelper(const std::string&) { return 0; }
  // Waits up to `milliseconds` for the helper to end or a message to arrive; whether it
  // still runs.
  virtual bool HelperRunning(intptr_t, uint32_t) { return false; }
  virtual void ReleaseHelper(intptr_t) {}
};

class NullDll : public DllPlatform {
 public:
  intptr_t Load(const std::string&) override { return 0; }
  void Free(intptr_t) override {}
  intptr_t Find(intptr_t, const std::string&) override { return 0; }
  LibraryCallResult Call(intptr_t, std::span<const uint32_t>) override { return {}; }
};

// The function of that name with `count` arguments: the name as written, then the
// decorated forms "name@4n" and "_name@4n" that compilers give stdcall exports.
intptr_t FindLibraryFunction(DllPlatform& dll, intptr_t library, const std::string& name,
                             int32_t count);

}  // namespace talven
