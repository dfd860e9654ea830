#pragma once
// The extractor's two passes over the appended archive: the list pass fills the dialog's
// list, the extraction pass writes the selected entries. Everything the passes touch outside
// themselves goes through SfxHost.

#include <cstdint>

#include "common/crc32.h"
#include "sfx/entry_names.h"
#include "sfx/inflate.h"
#include "sfx/local_header.h"
#include "sfx/zip_crypto.h"

namespace talven::sfx {

enum class OverwriteMode { Always = 0, Never = 1, Ask = 2 };
enum class Answer { Yes, No };
enum class PassEnd { Continue, EndProgram };

inline constexpr int32_t kMaxPassword = 24;
inline constexpr int32_t kPasswordPrompts = 3;
inline constexpr int32_t kCopyPiece = 32768;

class SfxHost {
 public:
  // The own program file.
  virtual bool SeekArchive(uint64_t offset) = 0;
  virtual int32_t ReadArchive(uint8_t* buffer, int32_t size) = 0;  // bytes read, < 0 failure
  // The dialog: a sorted list whose entries are found by name regardless of case.
  virtual void ClearList() = 0;
  virtual void AddToList(const char* name) = 0;
  virtual int32_t ListCount() = 0;
  virtual int32_t FindInList(const char* name) = 0;  // -1 when missing
  virtual bool IsSelected(int32_t index) = 0;
  virtual void SetSelected(int32_t index, bool selected) = 0;
  virtual int32_t SelectedCount() = 0;
  virtual bool PathsChecked() = 0;
  virtual void DisablePaths() = 0;  // unchecks and disables the paths check box
  virtual void ShowMode(OverwriteMode mode) = 0;
  virtual void ShowStatus(const char* text) = 0;
  virtual void ShowMessage(const char* text, const char* title) = 0;
  virtual void PumpOneMessage() = 0;
  virtual Answer AskOverwrite(const char* fileName, bool& dontAskAgain) = 0;
  virtual void AskPassword(char* password) = 0;  // up to kMaxPassword characters
  // Files. Each entry is written to a temporary file beside its target, which replaces the
  // target only once the entry checked out.
  virtual bool FileExists(const char* path) = 0;  // an existing file, not a directory
  virtual bool DirectoryExists(const char* path) = 0;
  virtual void MakeDirectory(const char* path) = 0;
  virtual bool OpenOutput(const char* target) = 0;
  virtual bool WriteOutput(const uint8_t* data, int32_t size) = 0;
  virtual bool CommitOutput() = 0;
  virtual void DiscardOutput() = 0;

 protected:
  ~SfxHost() = default;
};

class Extractor {
 public:
  Extractor(SfxHost& host, uint64_t archiveStart);

  PassEnd ListPass();
  PassEnd ExtractPass(const char* targetDirectory);
  void SetMode(OverwriteMode mode) { m_mode = mode; }
  OverwriteMode Mode() const { return m_mode; }
  bool PathsSeen() const { return m_pathsSeen; }
  const Crc32& Crc() const { return m_crc; }

 private:
  struct Entry {
    uint64_t start = 0;
    LocalHeader header;
    char name[kMaxEntryName + 1] = {};
    bool nameWhole = true;
  };
  enum class Step { Entry, End, EmptyName };
  // Settled: the entry leaves the list (written, or kept on purpose).
  enum class Outcome { Settled, Failed, EndPass, EndProgram };

  bool BeginPass();
  Step ReadEntry(Entry& entry);
  bool Advance(const Entry& entry);
  Outcome ExtractEntry(const Entry& entry, const char* listName, const char* directory,
                       PathMode mode);
  bool UnlockEntry(const Entry& entry, ZipDecryptor& decryptor);
  bool CopyData(const Entry& entry, ZipDecryptor* decryptor, uint32_t dataSize, uint32_t& crc);
  void CreateDirectories(const char* directory);
  void FinishPaths();

  SfxHost& m_host;
  uint64_t m_archiveStart;
  uint64_t m_next = 0;
  Crc32 m_crc;
  char m_password[kMaxPassword + 1] = {};
  OverwriteMode m_mode = OverwriteMode::Ask;
  bool m_pathsSeen = false;
  Inflater m_inflater;
  uint8_t m_piece[kCopyPiece];
};

}  // namespace talven::sfx
