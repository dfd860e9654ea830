#pragma once
// The extractor's host on Win32: the own program file, the main dialog's controls, the
// prompts, and the files it writes.

#include <windows.h>

#include "sfx/extractor.h"

namespace talven::sfx {

class Win32SfxHost final : public SfxHost {
 public:
  Win32SfxHost(HINSTANCE instance, HANDLE ownFile) : m_instance(instance), m_ownFile(ownFile) {}
  void Attach(HWND dialog) { m_dialog = dialog; }

  bool SeekArchive(uint64_t offset) override;
  int32_t ReadArchive(uint8_t* buffer, int32_t size) override;
  void ClearList() override;
  void AddToList(const char* name) override;
  int32_t ListCount() override;
  int32_t FindInList(const char* name) override;
  bool IsSelected(int32_t index) override;
  void SetSelected(int32_t index, bool selected) override;
  int32_t SelectedCount() override;
  bool PathsChecked() override;
  void DisablePaths() override;
  void ShowMode(OverwriteMode mode) override;
  void ShowStatus(const char* text) override;
  void ShowMessage(const char* text, const char* title) override;
  void PumpOneMessage() override;
  Answer AskOverwrite(const char* fileName, bool& dontAskAgain) override;
  void AskPassword(char* password) override;
  bool FileExists(const char* path) override;
  bool DirectoryExists(const char* path) override;
  void MakeDirectory(const char* path) override;
  bool OpenOutput(const char* target) override;
  bool WriteOutput(const uint8_t* data, int32_t size) override;
  bool CommitOutput() override;
  void DiscardOutput() override;

 private:
  LRESULT List(UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE m_instance;
  HANDLE m_ownFile;
  HWND m_dialog = nullptr;
  HANDLE m_output = INVALID_HANDLE_VALUE;
  char m_temporary[MAX_PATH] = {};
  char m_target[kMaxPath] = {};
};

// The whole stub: opens the own file, checks for an appended archive, runs the dialog.
int RunStub(HINSTANCE instance);

}  // namespace talven::sfx
