#pragma once
// Binary files through the C++ library, for the runtime, the compiler and the linker (the
// same code in the native and the Windows build; names are ANSI).

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "toolchain/code_file.h"

namespace talven {

class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(std::ifstream file) : m_file(std::move(file)) {}
  size_t Read(uint8_t* buffer, size_t count) override;
  bool Failed() const override { return m_file.bad(); }

 private:
  std::ifstream m_file;
};

// Opens `name` at `offset`; nullptr when it cannot be opened or positioned.
std::unique_ptr<FileByteSource> OpenBytes(const std::string& name, uint64_t offset = 0);

// The first `count` bytes of a file at `offset`; nullopt when fewer can be read.
std::optional<std::string> ReadBytesAt(const std::string& name, uint64_t offset, size_t count);

// Output written under a temporary name and renamed over the final name only when
// Commit is called; a destroyed, uncommitted file is removed.
class PendingOutput {
 public:
  explicit PendingOutput(std::string finalName);
  ~PendingOutput();
  bool Open();
  std::ofstream& Stream() { return m_stream; }
  bool Commit();
  const std::string& TemporaryName() const { return m_temporary; }

 private:
  std::string m_final;
  std::string m_temporary;
  std::ofstream m_stream;
  bool m_committed = false;
};

// True when the two names reach the same existing file.
bool SameFile(const std::string& a, const std::string& b);

// The name up to and including the extension's "." (the last "." behind the last
// directory separator), followed by `extension`; a name without one gets "." + extension.
std::string WithExtension(const std::string& name, const std::string& extension);

}  // namespace talven
