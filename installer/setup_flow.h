#pragma once
// The setup's flow from the target-directory dialog to the clean-up, and its actions:
// copying files with date and version checks, LHA archives, shared-library counts, groups,
// INI and registry entries, programs run, the log. The user interface and the machine are
// reached through SetupUi and SetupSystem; tests drive the flow with fakes.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "installer/setup_records.h"
#include "installer/setup_script.h"
#include "installer/setup_texts.h"

namespace talven::installer {

enum class Answer { Yes, No, Cancel };
enum class AskKind { YesNo, YesNoCancel, YesNoTaskModal };
enum class DialogEnd { Ok, Cancel, Back };
enum class ErrorChoice { Abort, Retry, Ignore };

struct Component {
  std::string name;
  std::string text;
  bool checked = true;
};

struct FormField {
  std::string key;    // under HKEY_CLASSES_ROOT
  std::string label;
  std::string text;
  bool mayBeEmpty = false;
};

class SetupUi {
 public:
  // atOpen runs one second after the dialog has opened.
  virtual DialogEnd TargetDialog(std::string& directory, const std::function<void()>& atOpen) = 0;
  virtual DialogEnd ComponentsDialog(std::vector<Component>& components) = 0;
  virtual DialogEnd FormDialog(std::vector<FormField>& fields) = 0;
  virtual Answer Ask(const std::string& text, const std::string& title, AskKind kind) = 0;
  virtual void Message(const std::string& text, const std::string& title, bool warning) = 0;
  virtual ErrorChoice ErrorDialog(const std::string& text) = 0;
  // True with the edited directory to retry, false to abort.
  virtual bool DiskDialog(const std::string& label, std::string& directory) = 0;
  virtual void SetPicture(const std::string& pictureLine) = 0;
  virtual void ShowProgress(bool visible) = 0;
  virtual void ProgressText(const std::string& text) = 0;
  virtual void ProgressRange(int64_t range) = 0;
  virtual void ProgressAdvance(int64_t amount) = 0;
  // Lets pending messages through; false once the user ended the setup (main window
  // closed, or Cancel in the progress window confirmed).
  virtual bool Pump() = 0;

 protected:
  ~SetupUi() = default;
};

struct FileStamp {
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator<(const FileStamp& other) const;
};

// Result bits of the version-checked installation (the system's own values).
enum InstallBits : uint32_t {
  kInstallTempFile = 0x1,
  kInstallMismatch = 0x2,
  kInstallSourceOld = 0x4,
  kInstallDiffLanguage = 0x8,
  kInstallDiffCodePage = 0x10,
  kInstallDiffType = 0x20,
  kInstallWriteProtected = 0x40,
  kInstallFileInUse = 0x80,
  kInstallOutOfSpace = 0x100,
  kInstallAccessViolation = 0x200,
  kInstallSharingViolation = 0x400,
  kInstallCannotCreate = 0x800,
  kInstallCannotDelete = 0x1000,
  kInstallCannotRename = 0x2000,
  kInstallCannotDeleteCurrent = 0x4000,
  kInstallOutOfMemory = 0x8000,
  kInstallCannotReadSource = 0x10000,
  kInstallCannotReadTarget = 0x20000,
  kInstallBufferTooSmall = 0x40000,
};

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot };

class SetupSystem : public ScriptEnvironment {
 public:
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool MakeOneDirectory(const std::string& path) = 0;
  virtual bool FileTime(const std::string& path, FileStamp& stamp) = 0;
  virtual std::vector<std::string> FindFiles(const std::string& pattern) = 0;  // names only
  virtual uint64_t FreeBytes(const std::string& path) = 0;
  virtual std::string ShortPath(const std::string& path) = 0;
  // The version-checked installation; tempFile receives the full path of a temporary copy.
  virtual uint32_t InstallVersioned(const std::string& sourceName, const std::string& sourceDir,
                                    const std::string& targetName, const std::string& targetDir, bool force,
                                    std::string& tempFile) = 0;
  // A copy of the source (a compressed "_" copy expanded) in a fresh temporary file of
  // targetDir, for a target in use that the system did not copy itself.
  virtual bool MakeTemporaryCopy(const std::string& source, const std::string& targetDir, std::string& tempFile) = 0;
  virtual bool DeleteOneFile(const std::string& path) = 0;
  virtual bool DelayedMove(const std::string& source, const std::string& target) = 0;  // target "" deletes
  virtual bool ReadWholeFile(const std::string& path, std::string& bytes) = 0;
  virtual bool WriteWholeFile(const std::string& path, const std::string& bytes) = 0;
  virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
  // Extracts an LHA archive; extracted receives the target paths written. progress is told
  // how many of the archive's bytes are read so far while a member is written; false from
  // it stops the extraction (code 18, the member being written is dropped).
  virtual int32_t ExtractLha(const std::string& archive, const std::string& targetDir,
                             std::vector<std::string>& extracted, std::string& failedName,
                             const std::function<bool(uint64_t done, uint64_t total)>& progress) = 0;
  virtual bool ReadSharedCount(const std::string& path, bool& isDword, uint32_t& value) = 0;
  virtual bool WriteSharedCount(const std::string& path, uint32_t value) = 0;
  virtual bool WriteIni(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) = 0;
  virtual bool WriteRegistry(RegistryRoot root, const std::string& key, const std::string& name,
                             const std::string& value) = 0;
  virtual bool ReadClassesRootDefault(const std::string& key, std::string& value) = 0;
  virtual bool RunAndWait(const std::string& command, const std::string& directory) = 0;
  virtual bool DdeConnect() = 0;
  virtual bool DdeExecute(const std::string& command) = 0;  // true when acknowledged
  virtual void DdeDisconnect() = 0;
  virtual bool StartProgramManager() = 0;
  virtual bool OpenLog(const std::string& path) = 0;
  virtual void WriteLog(const std::string& record) = 0;
  virtual void CloseLog() = 0;

 protected:
  ~SetupSystem() = default;
};

// Codes of the error dialog beyond the archive's.
enum SetupCode : int32_t {
  kCodeOk = 0,
  kCodeNotFound = 2,
  kCodeDiskMissing = 3,
  kCodeOutOfMemory = 8,
  kCodeStopped = 18,
  kCodeDiskFull = 29,
  kCodeLocked = 32,
  kCodeAborted = -1,  // the user chose to end the setup
};

inline constexpr int64_t kDefaultWeight = 10;
inline constexpr int64_t kMaxWeight = 1000000;
inline constexpr int32_t kDirectoryTries = 50;
inline constexpr int32_t kMaxTargetDir = 95;
inline constexpr uint64_t kLowSpace = 50000;

// The text of the error dialog: library string 20000 + code, or 20000 with the code, or
// 20032; for code 29 on a nearly full drive string 359; then the file name.
std::string ErrorDialogText(SetupTexts& texts, int32_t code, const std::string& file, bool lowSpace);
// The conflict message 600 ... 601 for the reasons in bits.
std::string ConflictText(SetupTexts& texts, uint32_t bits, const std::string& source, const FileStamp& sourceTime,
                         const std::string& target, const FileStamp& targetTime);
// The error code of the installation's remaining failure bits (0 when none).
int32_t InstallFailureCode(uint32_t bits);
// An item's command: "0:"/"1:" replaced, ".EXE" added, the program found, quoted when it
// holds a blank, the arguments after a blank; false when the program is not found.
bool ResolveItemCommand(const std::string& command, const SetupPlaces& places, SetupSystem& system,
                        std::string& resolved);

class SetupFlow {
 public:
  SetupFlow(SetupScript& script, SetupTexts& texts, SetupUi& ui, SetupSystem& system, SetupPlaces places,
            std::string programDir);

  // Steps 1 to 9; the exit code: 1 after a completed run or a cancel in the dialogs, 0
  // after an abort during the installation.
  int32_t Run();

  // The pieces, for tests.
  bool MakeDirectoryPath(const std::string& path);
  int32_t InstallSource(const std::string& source, const std::string& targetDir, char mode);
  void InstallSectionForDisk(const std::string& section, char disk);
  void MakeGroups();
  void WriteIniEntries();
  void WriteRegistryValues();
  void RunPrograms(const std::string& section);
  void CleanUp();
  void DeleteNowOrAtRestart(const std::string& path);
  int64_t CountWork();

  bool aborted() const { return m_abort; }
  int32_t skipped() const { return m_skipped; }
  bool restartNeeded() const { return m_restart; }
  const SetupPlaces& places() const { return m_places; }
  std::vector<std::string> chosenModules() const { return m_modules; }
  void ChooseModules(const std::vector<std::string>& modules);

 private:
  enum class Step { Target, Space, Components, Form, Install, Done, Cancelled };
  Step TargetStep();
  Step SpaceStep();
  Step ComponentsStep();
  Step FormStep();
  bool ConfirmAbort();
  std::string LibraryName(int32_t id) { return m_texts.Text(id); }
  std::string DottedOr(int32_t keyId, const std::string& fallback);
  void Log(LogKind kind, bool shared, const std::string& text);
  int32_t InstallOne(const std::string& source, const std::string& targetDir, char mode);
  int32_t Finish(const std::string& target, bool pending, const std::string& tempFile);
  bool GroupPass(const std::string& section, bool second, bool& connected);
  bool LineProgress(uint64_t done, uint64_t total);
  std::vector<std::string> FileSections();

  SetupScript& m_script;
  SetupTexts& m_texts;
  SetupUi& m_ui;
  SetupSystem& m_system;
  SetupPlaces m_places;
  std::string m_programDir;
  std::vector<std::string> m_modules;
  std::map<std::string, bool> m_subSectionAnswers;
  bool m_abort = false;
  bool m_execAtStartDone = false;
  bool m_logOpen = false;
  bool m_noProgmanShown = false;
  bool m_restart = false;
  int32_t m_skipped = 0;
  int64_t m_lineWeight = 0;    // of the file line being installed
  int64_t m_lineAdvanced = 0;  // of it, already shown on the bar
};

}  // namespace talven::installer
