#pragma once
// The table layer's view of files: a handful of operations at 64-bit offsets, so that the
// same code runs on the C library (tools, tests), on Win32 (the programs), in memory and
// with injected failures. Every operation reports success; a failed one leaves an I/O
// result number behind (2 file not found, 3 path not found, 5 access denied, 100 read
// error, 101 write error, ...).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace talven::dbase {

// I/O result numbers as the language's file commands report them.
inline constexpr int32_t kIoFileNotFound = 2;
inline constexpr int32_t kIoPathNotFound = 3;
inline constexpr int32_t kIoAccessDenied = 5;
inline constexpr int32_t kIoReadError = 100;
inline constexpr int32_t kIoWriteError = 101;

class DbFile {
 public:
  virtual ~DbFile() = default;
  // Reads up to `count` bytes; `*got` receives how many were there (fewer at the end).
  virtual bool Read(uint64_t offset, void* buffer, size_t count, size_t* got) = 0;
  // Writes all bytes; writing past the end fills the gap with zeros.
  virtual bool Write(uint64_t offset, const void* buffer, size_t count) = 0;
  virtual bool Size(uint64_t* size) = 0;
  virtual bool Truncate(uint64_t size) = 0;
  virtual bool Flush() = 0;
  virtual int32_t LastError() const = 0;
};

enum class OpenMode { ReadWrite, ReadOnly, Create };

class DbFileSystem {
 public:
  virtual ~DbFileSystem() = default;
  // Null on failure, with the I/O result in *ioError.
  virtual std::unique_ptr<DbFile> Open(const std::string& name, OpenMode mode, int32_t* ioError) = 0;
  // Replaces an existing file of the new name.
  virtual bool Rename(const std::string& from, const std::string& to, int32_t* ioError) = 0;
  virtual bool Remove(const std::string& name, int32_t* ioError) = 0;
  virtual bool Exists(const std::string& name) = 0;

  // Counts the writes of all tables on this file system: a table's read-ahead of records
  // is good only while the count stands (another slot may hold the same file).
  uint64_t WriteGeneration() const { return m_writeGeneration; }
  void NoteWrite() { ++m_writeGeneration; }

 private:
  uint64_t m_writeGeneration = 0;
};

// Reads exactly `count` bytes or fails (a short read sets kIoReadError).
bool ReadExactly(DbFile& file, uint64_t offset, void* buffer, size_t count);

}  // namespace talven::dbase
