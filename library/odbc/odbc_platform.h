#pragma once
// What SQLINIT, SQLEXEC and SQLDONE need from the ODBC driver manager, as a result-set
// interface. win32/ binds ODBC32.DLL at run time; the default has no driver manager;
// tests use a fake one with fixed tables.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/family.h"

namespace talven {

struct OdbcColumn {
  std::string name;   // at most 128 characters
  int32_t type = 0;   // the SQL type number
  uint32_t size = 0;  // as the driver reports it (SQL_NO_TOTAL and the like included)
};

class OdbcPlatform : public FamilyPlatform {
 public:
  // Loads the driver manager, takes its entry points and allocates the environment;
  // false when that fails (nothing stays loaded then).
  virtual bool Load() = 0;
  // Connects with the connection string; the empty one lets the driver manager ask
  // (owned by `owner`, a window handle). False when not connected; the connection is
  // freed then, the environment stays.
  virtual bool Connect(const std::string& connection, intptr_t owner) = 0;
  // Disconnects, frees everything and unloads the driver manager; harmless when nothing
  // is loaded.
  virtual void Done() = 0;
  // Runs a statement. On failure `message` is the driver's message (taken at once), and
  // the statement is freed.
  virtual bool Execute(const std::string& sql, std::string& message) = 0;
  virtual int32_t ColumnCount() = 0;
  virtual int32_t RowCount() = 0;
  virtual void Commit() = 0;
  // Column 1, 2, ... of the result.
  virtual OdbcColumn Describe(int32_t column) = 0;
  // Binds each column as characters to a buffer of that many bytes (the zero included).
  virtual void Bind(std::span<const size_t> bufferSizes) = 0;
  // The next row (nullopt for NULL); false when the fetch reports neither success nor
  // success with information.
  virtual bool Fetch(std::vector<std::optional<std::string>>& values) = 0;
  // Releases the buffers and drops the statement.
  virtual void CloseStatement() = 0;
};

class NullOdbc : public OdbcPlatform {
 public:
  bool Load() override { return false; }
  bool Connect(const std::string&, intptr_t) override { return false; }
  void Done() override {}
  bool Execute(const std::string&, std::string&) override { return false; }
  int32_t ColumnCount() override { return 0; }
  int32_t RowCount() override { return 0; }
  void Commit() override {}
  OdbcColumn Describe(int32_t) override { return {}; }
  void Bind(std::span<const size_t>) override {}
  bool Fetch(std::vector<std::optional<std::string>>&) override { return false; }
  void CloseStatement() override {}
};

}  // namespace talven
