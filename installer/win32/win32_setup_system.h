#pragma once
// The machine as the setup sees it on Win32: files, the version library, registry, INI
// files, processes, DDE to the program manager and the log.

#include <windows.h>
#include <ddeml.h>

#include <string>

#include "installer/setup_flow.h"

namespace talven::installer {

class Win32SetupSystem final : public SetupSystem {
 public:
  explicit Win32SetupSystem(HWND& owner) : m_owner(owner) {}
  ~Win32SetupSystem();

  std::string ReadIni(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& defaultValue, int32_t maxLength) override;
  bool FileDate(const std::string& path, int32_t& year, int32_t& month, int32_t& day) override;
  bool IsWindowsNt() override;
  bool Environment(const std::string& name, std::string& value) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool MakeOneDirectory(const std::string& path) override;
  bool FileTime(const std::string& path, FileStamp& stamp) override;
  std::vector<std::string> FindFiles(const std::string& pattern) override;
  uint64_t FreeBytes(const std::string& path) override;
  std::string ShortPath(const std::string& path) override;
  uint32_t InstallVersioned(const std::string& sourceName, const std::string& sourceDir, const std::string& targetName,
                            const std::string& targetDir, bool force, std::string& tempFile) override;
  bool MakeTemporaryCopy(const std::string& source, const std::string& targetDir, std::string& tempFile) override;
  bool DeleteOneFile(const std::string& path) override;
  bool DelayedMove(const std::string& source, const std::string& target) override;
  bool ReadWholeFile(const std::string& path, std::string& bytes) override;
  bool WriteWholeFile(const std::string& path, const std::string& bytes) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
  int32_t ExtractLha(const std::string& archive, const std::string& targetDir, std::vector<std::string>& extracted,
                     std::string& failedName, const std::function<bool(uint64_t, uint64_t)>& progress) override;
  bool ReadSharedCount(const std::string& path, bool& isDword, uint32_t& value) override;
  bool WriteSharedCount(const std::string& path, uint32_t value) override;
  bool WriteIni(const std::string& file, const std::string& section, const std::string& key,
                const std::string& value) override;
  bool WriteRegistry(RegistryRoot root, const std::string& key, const std::string& name,
                     const std::string& value) override;
  bool ReadClassesRootDefault(const std::string& key, std::string& value) override;
  bool RunAndWait(const std::string& command, const std::string& directory) override;
  bool DdeConnect() override;
  bool DdeExecute(const std::string& command) override;
  void DdeDisconnect() override;
  bool StartProgramManager() override;
  bool OpenLog(const std::string& path) override;
  void WriteLog(const std::string& record) override;
  void CloseLog() override;

 private:
  HWND& m_owner;
  DWORD m_ddeInstance = 0;
  HCONV m_conversation = nullptr;
  bool m_everConnected = false;
  HANDLE m_progman = nullptr;
  HANDLE m_log = INVALID_HANDLE_VALUE;
};

}  // namespace talven::installer
