#pragma once
// Fakes for the setup flow: the language library's texts, a user interface that answers
// from a queue and records what it showed, and a machine in memory.

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "installer/setup_flow.h"
#include "tests/installer/fake_environment.h"

namespace talven::installer::test {

class FakeTexts : public SetupTexts {
 public:
  FakeTexts();
  std::string Text(int32_t id) override {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
  }
  std::map<int32_t, std::string> texts;
};

class FakeUi : public SetupUi {
 public:
  DialogEnd TargetDialog(std::string& directory, const std::function<void()>& atOpen) override;
  DialogEnd ComponentsDialog(std::vector<Component>& components) override;
  DialogEnd FormDialog(std::vector<FormField>& fields) override;
  Answer Ask(const std::string& text, const std::string& title, AskKind kind) override;
  void Message(const std::string& text, const std::string& title, bool warning) override;
  ErrorChoice ErrorDialog(const std::string& text) override;
  bool DiskDialog(const std::string& label, std::string& directory) override;
  void SetPicture(const std::string& line) override { events.push_back("picture: " + line); }
  void ShowProgress(bool visible) override {}
  void ProgressText(const std::string& text) override {}
  void ProgressRange(int64_t value) override { range = value; }
  void ProgressAdvance(int64_t amount) override {
    position += amount;
    positions.push_back(position);
  }
  bool Pump() override { return pumpsLeft < 0 || pumpsLeft-- > 0; }

  // Each dialog takes the next entry of its queue; an empty queue means OK / Yes.
  std::deque<std::string> targets;         // a directory, "cancel" or "back"
  std::deque<std::string> components;      // "ok:NAME,NAME", "cancel", "back"
  std::deque<std::string> forms;           // "ok:TEXT|TEXT", "cancel", "back"
  std::deque<Answer> answers;
  std::deque<ErrorChoice> errors;
  std::deque<std::string> disks;           // a directory, or "" to abort
  std::vector<std::string> events;
  int64_t range = 0;
  int64_t position = 0;
  std::vector<int64_t> positions;          // after each advance
  int32_t pumpsLeft = -1;                  // >= 0: Pump fails after so many calls
};

struct FakeFile {
  std::string content;
  FileStamp stamp;
  int32_t version = 0;  // 0: no version resource
};

class FakeSystem : public SetupSystem {
 public:
  std::string ReadIni(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& defaultValue, int32_t maxLength) override {
    return environment.ReadIni(file, section, key, defaultValue, maxLength);
  }
  bool FileDate(const std::string& path, int32_t& year, int32_t& month, int32_t& day) override {
    return environment.FileDate(path, year, month, day);
  }
  bool IsWindowsNt() override { return environment.IsWindowsNt(); }
  bool Environment(const std::string& name, std::string& value) override {
    return environment.Environment(name, value);
  }
  bool FileExists(const std::string& path) override { return files.count(Upper(path)) != 0; }
  bool DirectoryExists(const std::string& path) override { return directories.count(Upper(path)) != 0; }
  bool MakeOneDirectory(const std::string& path) override;
  bool FileTime(const std::string& path, FileStamp& stamp) override;
  std::vector<std::string> FindFiles(const std::string& pattern) override;
  uint64_t FreeBytes(const std::string& path) override {
    const auto found = free.find(Upper(path));
    return found == free.end() ? 100000000000ull : found->second;
  }
  std::string ShortPath(const std::string& path) override { return Upper(path); }
  uint32_t InstallVersioned(const std::string& sourceName, const std::string& sourceDir, const std::string& targetName,
                            const std::string& targetDir, bool force, std::string& tempFile) override;
  bool MakeTemporaryCopy(const std::string& source, const std::string& targetDir, std::string& tempFile) override {
    tempFile = Upper(JoinPath(targetDir, "MED" + std::to_string(++tempCounter) + ".TMP"));
    files[tempFile] = files[Upper(source)];
    return true;
  }
  bool DeleteOneFile(const std::string& path) override;
  bool DelayedMove(const std::string& source, const std::string& target) override {
    if (!delayedMoveWorks) return false;
    delayed.push_back(Upper(source) + ">" + Upper(target));
    return true;
  }
  bool ReadWholeFile(const std::string& path, std::string& bytes) override {
    if (!FileExists(path)) return false;
    bytes = files[Upper(path)].content;
    return true;
  }
  bool WriteWholeFile(const std::string& path, const std::string& bytes) override {
    files[Upper(path)].content = bytes;
    return true;
  }
  bool MoveReplacing(const std::string& from, const std::string& to) override {
    files[Upper(to)] = files[Upper(from)];
    files.erase(Upper(from));
    return true;
  }
  int32_t ExtractLha(const std::string& archive, const std::string& targetDir, std::vector<std::string>& extracted,
                     std::string& failedName, const std::function<bool(uint64_t, uint64_t)>& progress) override;
  bool ReadSharedCount(const std::string& path, bool& isDword, uint32_t& value) override {
    const auto found = shared.find(Upper(path));
    if (found == shared.end()) return false;
    isDword = !sharedIsText.count(Upper(path));
    value = found->second;
    return true;
  }
  bool WriteSharedCount(const std::string& path, uint32_t value) override {
    shared[Upper(path)] = value;
    sharedIsText.erase(Upper(path));
    return true;
  }
  bool WriteIni(const std::string& file, const std::string& section, const std::string& key,
                const std::string& value) override {
    iniWrites.push_back(file + "|" + section + "|" + key + "|" + value);
    return true;
  }
  bool WriteRegistry(RegistryRoot root, const std::string& key, const std::string& name,
                     const std::string& value) override {
    registry[std::to_string(static_cast<int>(root)) + "|" + key + "|" + name] = value;
    return true;
  }
  bool ReadClassesRootDefault(const std::string& key, std::string& value) override {
    const auto found = registry.find("2|" + key + "|");
    if (found == registry.end()) return false;
    value = found->second;
    return true;
  }
  bool RunAndWait(const std::string& command, const std::string& directory) override {
    runs.push_back(command + " @ " + directory);
    return true;
  }
  bool DdeConnect() override { return progman; }
  bool DdeExecute(const std::string& command) override {
    dde.push_back(command);
    return progman && command.find("ReplaceItem") == std::string::npos;
  }
  void DdeDisconnect() override { dde.push_back("disconnect"); }
  bool StartProgramManager() override {
    ++progmanStarts;
    return false;
  }
  bool OpenLog(const std::string& path) override {
    logPath = path;
    log.clear();
    return true;
  }
  void WriteLog(const std::string& record) override { log += record; }
  void CloseLog() override { logClosed = true; }

  // Adds a file at a path with a date and an optional version.
  void Put(const std::string& path, const std::string& content, FileStamp stamp = {2024, 1, 1, 12, 0, 0},
           int32_t version = 0) {
    files[Upper(path)] = FakeFile{content, stamp, version};
  }

  FakeEnvironment environment;
  std::map<std::string, std::string>& variables = environment.variables;
  std::map<std::string, FakeFile> files;  // upper-case paths
  std::set<std::string> directories{"C:\\", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32", "A:\\"};
  std::set<std::string> readOnlyDirectories;
  std::set<std::string> inUse;
  std::set<std::string> inUseWithoutCopy;  // refused without a temporary copy
  std::map<std::string, uint64_t> free;
  std::map<std::string, uint32_t> shared;
  std::set<std::string> sharedIsText;
  std::map<std::string, std::string> registry;
  std::vector<std::string> iniWrites;
  std::vector<std::string> runs;
  std::vector<std::string> dde;
  std::vector<std::string> delayed;
  std::vector<std::string> deleted;
  std::set<std::string> undeletable;
  std::map<std::string, int32_t> lhaResults;  // archive -> code
  int32_t lhaChunks = 0;                      // progress steps while a member is written
  std::string log;
  std::string logPath;
  bool logClosed = false;
  bool progman = true;
  bool delayedMoveWorks = true;
  int32_t progmanStarts = 0;
  int32_t tempCounter = 0;
};

}  // namespace talven::installer::test
