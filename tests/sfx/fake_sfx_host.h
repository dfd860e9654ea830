#pragma once
// A recording host for the extractor: the archive in memory, a list that sorts and finds like
// a list box, files and directories in a map, answers for the dialogs queued up front.

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sfx/extractor.h"

namespace talven::sfx::test {

class FakeSfxHost final : public SfxHost {
 public:
  std::string archive;
  uint64_t position = 0;
  std::vector<std::pair<std::string, bool>> list;
  bool pathsChecked = true;
  bool pathsEnabled = true;
  OverwriteMode shownMode = OverwriteMode::Ask;
  std::string status;
  std::vector<std::string> events;  // "box: TITLE | TEXT", "ask: NAME", "password"
  std::deque<std::pair<Answer, bool>> overwriteAnswers;
  std::deque<std::string> passwords;
  std::map<std::string, std::string> files;  // upper-case path -> content
  std::set<std::string> directories;         // upper-case paths
  std::set<std::string> readOnly;            // files that cannot be replaced
  std::string openTarget;
  std::string openData;
  bool outputOpen = false;
  int32_t pumped = 0;

  bool SeekArchive(uint64_t offset) override;
  int32_t ReadArchive(uint8_t* buffer, int32_t size) override;
  void ClearList() override { list.clear(); }
  void AddToList(const char* name) override;
  int32_t ListCount() override { return static_cast<int32_t>(list.size()); }
  int32_t FindInList(const char* name) override;
  bool IsSelected(int32_t index) override { return list[index].second; }
  void SetSelected(int32_t index, bool selected) override { list[index].second = selected; }
  int32_t SelectedCount() override;
  bool PathsChecked() override { return pathsChecked; }
  void DisablePaths() override {
    pathsChecked = false;
    pathsEnabled = false;
  }
  void ShowMode(OverwriteMode mode) override { shownMode = mode; }
  void ShowStatus(const char* text) override { status = text; }
  void ShowMessage(const char* text, const char* title) override {
    events.push_back(std::string("box: ") + title + " | " + text);
  }
  void PumpOneMessage() override { ++pumped; }
  Answer AskOverwrite(const char* fileName, bool& dontAskAgain) override;
  void AskPassword(char* password) override;
  bool FileExists(const char* path) override { return files.count(Key(path)) != 0; }
  bool DirectoryExists(const char* path) override { return directories.count(Key(path)) != 0; }
  void MakeDirectory(const char* path) override;
  bool OpenOutput(const char* target) override;
  bool WriteOutput(const uint8_t* data, int32_t size) override;
  bool CommitOutput() override;
  void DiscardOutput() override;

  // Helpers for the tests.
  static std::string Key(const std::string& path);
  void SelectAll();
  std::vector<std::string> Names() const;
  std::vector<std::string> Selected() const;
  std::string File(const std::string& path) const;
  bool HasFile(const std::string& path) const { return files.count(Key(path)) != 0; }
};

}  // namespace talven::sfx::test
