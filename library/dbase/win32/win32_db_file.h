#pragma once
// Win32 files behind the table layer's file interface (TALVEN, TLVRUN32, linked programs).

#include "library/dbase/db_file.h"

namespace talven::dbase {

class Win32FileSystem final : public DbFileSystem {
 public:
  std::unique_ptr<DbFile> Open(const std::string& name, OpenMode mode, int32_t* ioError) override;
  bool Rename(const std::string& from, const std::string& to, int32_t* ioError) override;
  bool Remove(const std::string& name, int32_t* ioError) override;
  bool Exists(const std::string& name) override;
};

}  // namespace talven::dbase
