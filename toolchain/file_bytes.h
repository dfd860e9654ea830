#pragma once
// Reading binary files through the C library, for the runtime, the compiler and the linker
// (the same code in the native and the Windows build; names are ANSI). The runtime needs
// nothing else of files, so this stays free of the stream library.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "toolchain/code_file.h"

namespace talven {

class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(std::FILE* file) : m_file(file) {}
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;
  size_t Read(uint8_t* buffer, size_t count) override;
  bool Failed() const override { return std::ferror(m_file) != 0; }

 private:
  std::FILE* m_file;
};

// Opens `name` at `offset`; nullptr when it cannot be opened or positioned.
std::unique_ptr<FileByteSource> OpenBytes(const std::string& name, uint64_t offset = 0);

// The first `count` bytes of a file at `offset`; nullopt when fewer can be read.
std::optional<std::string> ReadBytesAt(const std::string& name, uint64_t offset, size_t count);

// The name up to and including the extension's "." (the last "." behind the last
// directory separator), followed by `extension`; a name without one gets "." + extension.
std::string WithExtension(const std::string& name, const std::string& extension);

}  // namespace talven
