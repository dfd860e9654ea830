#pragma once
// Files of the C library and POSIX: the native tools and tests.

#include "library/dbase/db_file.h"

namespace talven::dbase {

class StdFileSystem final : public DbFileSystem {
 public:
  std::unique_ptr<DbFile> Open(const std::string& name, OpenMode mode, int32_t* ioError) override;
  bool Rename(const std::string& from, const std::string& to, int32_t* ioError) override;
  bool Remove(const std::string& name, int32_t* ioError) override;
  bool Exists(const std::string& name) override;
};

}  // namespace talven::dbase
