// The Win32 side of the family "odbc": ODBC32.DLL bound at run time (never imported),
// its 16 entry points taken by name once after loading, ODBC 2 calls throughout.

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "library/families.h"
#include "library/odbc/odbc_platform.h"
#include "library/win32/win32_host.h"
#include "library/odbc/win32/win32_odbc.h"

namespace talven {

namespace {

// A loaded handle below 33 counts as a failure, as the system's old loader reported it.
constexpr uintptr_t kFirstValidHandle = 33;

bool RunsOnWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
constexpr SQLSMALLINT kMessageLength = 240;
constexpr SQLSMALLINT kNameLength = 128;

struct Entries {
  SQLRETURN(SQL_API* RowCount)(SQLHSTMT, SQLLEN*);
  SQLRETURN(SQL_API* AllocEnv)(SQLHENV*);
  SQLRETURN(SQL_API* Error)(SQLHENV, SQLHDBC, SQLHSTMT, SQLCHAR*, SQLINTEGER*, SQLCHAR*, SQLSMALLINT,
                            SQLSMALLINT*);
  SQLRETURN(SQL_API* DescribeCol)(SQLHSTMT, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*,
                                  SQLSMALLINT*, SQLULEN*, SQLSMALLINT*, SQLSMALLINT*);
  SQLRETURN(SQL_API* BindCol)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*);
  SQLRETURN(SQL_API* FreeEnv)(SQLHENV);
  SQLRETURN(SQL_API* AllocConnect)(SQLHENV, SQLHDBC*);
  SQLRETURN(SQL_API* AllocStmt)(SQLHDBC, SQLHSTMT*);
  SQLRETURN(SQL_API* FreeConnect)(SQLHDBC);
  SQLRETURN(SQL_API* ExecDirect)(SQLHSTMT, SQLCHAR*, SQLINTEGER);
  SQLRETURN(SQL_API* Fetch)(SQLHSTMT);
  SQLRETURN(SQL_API* Disconnect)(SQLHDBC);
  SQLRETURN(SQL_API* Transact)(SQLHENV, SQLHDBC, SQLUSMALLINT);
  SQLRETURN(SQL_API* FreeStmt)(SQLHSTMT, SQLUSMALLINT);
  SQLRETURN(SQL_API* NumResultCols)(SQLHSTMT, SQLSMALLINT*);
  SQLRETURN(SQL_API* DriverConnect)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                    SQLSMALLINT*, SQLUSMALLINT);
};

template <typename Pointer>
bool Take(HMODULE library, const char* name, Pointer& entry) {
  entry = reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return entry != nullptr;
}

bool Succeeded(SQLRETURN code) { return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO; }

class Win32Odbc : public OdbcPlatform {
 public:
  ~Win32Odbc() override { Done(); }

  bool Load() override {
    Done();
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA("ODBC32.DLL");
    SetErrorMode(mode);
    if (reinterpret_cast<uintptr_t>(library) < kFirstValidHandle) return false;
    m_library = library;
    Entries& e = m_entries;
    const bool all = Take(library, "SQLRowCount", e.RowCount) && Take(library, "SQLAllocEnv", e.AllocEnv) &&
                     Take(library, "SQLError", e.Error) && Take(library, "SQLDescribeCol", e.DescribeCol) &&
                     Take(library, "SQLBindCol", e.BindCol) && Take(library, "SQLFreeEnv", e.FreeEnv) &&
                     Take(library, "SQLAllocConnect", e.AllocConnect) &&
                     Take(library, "SQLAllocStmt", e.AllocStmt) && Take(library, "SQLFreeConnect", e.FreeConnect) &&
                     Take(library, "SQLExecDirect", e.ExecDirect) && Take(library, "SQLFetch", e.Fetch) &&
                     Take(library, "SQLDisconnect", e.Disconnect) && Take(library, "SQLTransact", e.Transact) &&
                     Take(library, "SQLFreeStmt", e.FreeStmt) &&
                     Take(library, "SQLNumResultCols", e.NumResultCols) &&
                     Take(library, "SQLDriverConnect", e.DriverConnect);
    // Only 0 and 1 count as success (a driver manager without its libraries returns 5).
    if (!all || !Succeeded(e.AllocEnv(&m_environment))) {
      m_environment = SQL_NULL_HENV;
      Done();
      return false;
    }
    return true;
  }

  bool Connect(const std::string& connection, intptr_t owner) override {
    if (m_environment == SQL_NULL_HENV) return false;
    if (!Succeeded(m_entries.AllocConnect(m_environment, &m_connection))) {
      m_connection = SQL_NULL_HDBC;
      return false;
    }
    HWND window = owner != 0 ? reinterpret_cast<HWND>(owner) : GetDesktopWindow();
    // Wine's odbc32 passes the window on to its Unix driver manager, which takes it for a
    // pointer to a structure of its own: reading there can crash inside the call and leave
    // the connection locked for good. No window there: the driver manager cannot prompt.
    if (RunsOnWine()) window = nullptr;
    std::vector<SQLCHAR> text(connection.begin(), connection.end());
    text.push_back(0);
    SQLCHAR completed[1024];
    SQLSMALLINT length = 0;
    const SQLRETURN code = m_entries.DriverConnect(
        m_connection, window, text.data(), SQL_NTS, completed, sizeof completed, &length,
        connection.empty() ? SQL_DRIVER_PROMPT : SQL_DRIVER_COMPLETE);
    if (!Succeeded(code)) {
      m_entries.FreeConnect(m_connection);
      m_connection = SQL_NULL_HDBC;
      return false;
    }
    m_connected = true;
    return true;
  }

  void Done() override {
    if (m_library == nullptr) return;
    CloseStatement();
    if (m_connection != SQL_NULL_HDBC) {
      if (m_connected) m_entries.Disconnect(m_connection);
      m_entries.FreeConnect(m_connection);
    }
    if (m_environment != SQL_NULL_HENV) m_entries.FreeEnv(m_environment);
    m_connection = SQL_NULL_HDBC;
    m_environment = SQL_NULL_HENV;
    m_connected = false;
    FreeLibrary(m_library);
    m_library = nullptr;
  }

  bool Execute(const std::string& sql, std::string& message) override {
    CloseStatement();
    if (!m_connected) return false;
    if (!Succeeded(m_entries.AllocStmt(m_connection, &m_statement))) {
      m_statement = SQL_NULL_HSTMT;
      message = LastMessage();
      return false;
    }
    std::vector<SQLCHAR> text(sql.begin(), sql.end());
    text.push_back(0);
    if (!Succeeded(m_entries.ExecDirect(m_statement, text.data(), SQL_NTS))) {
      // The message is asked at once: any other call would replace it.
      message = LastMessage();
      CloseStatement();
      return false;
    }
    return true;
  }

  int32_t ColumnCount() override {
    SQLSMALLINT columns = 0;
    if (!Succeeded(m_entries.NumResultCols(m_statement, &columns))) return 0;
    return columns;
  }
  int32_t RowCount() override {
    SQLLEN rows = 0;
    if (!Succeeded(m_entries.RowCount(m_statement, &rows))) return 0;
    return static_cast<int32_t>(rows);
  }
  void Commit() override { m_entries.Transact(m_environment, m_connection, SQL_COMMIT); }

  OdbcColumn Describe(int32_t column) override {
    SQLCHAR name[kNameLength + 1] = {};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT decimals = 0;
    SQLSMALLINT nullable = 0;
    OdbcColumn result;
    if (Succeeded(m_entries.DescribeCol(m_statement, static_cast<SQLUSMALLINT>(column), name, sizeof name,
                                        &nameLength, &type, &size, &decimals, &nullable))) {
      result.name = reinterpret_cast<const char*>(name);
      result.type = type;
      result.size = static_cast<uint32_t>(size);
    }
    return result;
  }

  void Bind(std::span<const size_t> bufferSizes) override {
    m_buffers.assign(bufferSizes.size(), {});
    m_lengths.assign(bufferSizes.size(), 0);
    for (size_t i = 0; i < bufferSizes.size(); ++i) {
      m_buffers[i].assign(bufferSizes[i], 0);
      m_entries.BindCol(m_statement, static_cast<SQLUSMALLINT>(i + 1), SQL_C_CHAR, m_buffers[i].data(),
                        static_cast<SQLLEN>(bufferSizes[i]), &m_lengths[i]);
    }
  }

  bool Fetch(std::vector<std::optional<std::string>>& values) override {
    if (!Succeeded(m_entries.Fetch(m_statement))) return false;
    values.resize(m_buffers.size());
    for (size_t i = 0; i < m_buffers.size(); ++i) {
      if (m_lengths[i] == SQL_NULL_DATA) {
        values[i].reset();
        continue;
      }
      // The driver cut the value to the buffer where it was longer; the zero ends it.
      const char* text = reinterpret_cast<const char*>(m_buffers[i].data());
      values[i] = std::string(text, strnlen(text, m_buffers[i].size()));
    }
    return true;
  }

  void CloseStatement() override {
    if (m_statement != SQL_NULL_HSTMT) m_entries.FreeStmt(m_statement, SQL_DROP);
    m_statement = SQL_NULL_HSTMT;
    m_buffers.clear();
    m_lengths.clear();
  }

 private:
  std::string LastMessage() {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[kMessageLength + 1] = {};
    SQLSMALLINT length = 0;
    m_entries.Error(m_environment, m_connection, m_statement, state, &native, text, sizeof text, &length);
    return reinterpret_cast<const char*>(text);
  }

  HMODULE m_library = nullptr;
  Entries m_entries{};
  SQLHENV m_environment = SQL_NULL_HENV;
  SQLHDBC m_connection = SQL_NULL_HDBC;
  SQLHSTMT m_statement = SQL_NULL_HSTMT;
  bool m_connected = false;
  std::vector<std::vector<SQLCHAR>> m_buffers;
  std::vector<SQLLEN> m_lengths;
};

}  // namespace

std::unique_ptr<OdbcPlatform> MakeWin32Odbc() { return std::make_unique<Win32Odbc>(); }

void InstallOdbcWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Odbc), MakeWin32Odbc());
}

}  // namespace talven
