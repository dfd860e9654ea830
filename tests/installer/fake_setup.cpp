#include "tests/installer/fake_setup.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace talven::installer::test {
namespace {

std::string Pop(std::deque<std::string>& queue, const std::string& fallback) {
  if (queue.empty()) return fallback;
  std::string value = queue.front();
  queue.pop_front();
  return value;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find(separator, at);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

bool Matches(const char* pattern, const char* name) {
  if (*pattern == 0) return *name == 0;
  if (*pattern == '*') return Matches(pattern + 1, name) || (*name != 0 && Matches(pattern, name + 1));
  if (*name == 0) return false;
  return (*pattern == '?' || *pattern == *name) && Matches(pattern + 1, name + 1);
}

}  // namespace

FakeTexts::FakeTexts() {
  texts = {{kTextFileProgress, "Kopiere %s"},
           {kTextDiskSection, "disks"},
           {kTextFilesSection, "Files"},
           {kTextGroupsSection, "Groups"},
           {kTextDiskFullLow, "The disk is nearly full. "},
           {kTextNoScript, "Cannot open the setup script."},
           {kTextBadScript, "Cannot read the setup script."},
           {kTextGroupsProgress, "Creating groups"},
           {kTextAbortQuestion, "Abort the setup?"},
           {kTextSpaceKey, "data.Space"},
           {kTextNoSpaceTarget, "Need %ld KB on the target drive."},
           {kTextScriptName, "MEDRA.INF"},
           {kTextDirKey, "data.Dir"},
           {kTextClosing, "Setup is complete."},
           {kTextSubSectionQuestion, "Install %s?"},
           {kTextDefaultTitle, "Setup"},
           {kTextSysFilesSection, "SysFiles"},
           {kTextModulesSection, "Modules"},
           {kTextAskNotOlder, "Replace %s (%02d.%02d.%04d %02d:%02d) by (%02d.%02d.%04d %02d:%02d)?"},
           {kTextReplaceGroup, "Replace the group %s?"},
           {kTextModulePictureKey, "data.ModPicture"},
           {kTextWinSpaceKey, "data.WinSpace"},
           {kTextNoSpaceWindows, "Need %ld KB on the Windows drive."},
           {kTextFormSection, "Form"},
           {kTextFormEmpty, "Please fill in %s."},
           {kTextConflictTitle, "Version conflict"},
           {kTextAskOlder, "Older: %s %02d.%02d.%04d %02d:%02d / %02d.%02d.%04d %02d:%02d"},
           {kTextDirExists, "%s exists. Use it?"},
           {kTextNoUpdate, "%s holds %s."},
           {kTextDefDirKey, "data.DefDir"},
           {kTextNoProgman, "No Program Manager."},
           {kTextRestart, "Restart Windows."},
           {kTextSkipped, "%d lines skipped."},
           {kTextConflictHead, "%s %02d.%02d.%04d %02d:%02d over %s %02d.%02d.%04d %02d:%02d:"},
           {kTextConflictTail, "Install anyway?"},
           {kTextConflictMismatch, "mismatch"},
           {kTextConflictSourceOld, "source older"},
           {kTextErrorBase, "Error %d."},
           {kTextErrorBase + 2, "File not found."},
           {kTextErrorOther, "Archive error."}};
}

DialogEnd FakeUi::TargetDialog(std::string& directory, const std::function<void()>& atOpen) {
  // A flow that keeps sending the user back would otherwise never end the test.
  if (events.size() > 1000) {
    ADD_FAILURE() << "the flow keeps asking for the target";
    answers.assign(1, Answer::Yes);
    return DialogEnd::Cancel;
  }
  events.push_back("target: " + directory);
  atOpen();
  const std::string next = Pop(targets, "ok");
  if (next == "cancel") return DialogEnd::Cancel;
  if (next != "ok") directory = next;
  return DialogEnd::Ok;
}

DialogEnd FakeUi::ComponentsDialog(std::vector<Component>& list) {
  std::string shown = "components:";
  for (const Component& c : list) shown += " " + c.name + (c.checked ? "+" : "-");
  events.push_back(shown);
  const std::string next = Pop(components, "ok");
  if (next == "cancel") return DialogEnd::Cancel;
  if (next == "back") return DialogEnd::Back;
  if (next.rfind("ok:", 0) == 0) {
    const std::vector<std::string> names = Split(next.substr(3), ',');
    for (Component& c : list) c.checked = std::find(names.begin(), names.end(), c.name) != names.end();
  }
  return DialogEnd::Ok;
}

DialogEnd FakeUi::FormDialog(std::vector<FormField>& fields) {
  std::string shown = "form:";
  for (const FormField& f : fields) shown += " " + f.label + "=" + f.text;
  events.push_back(shown);
  const std::string next = Pop(forms, "ok");
  if (next == "cancel") return DialogEnd::Cancel;
  if (next == "back") return DialogEnd::Back;
  if (next.rfind("ok:", 0) == 0) {
    const std::vector<std::string> texts = Split(next.substr(3), '|');
    for (size_t i = 0; i < fields.size() && i < texts.size(); ++i) fields[i].text = texts[i];
  }
  return DialogEnd::Ok;
}

Answer FakeUi::Ask(const std::string& text, const std::string& title, AskKind kind) {
  events.push_back("ask: " + title + " | " + text);
  if (answers.empty()) return Answer::Yes;
  const Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

void FakeUi::Message(const std::string& text, const std::string& title, bool warning) {
  events.push_back("message: " + title + " | " + text);
}

ErrorChoice FakeUi::ErrorDialog(const std::string& text) {
  events.push_back("error: " + text);
  if (errors.empty()) return ErrorChoice::Abort;
  const ErrorChoice choice = errors.front();
  errors.pop_front();
  return choice;
}

bool FakeUi::DiskDialog(const std::string& label, std::string& directory) {
  events.push_back("disk: " + label + " | " + directory);
  const std::string next = Pop(disks, "");
  if (next.empty()) return false;
  directory = next;
  return true;
}

bool FakeSystem::MakeOneDirectory(const std::string& path) {
  const std::string upper = Upper(path);
  const size_t slash = upper.rfind('\\');
  const std::string parent = slash == std::string::npos ? std::string() : upper.substr(0, slash == 2 ? 3 : slash);
  if (!directories.count(parent) || readOnlyDirectories.count(parent)) return false;
  directories.insert(upper);
  return true;
}

bool FakeSystem::FileTime(const std::string& path, FileStamp& stamp) {
  if (!FileExists(path)) return false;
  stamp = files[Upper(path)].stamp;
  return true;
}

std::vector<std::string> FakeSystem::FindFiles(const std::string& pattern) {
  const std::string upper = Upper(pattern);
  const size_t slash = upper.rfind('\\');
  const std::string dir = upper.substr(0, slash + 1);
  const std::string name = upper.substr(slash + 1);
  std::vector<std::string> found;
  for (const auto& [path, file] : files) {
    if (path.compare(0, dir.size(), dir) != 0 || path.find('\\', dir.size()) != std::string::npos) continue;
    if (Matches(name.c_str(), path.c_str() + dir.size())) found.push_back(path.substr(dir.size()));
  }
  return found;
}

uint32_t FakeSystem::InstallVersioned(const std::string& sourceName, const std::string& sourceDir,
                                      const std::string& targetName, const std::string& targetDir, bool force,
                                      std::string& tempFile) {
  const std::string source = Upper(JoinPath(sourceDir, sourceName));
  const std::string target = Upper(JoinPath(targetDir, targetName));
  if (!files.count(source)) return kInstallCannotReadSource;
  if (readOnlyDirectories.count(Upper(targetDir))) return kInstallCannotCreate;
  const FakeFile incoming = files[source];
  const bool exists = files.count(target) != 0;
  auto makeTemp = [&]() {
    tempFile = Upper(JoinPath(targetDir, "VER" + std::to_string(++tempCounter) + ".TMP"));
    files[tempFile] = incoming;
  };
  if (exists && !force && incoming.version != 0 && files[target].version > incoming.version) {
    makeTemp();
    return kInstallTempFile | kInstallMismatch | kInstallSourceOld;
  }
  if (inUseWithoutCopy.count(target)) return kInstallFileInUse | kInstallCannotDelete;
  if (inUse.count(target)) {
    makeTemp();
    return kInstallTempFile | kInstallFileInUse;
  }
  files[target] = incoming;
  return 0;
}

bool FakeSystem::DeleteOneFile(const std::string& path) {
  if (undeletable.count(Upper(path)) || !files.count(Upper(path))) return false;
  files.erase(Upper(path));
  deleted.push_back(Upper(path));
  return true;
}

int32_t FakeSystem::ExtractLha(const std::string& archive, const std::string& targetDir,
                               std::vector<std::string>& extracted, std::string& failedName,
                               const std::function<bool(uint64_t, uint64_t)>& progress) {
  const auto found = lhaResults.find(Upper(archive));
  if (found != lhaResults.end() && found->second != 0) {
    failedName = "X.TXT";
    return found->second;
  }
  // The archive's bytes are read in lhaChunks equal steps while its member is written.
  const uint64_t total = files[Upper(archive)].content.size();
  for (int32_t chunk = 1; chunk <= lhaChunks; ++chunk) {
    if (!progress(total * static_cast<uint64_t>(chunk) / static_cast<uint64_t>(lhaChunks), total)) {
      failedName = "AUS.TXT";
      return 18;
    }
  }
  extracted.push_back(JoinPath(targetDir, "AUS.TXT"));
  Put(JoinPath(targetDir, "AUS.TXT"), "aus dem Archiv");
  return 0;
}

}  // namespace talven::installer::test
