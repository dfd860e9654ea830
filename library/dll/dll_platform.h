#pragma once
// What the DLL calls need from the system: load and free a library, look up a function,
// call it with 32-bit arguments. win32/ implements it with LoadLibrary and a small thunk;
// the default loads nothing; tests use a table of fake functions.

#include <cstdint>
#include <span>
#include <string>

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
